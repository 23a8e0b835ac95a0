#include "SparkleControllerBridge.h"

namespace mox {

SparkleControllerBridge::SparkleControllerBridge(MoxSparkleConfig config,
                                                 SparkleGentleDriverDelegate& userDriverDelegate,
                                                 QString currentVersion,
                                                 MoxUpdater::Callbacks callbacks)
    : config_(std::move(config)),
      userDriverDelegate_(userDriverDelegate),
      currentVersion_(std::move(currentVersion)),
      callbacks_(std::move(callbacks)) {}

void SparkleControllerBridge::start() {
    if (started_) {
        return;
    }
    started_ = true;
    delegateProxy_ = std::make_unique<SparkleDelegateProxy>(config_);
    auto updater = std::make_unique<MoxUpdater>(currentVersion_, *delegateProxy_, callbacks_);
    updater->setSchedule(schedule_);
    updater->setAutomaticallyChecksForUpdates(config_.automaticallyChecksForUpdates);
    updater->setAutomaticallyDownloadsUpdates(config_.automaticallyDownloadsUpdates);
    updater->setUpdateCheckInterval(config_.checkInterval);
    updater->setSendsSystemProfile(config_.sendsSystemProfile);
    updater->start();
    updaterController_ = std::move(updater);
}

void SparkleControllerBridge::setAutomaticallyChecksForUpdates(bool on) {
    config_.automaticallyChecksForUpdates = on;
    if (updaterController_) {
        updaterController_->setAutomaticallyChecksForUpdates(on);
    }
}

}  // namespace mox
