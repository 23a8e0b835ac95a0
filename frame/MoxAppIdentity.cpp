#include "MoxAppIdentity.h"

#include "MoxAppIdentityValidator.h"

namespace mox {

namespace {
QString percentEncoded(const QString& text) {
    // QUrl's own encoding keeps more characters than the mail rule allows.
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArray(), QByteArray()));
}
}  // namespace

MoxAppLinks::MoxAppLinks(QUrl website, QUrl support, std::optional<QUrl> documentation,
                         std::optional<QUrl> privacy, std::optional<QUrl> terms,
                         std::optional<QUrl> releaseNotes, std::optional<QString> email)
    : websiteURL(std::move(website)),
      supportURL(std::move(support)),
      documentationURL(std::move(documentation)),
      privacyURL(std::move(privacy)),
      termsURL(std::move(terms)),
      releaseNotesURL(std::move(releaseNotes)) {
    MoxAppIdentityValidator::validateURL(websiteURL, QStringLiteral("websiteURL"));
    MoxAppIdentityValidator::validateURL(supportURL, QStringLiteral("supportURL"));
    const std::pair<const std::optional<QUrl>*, const char*> optional[] = {
        {&documentationURL, "documentationURL"},
        {&privacyURL, "privacyURL"},
        {&termsURL, "termsURL"},
        {&releaseNotesURL, "releaseNotesURL"},
    };
    for (const auto& [url, field] : optional) {
        if (*url) {
            MoxAppIdentityValidator::validateURL(**url, QString::fromLatin1(field));
        }
    }
    if (email) {
        const QString trimmed = email->trimmed();
        if (trimmed.isEmpty() || !MoxAppIdentityValidator::isValidEmail(trimmed)) {
            throw MoxAppKitError(MoxAppKitError::Kind::invalidContactEmail);
        }
        contactEmail = trimmed;
    }
}

/// The address as a mailto path: anything but the "@" encoded, so no character of it (a "?",
/// a "&", a "#") can start a query of its own.
QString mailtoPath(const QString& address) {
    return QString::fromLatin1(QUrl::toPercentEncoding(address, QByteArrayLiteral("@")));
}

std::optional<QUrl> MoxAppLinks::contactMailURL() const {
    if (!contactEmail) {
        return std::nullopt;
    }
    return QUrl(QStringLiteral("mailto:") + mailtoPath(*contactEmail), QUrl::StrictMode);
}

std::optional<QUrl> MoxAppLinks::mailURL(const QString& subject, const QString& body) const {
    if (!contactEmail) {
        return std::nullopt;
    }
    return QUrl(QStringLiteral("mailto:") + mailtoPath(*contactEmail) +
                    QStringLiteral("?subject=") + percentEncoded(subject) +
                    QStringLiteral("&body=") + percentEncoded(body),
                QUrl::StrictMode);
}

MoxAppIdentity::MoxAppIdentity(const QString& slug, const QString& displayName,
                               const QString& bundle, MoxAppLinks appLinks,
                               MoxAppBranding appBranding)
    : productSlug(MoxAppIdentityValidator::validatedSlug(slug)),
      productDisplayName(MoxAppIdentityValidator::validatedNonEmpty(
          displayName, MoxAppKitError::Kind::emptyProductDisplayName)),
      bundleIdentifier(MoxAppIdentityValidator::validatedNonEmpty(
          bundle, MoxAppKitError::Kind::emptyBundleIdentifier)),
      links(std::move(appLinks)),
      branding(std::move(appBranding)) {}

MoxAppIdentity MoxAppIdentity::tovra() {
    const QString site = QStringLiteral("https://moxworks.invalid");
    return MoxAppIdentity(
        QStringLiteral("tovra"), QStringLiteral("Tovra"), QStringLiteral("invalid.moxworks.tovra"),
        MoxAppLinks(QUrl(site + QStringLiteral("/products/tovra")),
                    QUrl(site + QStringLiteral("/support")),
                    QUrl(site + QStringLiteral("/products/tovra/docs")),
                    QUrl(site + QStringLiteral("/privacy")), QUrl(site + QStringLiteral("/terms")),
                    QUrl(site + QStringLiteral("/changelog/tovra")),
                    QStringLiteral("support@moxworks.invalid")),
        MoxAppBranding{std::nullopt, QStringLiteral("TovraIcon"), QStringLiteral("Mox Works"),
                       QStringLiteral("Mox Works")});
}

}  // namespace mox
