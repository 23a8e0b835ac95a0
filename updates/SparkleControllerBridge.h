#pragma once

#include <memory>

#include "MoxSparkleConfig.h"
#include "MoxUpdater.h"
#include "SparkleDelegateProxy.h"
#include "SparkleGentleDriverDelegate.h"

namespace mox {

/// Owns the updater once started and hands it the configuration's settings.
class SparkleControllerBridge {
  public:
    SparkleControllerBridge(MoxSparkleConfig config,
                            SparkleGentleDriverDelegate& userDriverDelegate, QString currentVersion,
                            MoxUpdater::Callbacks callbacks);
    SparkleControllerBridge() = delete;

    /// Where the updater keeps the time of its last check; before `start`.
    void setSchedule(MoxUpdater::Schedule schedule) { schedule_ = std::move(schedule); }
    /// Creates and starts the updater once; later calls do nothing.
    void start();
    /// Scheduled checks on or off, now and for an updater started later.
    void setAutomaticallyChecksForUpdates(bool on);
    [[nodiscard]] bool started() const { return started_; }
    /// None until started.
    [[nodiscard]] MoxUpdater* updaterController() const { return updaterController_.get(); }
    [[nodiscard]] SparkleGentleDriverDelegate& userDriverDelegate() const {
        return userDriverDelegate_;
    }

  private:
    MoxSparkleConfig config_;
    SparkleGentleDriverDelegate& userDriverDelegate_;
    QString currentVersion_;
    MoxUpdater::Callbacks callbacks_;
    MoxUpdater::Schedule schedule_;
    std::unique_ptr<SparkleDelegateProxy> delegateProxy_;
    std::unique_ptr<MoxUpdater> updaterController_;
    bool started_ = false;
};

}  // namespace mox
