#include "TovraApplicationFrame.h"

#include <QDebug>
#include <QSystemTrayIcon>

#include "frame/MoxAppOpeningURLs.h"
#include "frame/MoxFirstRunOnboarding.h"
#include "frame/MoxStandardEditMenu.h"

namespace tovra {

TovraApplicationFrame::TovraApplicationFrame(const mox::MoxBundle& bundle, QSettings& store,
                                             QUrl downloadEndpoint, bool checksForUpdates)
    : bundle_(bundle),
      store_(store),
      downloadEndpoint_(std::move(downloadEndpoint)),
      checksForUpdates_(checksForUpdates),
      commandActions_(std::make_shared<TovraCommandActions>()) {}

void TovraApplicationFrame::installEditMenu() {
    mox::MoxStandardEditMenu::install();
}

bool TovraApplicationFrame::buildServices() {
    try {
        services_ = AppServices::make(bundle_, downloadEndpoint_);
    } catch (const mox::MoxAppKitError& error) {
        qWarning("tovra: the application frame cannot be built (%s %s); running without it",
                 qPrintable(error.field), qPrintable(error.reason));
        return false;
    } catch (const mox::MoxSparkleError& error) {
        qWarning("tovra: updates cannot be set up (%s); running without them",
                 qPrintable(error.errorDescription()));
        return false;
    }
    commandActions_->setServices(services_);
    // Scheduled checks count from the last one, across restarts.
    mox::MoxUpdater::Schedule schedule;
    schedule.lastCheck = [&store = store_]() -> std::optional<QDateTime> {
        const QDateTime when = QDateTime::fromString(
            store.value(QString::fromLatin1(lastUpdateCheckKey)).toString(), Qt::ISODate);
        return when.isValid() ? std::optional<QDateTime>(when) : std::nullopt;
    };
    schedule.recordCheck = [&store = store_](const QDateTime& when) {
        store.setValue(QString::fromLatin1(lastUpdateCheckKey), when.toUTC().toString(Qt::ISODate));
        store.sync();
    };
    services_->sparkle().setSchedule(std::move(schedule));
    services_->sparkle().setAutomaticallyChecksForUpdates(
        checksForUpdates_ &&
        store_.value(QString::fromLatin1(automaticUpdateChecksKey), true).toBool());
    // Download pages open like the frame's other links.
    services_->sparkle().setURLOpener([](const QUrl& url) { mox::sharedURLOpener().open(url); });
    services_->sparkle().setUpdateInterface(
        [weak = std::weak_ptr<TovraCommandActions>(commandActions_)] {
            if (const auto actions = weak.lock()) {
                actions->showUpdates();
            }
        });
    return true;
}

void TovraApplicationFrame::startUpdates() {
    if (services_ && checksForUpdates_) {
        services_->sparkle().start();
    }
}

void TovraApplicationFrame::systemDidWake() {
    if (services_) {
        services_->sparkle().systemDidWake();
    }
}

bool TovraApplicationFrame::canCheckForUpdates() const {
    return services_ && checksForUpdates_ && services_->updates().canCheckForUpdates();
}

void TovraApplicationFrame::checkForUpdates() {
    if (services_ && checksForUpdates_) {
        services_->sparkle().checkForUpdates();
    }
}

std::optional<bool> TovraApplicationFrame::automaticUpdateChecks() const {
    if (!services_ || !checksForUpdates_) {
        return std::nullopt;
    }
    return services_->sparkle().config().automaticallyChecksForUpdates;
}

void TovraApplicationFrame::setAutomaticUpdateChecks(bool on) {
    if (!services_ || !checksForUpdates_) {
        return;
    }
    services_->sparkle().setAutomaticallyChecksForUpdates(on);
    store_.setValue(QString::fromLatin1(automaticUpdateChecksKey), on);
    store_.sync();
}

std::optional<std::string> TovraApplicationFrame::pendingUpdateVersion() const {
    if (!services_) {
        return std::nullopt;
    }
    const auto& version = services_->sparkle().pendingUpdateVersion();
    return version ? std::optional<std::string>(version->toStdString()) : std::nullopt;
}

void TovraApplicationFrame::observeUpdates(std::function<void()> changed) {
    if (services_) {
        QObject::connect(&services_->updates(), &mox::AnyMoxUpdateManager::changed,
                         &services_->updates(), std::move(changed));
    }
}

void TovraApplicationFrame::showAbout() {
    commandActions_->showAbout();
}

void TovraApplicationFrame::showSupport() {
    commandActions_->showSupport();
}

void TovraApplicationFrame::copyDiagnostics() {
    commandActions_->copyDiagnostics();
}

void TovraApplicationFrame::offerOnboarding(std::function<void()> openQueue) {
    // Where no tray shows the icon the welcome says where Tovra is instead.
    const auto kind = QSystemTrayIcon::isSystemTrayAvailable()
                          ? mox::MoxFirstRunOnboarding::Kind::menubar
                          : mox::MoxFirstRunOnboarding::Kind::trayless;
    mox::presentOnboardingIfNeeded(QStringLiteral("tovra"), kind, QStringLiteral("Open the queue"),
                                   {}, std::move(openQueue), store_);
}

}  // namespace tovra
