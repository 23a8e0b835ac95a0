#include "CommandClient.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include "BusName.h"
#include "CommandService.h"
#include "SessionBus.h"

namespace tovra::cli {

namespace {

constexpr int replyTimeoutMs = 10'000;

const char* methodFor(Command command) {
    switch (command) {
        case Command::toggle:
            return "Toggle";
        case Command::on:
            return "On";
        case Command::off:
            return "Off";
        case Command::pasteNext:
            return "PasteNext";
        case Command::pasteAll:
            return "PasteAll";
        case Command::showQueue:
            return "ShowQueue";
        case Command::showOverlay:
            return "ShowOverlay";
        case Command::preferences:
            return "ShowPreferences";
        case Command::stack:
            return "Stack";
        case Command::clear:
            return "Clear";
        case Command::quit:
            return "Quit";
        case Command::status:
            return "Status";
    }
    return "";
}

}  // namespace

int sendCommand(const Invocation& invocation, std::string& output, std::string& error,
                bool* notRunning) {
    if (!invocation.command) {
        error = "no command";
        return exitUsage;
    }
    if (!sessionBusAddress()) {
        error =
            "no D-Bus session bus here (DBUS_SESSION_BUS_ADDRESS is not set and there is no "
            "$XDG_RUNTIME_DIR/bus): commands cannot reach Tovra";
        return exitFailed;
    }
    settleSessionBus();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        error = "cannot reach the D-Bus session bus: " + bus.lastError().message().toStdString();
        return exitFailed;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromStdString(busName(invocation.display)), QString::fromLatin1(objectPath),
        QString::fromLatin1(commandsInterface),
        QString::fromLatin1(methodFor(*invocation.command)));
    // Never start Tovra for a command: it would run without the user asking for it.
    call.setAutoStartService(false);
    if (*invocation.command == Command::stack) {
        call << invocation.stack;
    }
    const QDBusMessage reply = bus.call(call, QDBus::Block, replyTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        const QString name = reply.errorName();
        if (name == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown") ||
            name == QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner")) {
            error = "Tovra is not running on " + displayDescription(invocation.display) +
                    " (start it with: tovra, or give the command with --start)";
            if (notRunning != nullptr) {
                *notRunning = true;
            }
        } else if (name == QString::fromLatin1(failedError)) {
            error = reply.errorMessage().toStdString();
        } else {
            error = "Tovra did not answer: " + reply.errorMessage().toStdString();
        }
        return exitFailed;
    }
    if (*invocation.command == Command::status && !reply.arguments().isEmpty()) {
        output = reply.arguments().front().toString().toStdString();
        if (!output.empty() && output.back() != '\n') {
            output.push_back('\n');
        }
    }
    return exitDone;
}

}  // namespace tovra::cli
