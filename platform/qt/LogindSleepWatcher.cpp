#include "LogindSleepWatcher.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace tovra {

namespace {
const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString interface = QStringLiteral("org.freedesktop.login1.Manager");
}  // namespace

LogindSleepWatcher::LogindSleepWatcher(std::function<void()> onSleep, std::function<void()> onWake,
                                       QObject* parent)
    : QObject(parent), onSleep_(std::move(onSleep)), onWake_(std::move(onWake)) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return;
    }
    watching_ = bus.connect(service, path, interface, QStringLiteral("PrepareForSleep"), this,
                            SLOT(prepareForSleep(bool)));
    takeInhibitor();
}

void LogindSleepWatcher::takeInhibitor() {
    QDBusInterface manager(service, path, interface, QDBusConnection::systemBus());
    const QDBusReply<QDBusUnixFileDescriptor> reply = manager.call(
        QStringLiteral("Inhibit"), QStringLiteral("sleep"), QStringLiteral("Tovra"),
        QStringLiteral("Empty the clipboard queue before sleep"), QStringLiteral("delay"));
    if (reply.isValid()) {
        inhibitor_ = reply.value();
    }
}

void LogindSleepWatcher::prepareForSleep(bool sleeping) {
    if (!sleeping) {
        takeInhibitor();
        if (onWake_) {
            onWake_();
        }
        return;
    }
    if (onSleep_) {
        onSleep_();
    }
    // Letting go of the descriptor tells logind we are ready.
    inhibitor_ = QDBusUnixFileDescriptor();
}

}  // namespace tovra
