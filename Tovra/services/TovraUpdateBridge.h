#pragma once

#include <QPointer>

#include "frame/AnyMoxUpdateManager.h"
#include "updates/MoxSparkleManager.h"

namespace tovra {

/// The frame's update state for a state of the update module.
mox::MoxAppUpdateState makeAppUpdateState(const mox::MoxSparkleState& state);

/// Feeds the frame's update picture from the update manager, one main-loop turn after each
/// change (the manager announces a change before making it).
class TovraUpdateBridge final : public mox::AnyMoxUpdateManager {
  public:
    explicit TovraUpdateBridge(mox::MoxSparkleManager& sparkle, QObject* parent = nullptr);

    void checkForUpdates() override;
    void checkForUpdatesInBackground() override;
    void installUpdate() override;

  private:
    void syncFromManager();

    QPointer<mox::MoxSparkleManager> sparkle_;
    bool syncQueued_ = false;
};

}  // namespace tovra
