#pragma once

#include "MoxSparkleConfig.h"
#include "MoxUpdater.h"

namespace mox {

/// Answers the updater's questions from the configuration: the feed is always the configured
/// one, and pre-release channels are offered only when allowed.
class SparkleDelegateProxy final : public MoxUpdater::Delegate {
  public:
    explicit SparkleDelegateProxy(MoxSparkleConfig config) : config_(std::move(config)) {}

    QString feedURLStringForUpdater() override {
        return config_.appcastURL.toString(QUrl::FullyEncoded);
    }
    /// Empty without pre-releases: only items without a channel are offered.
    QSet<QString> allowedChannelsForUpdater() override {
        if (!config_.allowsPrereleaseUpdates) {
            return {};
        }
        return {QStringLiteral("stable"), QStringLiteral("beta"), QStringLiteral("prerelease")};
    }

  private:
    MoxSparkleConfig config_;
};

}  // namespace mox
