#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "CommandLine.h"

namespace tovra::cli {

/// The one identifier: desktop file, AppStream id, icon name, and the stem of each display's
/// bus name (`busName`).
inline constexpr const char* applicationId = "invalid.moxworks.tovra";
inline constexpr const char* objectPath = "/invalid/moxworks/tovra";
inline constexpr const char* commandsInterface = "invalid.moxworks.tovra.Commands";
/// The error a command that could not be done answers with, its message for the user.
inline constexpr const char* failedError = "invalid.moxworks.tovra.Error.Failed";

/// What the commands do; the application fills it. A handler answering a message failed and
/// the message says why (it reaches the user's terminal); no handler ever returns item text.
struct CommandHandlers {
    std::function<void()> toggle;
    std::function<void(bool on)> setActive;
    std::function<std::optional<std::string>()> pasteNext;
    std::function<std::optional<std::string>()> pasteAll;
    std::function<void()> showQueue;
    std::function<void()> showOverlay;
    std::function<void()> showPreferences;
    std::function<std::optional<std::string>(int stack)> selectStack;
    std::function<void()> clear;
    std::function<void()> quit;
    /// "state: on", "stack: 1", "items: 3", "mode: FIFO", one per line.
    std::function<std::string()> status;
};

/// The running instance's commands on the D-Bus session bus.
class CommandService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "invalid.moxworks.tovra.Commands")

  public:
    /// Answers under `busName`: this display's (`busName()`).
    CommandService(CommandHandlers handlers, QString busName, QObject* parent = nullptr);
    ~CommandService() override;

    /// Takes the bus name and offers the commands; false with the reason when there is no
    /// session bus or another instance for the same display holds the name.
    bool publish(QString* reason);

    /// Does `command` as if it came over the bus (a command given with --start to the
    /// instance it started); why it failed, if it did.
    std::optional<std::string> perform(Command command, int stack = 0);

  public slots:
    Q_SCRIPTABLE void Toggle();
    Q_SCRIPTABLE void On();
    Q_SCRIPTABLE void Off();
    Q_SCRIPTABLE void PasteNext();
    Q_SCRIPTABLE void PasteAll();
    Q_SCRIPTABLE void ShowQueue();
    Q_SCRIPTABLE void ShowOverlay();
    Q_SCRIPTABLE void ShowPreferences();
    Q_SCRIPTABLE void Stack(int number);
    Q_SCRIPTABLE void Clear();
    Q_SCRIPTABLE void Quit();
    Q_SCRIPTABLE QString Status();

  private:
    void answer(const std::optional<std::string>& failure);

    CommandHandlers handlers_;
    QString busName_;
    bool published_ = false;
};

}  // namespace tovra::cli
