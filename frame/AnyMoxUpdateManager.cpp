#include "AnyMoxUpdateManager.h"

namespace mox {

AnyMoxUpdateManager::AnyMoxUpdateManager(MoxAppUpdateState state, bool canCheckForUpdates,
                                         std::optional<QDateTime> lastCheckDate, QObject* parent)
    : QObject(parent),
      state_(std::move(state)),
      canCheckForUpdates_(canCheckForUpdates),
      lastCheckDate_(std::move(lastCheckDate)) {}

void AnyMoxUpdateManager::updateState(MoxAppUpdateState state) {
    state_ = std::move(state);
    emit changed();
}

void AnyMoxUpdateManager::updateCanCheckForUpdates(bool canCheck) {
    canCheckForUpdates_ = canCheck;
    emit changed();
}

void AnyMoxUpdateManager::updateLastCheckDate(std::optional<QDateTime> date) {
    lastCheckDate_ = std::move(date);
    emit changed();
}

}  // namespace mox
