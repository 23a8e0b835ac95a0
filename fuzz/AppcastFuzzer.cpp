// Any feed reads without crashing, offers only https pages, and the version order is a total
// order: antisymmetric, reflexive and transitive on what the feed names.
#include <QByteArray>
#include <QSet>
#include <cstdint>

#include "FuzzCheck.h"
#include "updates/MoxAppcast.h"
#include "updates/MoxVersion.h"

namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const mox::MoxAppcast feed = mox::MoxAppcast::parse(xml, &error);
    QStringList versions{QStringLiteral("1.2"), QStringLiteral("1.2b9"), QStringLiteral("100")};
    for (const mox::MoxAppcastItem& item : feed.items) {
        FUZZ_CHECK(item.downloadURL.scheme() == QStringLiteral("https"));
        FUZZ_CHECK(!item.downloadURL.host().isEmpty());
        FUZZ_CHECK(!item.version.isEmpty());
        versions << item.version;
    }
    if (const auto best = feed.bestUpdate({QStringLiteral("beta")}, QStringLiteral("1.0"))) {
        FUZZ_CHECK(mox::MoxVersion::compare(best->version, QStringLiteral("1.0")) > 0);
    }
    // The text itself as versions too: the order must hold for any strings.
    for (const QByteArray& part : xml.split('\n')) {
        versions << QString::fromUtf8(part.left(40));
    }
    const qsizetype n = std::min<qsizetype>(versions.size(), 8);
    for (qsizetype a = 0; a < n; ++a) {
        FUZZ_CHECK(mox::MoxVersion::compare(versions[a], versions[a]) == 0);
        for (qsizetype b = 0; b < n; ++b) {
            const int ab = sign(mox::MoxVersion::compare(versions[a], versions[b]));
            FUZZ_CHECK(ab == -sign(mox::MoxVersion::compare(versions[b], versions[a])));
            for (qsizetype c = 0; c < n; ++c) {
                const int bc = sign(mox::MoxVersion::compare(versions[b], versions[c]));
                if (ab <= 0 && bc <= 0) {
                    FUZZ_CHECK(mox::MoxVersion::compare(versions[a], versions[c]) <= 0);
                }
            }
        }
    }
    return 0;
}
