#include "AppServices.h"

namespace tovra {

QUrl AppServices::defaultDownloadEndpoint() {
    return QUrl(QStringLiteral("https://dl.moxworks.invalid/updates/"));
}

std::unique_ptr<AppServices> AppServices::make(const mox::MoxBundle& bundle,
                                               QUrl downloadEndpoint) {
    mox::MoxAppIdentity identity = mox::MoxAppIdentity::tovra();
    mox::MoxSparkleConfig config = mox::MoxSparkleConfig::make(
        QStringLiteral("tovra"), QStringLiteral("Tovra"), downloadEndpoint,
        QStringLiteral("stable"), true, false, 86400, false, false, nullptr);
    auto sparkle = std::make_unique<mox::MoxSparkleManager>(std::move(config), bundle);
    return std::unique_ptr<AppServices>(new AppServices(std::move(identity), std::move(sparkle)));
}

AppServices::AppServices(mox::MoxAppIdentity identity,
                         std::unique_ptr<mox::MoxSparkleManager> sparkle)
    : identity_(std::move(identity)),
      sparkle_(std::move(sparkle)),
      updates_(std::make_unique<TovraUpdateBridge>(*sparkle_)) {}

mox::MoxAppDiagnostics AppServices::diagnostics() const {
    return mox::MoxDiagnosticInfoBuilder::build(identity_, updates_->state().summary(),
                                                sparkle_->config().appcastURL, sparkle_->bundle());
}

}  // namespace tovra
