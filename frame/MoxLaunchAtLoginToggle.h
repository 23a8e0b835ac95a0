#pragma once

#include <QString>
#include <QStringList>
#include <exception>

namespace mox {

/// Starting the application at login, as an XDG autostart entry. Enabled means the entry
/// exists, is not hidden and starts this very program.
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
        QString entryPath;   // $XDG_CONFIG_HOME/autostart/<name>.desktop
        QString executable;  // the running binary's real path
        QString displayName;
        /// Entries the system provides for everyone ($XDG_CONFIG_DIRS/autostart/<name>.desktop).
        QStringList systemEntryPaths;
    };

    /// The running application's entry, named after its application name.
    static Service mainAppService();

    static bool isEnabled(const Service& service = mainAppService());
    /// Throws LaunchAtLoginError (underlying) with the system's message.
    static void setEnabled(bool enabled, const Service& service = mainAppService());

    /// The entry's Exec value for a program path, quoted and escaped for desktop files.
    static QString execValue(const QString& executable);
};

}  // namespace mox
