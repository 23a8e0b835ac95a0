#include "TovraUpdateBridge.h"

namespace tovra {

mox::MoxAppUpdateState makeAppUpdateState(const mox::MoxSparkleState& state) {
    using From = mox::MoxSparkleState::Kind;
    using To = mox::MoxAppUpdateState;
    switch (state.kind) {
        case From::updateAvailable:
            return To::updateAvailable(state.version);
        case From::downloading:
            return To::downloading(state.progress);
        case From::readyToInstall:
            return To::readyToInstall(state.version);
        case From::failed: {
            const QString description = state.error ? state.error->errorDescription() : QString();
            return To::failed(description.isEmpty() ? To::genericFailureMessage() : description);
        }
        case From::idle:
            return To::idle();
        case From::checking:
            return To::of(To::Kind::checking);
        case From::noUpdateAvailable:
            return To::of(To::Kind::noUpdateAvailable);
        case From::installing:
            return To::of(To::Kind::installing);
    }
    return To::idle();
}

TovraUpdateBridge::TovraUpdateBridge(mox::MoxSparkleManager& sparkle, QObject* parent)
    : AnyMoxUpdateManager(makeAppUpdateState(sparkle.state()), sparkle.canCheckForUpdates(),
                          sparkle.lastCheckDate(), parent),
      sparkle_(&sparkle) {
    // Read the values a turn later: the notification comes before the change. A bridge or
    // manager gone by then makes the task do nothing.
    // One read for however many changes come before it runs.
    connect(&sparkle, &mox::MoxSparkleManager::willChange, this, [this] {
        if (!syncQueued_) {
            syncQueued_ = true;
            QMetaObject::invokeMethod(this, &TovraUpdateBridge::syncFromManager,
                                      Qt::QueuedConnection);
        }
    });
}

void TovraUpdateBridge::syncFromManager() {
    syncQueued_ = false;
    if (!sparkle_) {
        return;
    }
    update(makeAppUpdateState(sparkle_->state()), sparkle_->canCheckForUpdates(),
           sparkle_->lastCheckDate());
}

void TovraUpdateBridge::checkForUpdates() {
    if (sparkle_) {
        sparkle_->checkForUpdates();
    }
}

void TovraUpdateBridge::checkForUpdatesInBackground() {
    if (sparkle_) {
        sparkle_->checkForUpdatesInBackground();
    }
}

void TovraUpdateBridge::installUpdate() {
    if (sparkle_) {
        sparkle_->installUpdate();
    }
}

}  // namespace tovra
