#include "MoxSparkleDiagnostics.h"

namespace mox {

MoxSparkleDiagnostics MoxSparkleDiagnostics::make(const MoxBundle& bundle,
                                                  const MoxSparkleConfig& config) {
    MoxSparkleDiagnostics result;
    result.bundleVersion = bundle.shortVersion();
    result.buildNumber = bundle.buildVersion();
    if (const auto feed = bundle.text(QStringLiteral("SUFeedURL"))) {
        const QUrl url(*feed, QUrl::StrictMode);
        if (url.isValid() && !url.isEmpty()) {
            result.configuredFeedURL = url;
        }
    }
    result.expectedFeedURL = config.appcastURL;
    result.hasFeedURL = result.configuredFeedURL.has_value();
    const auto key = bundle.text(QStringLiteral("SUPublicEDKey"));
    result.hasPublicKey = key.has_value() && !key->trimmed().isEmpty();
    return result;
}

}  // namespace mox
