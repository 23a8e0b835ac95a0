#include "CommandService.h"

#include <QDBusConnection>
#include <QTimer>

#include "SessionBus.h"

namespace tovra::cli {

CommandService::CommandService(CommandHandlers handlers, QString busName, QObject* parent)
    : QObject(parent), handlers_(std::move(handlers)), busName_(std::move(busName)) {}

CommandService::~CommandService() {
    if (published_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromLatin1(objectPath));
        bus.unregisterService(busName_);
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
    // Not queued and not replaceable (Qt's defaults): a second instance for the same display
    // neither takes the name over nor waits for it.
    if (!bus.registerService(busName_)) {
        bus.unregisterObject(QString::fromLatin1(objectPath));
        *reason = QStringLiteral("another Tovra answers the commands for this display (%1)")
                      .arg(busName_);
        return false;
    }
    published_ = true;
    return true;
}

std::optional<std::string> CommandService::perform(Command command, int stack) {
    switch (command) {
        case Command::toggle:
            handlers_.toggle();
            break;
        case Command::on:
            handlers_.setActive(true);
            break;
        case Command::off:
            handlers_.setActive(false);
            break;
        case Command::pasteNext:
            return handlers_.pasteNext();
        case Command::pasteAll:
            return handlers_.pasteAll();
        case Command::showQueue:
            handlers_.showQueue();
            break;
        case Command::showOverlay:
            handlers_.showOverlay();
            break;
        case Command::preferences:
            handlers_.showPreferences();
            break;
        case Command::stack:
            return handlers_.selectStack(stack);
        case Command::clear:
            handlers_.clear();
            break;
        case Command::quit:
            // After the reply has gone out.
            QTimer::singleShot(0, this, [this] { handlers_.quit(); });
            break;
        case Command::status:
            break;
    }
    return std::nullopt;
}

void CommandService::answer(const std::optional<std::string>& failure) {
    if (failure && calledFromDBus()) {
        sendErrorReply(QString::fromLatin1(failedError), QString::fromStdString(*failure));
    }
}

void CommandService::Toggle() {
    answer(perform(Command::toggle));
}

void CommandService::On() {
    answer(perform(Command::on));
}

void CommandService::Off() {
    answer(perform(Command::off));
}

void CommandService::PasteNext() {
    answer(perform(Command::pasteNext));
}

void CommandService::PasteAll() {
    answer(perform(Command::pasteAll));
}

void CommandService::ShowQueue() {
    answer(perform(Command::showQueue));
}

void CommandService::ShowOverlay() {
    answer(perform(Command::showOverlay));
}

void CommandService::ShowPreferences() {
    answer(perform(Command::preferences));
}

void CommandService::Stack(int number) {
    answer(perform(Command::stack, number));
}

void CommandService::Clear() {
    answer(perform(Command::clear));
}

void CommandService::Quit() {
    answer(perform(Command::quit));
}

QString CommandService::Status() {
    return QString::fromStdString(handlers_.status());
}

}  // namespace tovra::cli
