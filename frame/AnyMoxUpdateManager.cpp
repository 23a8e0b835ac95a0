#include "AnyMoxUpdateManager.h"

namespace mox {

AnyMoxUpdateManager::AnyMoxUpdateManager(MoxAppUpdateState state, bool canCheckForUpdates,
                                         std::optional<QDateTime> lastCheckDate, QObject* parent)
    : QObject(parent),
      state_(std::move(state)),
      canCheckForUpdates_(canCheckForUpdates),
      lastCheckDate_(std::move(lastCheckDate)) {}

void AnyMoxUpdateManager::updateState(MoxAppUpdateState state) {
    update(std::move(state), canCheckForUpdates_, lastCheckDate_);
}

void AnyMoxUpdateManager::updateCanCheckForUpdates(bool canCheck) {
    update(state_, canCheck, lastCheckDate_);
}

void AnyMoxUpdateManager::updateLastCheckDate(std::optional<QDateTime> date) {
    update(state_, canCheckForUpdates_, std::move(date));
}

void AnyMoxUpdateManager::update(MoxAppUpdateState state, bool canCheck,
                                 std::optional<QDateTime> date) {
    if (state == state_ && canCheck == canCheckForUpdates_ && date == lastCheckDate_) {
        return;
    }
    state_ = std::move(state);
    canCheckForUpdates_ = canCheck;
    lastCheckDate_ = std::move(date);
    emit changed();
}

}  // namespace mox
