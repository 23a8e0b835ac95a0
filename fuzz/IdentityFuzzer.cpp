// An address the validator accepts comes back whole from its mail links, with nothing of it
// read as a query or a fragment; slugs normalise once and for all.
#include <QUrl>
#include <QUrlQuery>
#include <cstdint>

#include "FuzzCheck.h"
#include "frame/MoxAppIdentity.h"
#include "frame/MoxAppIdentityValidator.h"
#include "frame/MoxAppKitError.h"
#include "updates/MoxSparkleConfig.h"
#include "updates/MoxSparkleError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (mox::MoxAppIdentityValidator::isValidEmail(text.trimmed())) {
        const mox::MoxAppLinks links(QUrl(QStringLiteral("https://a.invalid")),
                                     QUrl(QStringLiteral("https://a.invalid/support")),
                                     std::nullopt, std::nullopt, std::nullopt, std::nullopt, text);
        for (const QUrl& url : {*links.contactMailURL(), *links.mailURL(text, text)}) {
            FUZZ_CHECK(url.isValid());
            FUZZ_CHECK(url.scheme() == QStringLiteral("mailto"));
            FUZZ_CHECK(url.path(QUrl::FullyDecoded) == text.trimmed());
            FUZZ_CHECK(!url.hasFragment());
        }
        FUZZ_CHECK(!links.contactMailURL()->hasQuery());
        const QUrlQuery query(*links.mailURL(text, text));
        FUZZ_CHECK(query.queryItems().size() == 2);
        FUZZ_CHECK(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded) == text);
    }
    try {
        const QString slug = mox::MoxSparkleProductIdentity::normalizedSlug(text);
        FUZZ_CHECK(mox::MoxSparkleProductIdentity::isSlugValid(slug));
        FUZZ_CHECK(mox::MoxSparkleProductIdentity::normalizedSlug(slug) == slug);
    } catch (const mox::MoxSparkleError&) {
        FUZZ_CHECK(!mox::MoxSparkleProductIdentity::isSlugValid(text.trimmed().toLower()));
    }
    try {
        const QString slug = mox::MoxAppIdentityValidator::validatedSlug(text);
        FUZZ_CHECK(mox::MoxAppIdentityValidator::validatedSlug(slug) == slug);
    } catch (const mox::MoxAppKitError&) {
    }
    return 0;
}
