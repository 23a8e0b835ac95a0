#include "CommandService.h"

#include <QDBusConnection>
#include <QTimer>

#include "SessionBus.h"

namespace tovra::cli {

CommandService::CommandService(CommandHandlers handlers, QObject* parent)
    : QObject(parent), handlers_(std::move(handlers)) {}

CommandService::~CommandService() {
    if (published_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(objectPath));
        bus.unregisterService(QString::fromLatin1(applicationId));
    }
}

bool CommandService::publish(QString* reason) {
    if (!sessionBusAddress()) {
        *reason = QStringLiteral("there is no D-Bus session bus");
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *reason = QStringLiteral("no D-Bus session bus (%1)").arg(bus.lastError().message());
        return false;
    }
    if (!bus.registerObject(QString::fromLatin1(objectPath), this,
                            QDBusConnection::ExportScriptableSlots)) {
        *reason = QStringLiteral("cannot offer the commands: %1").arg(bus.lastError().message());
        return false;
    }
    // Not queued and not replaceable (Qt's defaults): a second instance on this bus, on another
    // display, neither takes the name over nor waits for it.
    if (!bus.registerService(QString::fromLatin1(applicationId))) {
        bus.unregisterObject(QString::fromLatin1(objectPath));
        *reason = QStringLiteral("another Tovra on this session bus answers the commands");
        return false;
    }
    published_ = true;
    return true;
}

void CommandService::answer(const std::optional<std::string>& failure) {
    if (failure && calledFromDBus()) {
        sendErrorReply(QString::fromLatin1(failedError), QString::fromStdString(*failure));
    }
}

void CommandService::Toggle() {
    handlers_.toggle();
}

void CommandService::On() {
    handlers_.setActive(true);
}

void CommandService::Off() {
    handlers_.setActive(false);
}

void CommandService::PasteNext() {
    answer(handlers_.pasteNext());
}

void CommandService::PasteAll() {
    answer(handlers_.pasteAll());
}

void CommandService::ShowQueue() {
    handlers_.showQueue();
}

void CommandService::ShowOverlay() {
    handlers_.showOverlay();
}

void CommandService::ShowPreferences() {
    handlers_.showPreferences();
}

void CommandService::Stack(int number) {
    answer(handlers_.selectStack(number));
}

void CommandService::Clear() {
    handlers_.clear();
}

void CommandService::Quit() {
    // After the reply has gone out.
    QTimer::singleShot(0, this, [this] { handlers_.quit(); });
}

QString CommandService::Status() {
    return QString::fromStdString(handlers_.status());
}

}  // namespace tovra::cli
