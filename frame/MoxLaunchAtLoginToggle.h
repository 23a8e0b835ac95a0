#pragma once

#include <QString>
#include <QStringList>
#include <exception>

namespace mox {

/// Starting the application at login, as an XDG autostart entry named after the application.
/// The user's entry of that name is ours whatever it runs; without one, an entry the system
/// gives everyone ($XDG_CONFIG_DIRS/autostart) counts. An entry is on unless `Hidden=true` or
/// `X-GNOME-Autostart-enabled=false`. Entries are read and written with GLib's key-file
/// reader, which keeps what it does not know (other keys, groups, translations, comments).
struct MoxLaunchAtLoginToggle {
    struct LaunchAtLoginError : std::exception {
        enum class Kind { underlying, unavailableOnThisOSVersion };
        Kind kind;
        QString message;  // the system's own words
        LaunchAtLoginError(Kind errorKind, QString text)
            : kind(errorKind), message(std::move(text)) {}
        [[nodiscard]] const char* what() const noexcept override { return "LaunchAtLoginError"; }
    };

    /// Which entry, for which program.
    struct Service {
        QString entryPath;  // $XDG_CONFIG_HOME/autostart/<name>.desktop
        /// What a new entry runs: the program's name when it is installed on the PATH, else
        /// the running binary's real path.
        QString command;
        QString displayName;
        /// Entries the system provides for everyone ($XDG_CONFIG_DIRS/autostart/<name>.desktop).
        QStringList systemEntryPaths;
        /// The installed desktop entry a new autostart entry starts from (the same name, the
        /// same icon and texts), when there is one.
        QString templatePath;
        /// Entries of ours under an older name; `repair` gives one the current name.
        QStringList formerEntryPaths;
    };

    /// The running application's entry, named after its desktop file name (else its
    /// application name).
    static Service mainAppService();

    static bool isEnabled(const Service& service = mainAppService());
    /// Throws LaunchAtLoginError (underlying) with the system's message. Turning on an entry
    /// that exists keeps what it runs while that still exists.
    static void setEnabled(bool enabled, const Service& service = mainAppService());
    /// Points the user's entry at `command` when what it runs no longer exists (the program
    /// moved or was upgraded away); anything else is left as it is. True when it rewrote it.
    /// Throws LaunchAtLoginError like `setEnabled`.
    static bool repair(const Service& service = mainAppService());

    /// `name` when the PATH finds this very `executable` under it (an installed program),
    /// else `executable`.
    static QString commandFor(const QString& executable, const QString& name);
    /// The Exec argument for a program: quoted unless it is plain letters, digits and path
    /// punctuation, with "%" doubled. (The
    /// file's own escapes, for newlines and backslashes, are the key-file writer's.)
    static QString execArgument(const QString& program);
};

}  // namespace mox
