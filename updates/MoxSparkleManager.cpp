#include "MoxSparkleManager.h"

#include <QDesktopServices>
#include <QGuiApplication>

namespace mox {

namespace {

/// A tray application that lives on without windows is an accessory application.
MoxActivationPolicy applicationActivationPolicy() {
    return QGuiApplication::quitOnLastWindowClosed() ? MoxActivationPolicy::regular
                                                     : MoxActivationPolicy::accessory;
}

QString runningVersion(const MoxBundle& bundle) {
    if (auto build = bundle.buildVersion(); build && !build->isEmpty()) {
        return *build;
    }
    return bundle.shortVersion().value_or(QStringLiteral("0"));
}

}  // namespace

MoxSparkleManager::MoxSparkleManager(MoxSparkleConfig config, MoxBundle bundle, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      activationPolicy_(applicationActivationPolicy),
      gentleDelegate_(std::make_unique<SparkleGentleDriverDelegate>([this] {
          return activationPolicy_ ? activationPolicy_() : MoxActivationPolicy::regular;
      })),
      bundle_(std::move(bundle)),
      openURL_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    updater_ = std::make_unique<SparkleControllerBridge>(
        config_, *gentleDelegate_, runningVersion(bundle_),
        MoxUpdater::Callbacks{
            [this] { userInitiatedCheckStarted(); },
            [this] {
                // A scheduled check is a background check like any other.
                isUserInitiated_ = false;
                const Changes group(*this);
                publish(lastCheckDate_, std::optional<QDateTime>(QDateTime::currentDateTime()));
            },
            [this](const MoxUpdater::Outcome& outcome) { checkFinished(outcome); }});
    gentleDelegate_->onPendingUpdateVersionChange([this](const std::optional<QString>& version) {
        const Changes group(*this);
        publish(pendingUpdateVersion_, version);
    });
}

MoxSparkleManager::~MoxSparkleManager() = default;

MoxSparkleManager::Changes::Changes(MoxSparkleManager& manager) : manager_(manager) {
    ++manager_.openChanges_;
}

MoxSparkleManager::Changes::~Changes() {
    if (--manager_.openChanges_ == 0 && manager_.changing_) {
        manager_.changing_ = false;
        emit manager_.changed();
    }
}

template <typename T>
void MoxSparkleManager::publish(T& field, T value) {
    if (field == value) {
        return;
    }
    const Changes group(*this);
    if (!changing_) {
        changing_ = true;
        emit willChange();
    }
    field = std::move(value);
}

void MoxSparkleManager::setSchedule(MoxUpdater::Schedule schedule) {
    if (schedule.lastCheck) {
        if (const auto last = schedule.lastCheck(); last && last->isValid()) {
            publish(lastCheckDate_, std::optional<QDateTime>(last->toLocalTime()));
        }
    }
    updater_->setSchedule(std::move(schedule));
}

void MoxSparkleManager::systemDidWake() {
    if (MoxUpdater* updater = updater_->updaterController()) {
        updater->systemDidWake();
    }
}

void MoxSparkleManager::start() {
    if (didStart_) {
        return;
    }
    didStart_ = true;
    updater_->start();
}

void MoxSparkleManager::setAutomaticallyChecksForUpdates(bool on) {
    if (config_.automaticallyChecksForUpdates == on) {
        return;
    }
    emit willChange();
    config_.automaticallyChecksForUpdates = on;
    updater_->setAutomaticallyChecksForUpdates(on);
    emit changed();
}

void MoxSparkleManager::checkForUpdates() {
    const Changes group(*this);
    isUserInitiated_ = true;
    publish(state_, MoxSparkleState::checking());
    publish(canCheckForUpdates_, false);
    publish(lastCheckDate_, std::optional<QDateTime>(QDateTime::currentDateTime()));
    if (MoxUpdater* updater = updater_->updaterController()) {
        updater->checkForUpdates();
    }
}

void MoxSparkleManager::checkForUpdatesInBackground() {
    const Changes group(*this);
    isUserInitiated_ = false;
    publish(lastCheckDate_, std::optional<QDateTime>(QDateTime::currentDateTime()));
    if (MoxUpdater* updater = updater_->updaterController()) {
        updater->checkForUpdatesInBackground();
    }
}

void MoxSparkleManager::resetError() {
    const Changes group(*this);
    publish(lastError_, std::optional<MoxSparkleError>());
    if (state_.kind == MoxSparkleState::Kind::failed) {
        publish(state_, MoxSparkleState::idle());
    }
    publish(canCheckForUpdates_, true);
}

MoxSparkleDiagnostics MoxSparkleManager::diagnostics() const {
    return MoxSparkleDiagnostics::make(bundle_, config_);
}

void MoxSparkleManager::installUpdate() {
    if (!foundUpdate_) {
        return;
    }
    if (openURL_) {
        openURL_(foundUpdate_->downloadURL);
    }
    gentleDelegate_->standardUserDriverDidReceiveUserAttentionForUpdate(*foundUpdate_);
}

void MoxSparkleManager::userInitiatedCheckStarted() {
    if (presentInterface_) {
        presentInterface_();
    }
}

void MoxSparkleManager::checkFinished(const MoxUpdater::Outcome& outcome) {
    const Changes group(*this);
    switch (outcome.kind) {
        case MoxUpdater::Outcome::Kind::found: {
            foundUpdate_ = outcome.item;
            const QString version = outcome.item->displayVersionString();
            const bool show = outcome.userInitiated ||
                              gentleDelegate_->standardUserDriverShouldHandleShowingScheduledUpdate(
                                  *outcome.item, false);
            gentleDelegate_->standardUserDriverWillHandleShowingUpdate(show, *outcome.item);
            publish(lastError_, std::optional<MoxSparkleError>());
            publish(state_, MoxSparkleState::updateAvailable(version));
            lastRestingState_ = state_;
            if (show && !outcome.userInitiated && presentInterface_) {
                presentInterface_();
            }
            break;
        }
        case MoxUpdater::Outcome::Kind::upToDate:
            // A withdrawn update is no longer offered.
            if (foundUpdate_) {
                gentleDelegate_->standardUserDriverDidReceiveUserAttentionForUpdate(*foundUpdate_);
                foundUpdate_.reset();
            }
            publish(lastError_, std::optional<MoxSparkleError>());
            publish(state_, MoxSparkleState::noUpdateAvailable());
            lastRestingState_ = state_;
            break;
        case MoxUpdater::Outcome::Kind::failed: {
            MoxSparkleError error = MoxSparkleError::updateCheckFailed(outcome.error);
            publish(lastError_, std::optional<MoxSparkleError>(error));
            // A quiet check that failed leaves the picture as it was; the user's shows why,
            // unless an update is known: its page stays offered until a check says otherwise.
            publish(state_, outcome.userInitiated && !foundUpdate_
                                ? MoxSparkleState::failed(std::move(error))
                                : lastRestingState_);
            break;
        }
    }
    publish(canCheckForUpdates_, true);
}

}  // namespace mox
