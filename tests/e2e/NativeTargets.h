#pragma once
// What the Wayland compositors' and GNOME Shell's end-to-end tests share: windows of each
// toolkit running natively there, and the queue's length as the command line tells it.
#include <string>
#include <vector>

#include "Processes.h"

namespace tovra::test {

/// A window that prints its text as it changes, and says when it has the keyboard.
struct Target {
    std::string name;
    std::vector<std::string> argv;
};

inline std::vector<Target> toolkitTargets() {
    const std::string gtk = TOVRA_GTK_TARGET;
    return {
        {"GTK 3", {"env", "GDK_BACKEND=wayland", "/usr/bin/python3", gtk, "3", "entry"}},
        {"GTK 4", {"env", "GDK_BACKEND=wayland", "/usr/bin/python3", gtk, "4", "entry"}},
        {"Qt 6", {"env", "QT_QPA_PLATFORM=wayland", TOVRA_PASTE_TARGET}},
    };
}

/// The items `tovra status` reports, or -1 when no Tovra answers.
inline int queuedItems() {
    const std::string status = runCommand({TOVRA_BINARY, "status"}).output;
    const auto at = status.find("items: ");
    return at == std::string::npos ? -1 : std::stoi(status.substr(at + 7));
}

}  // namespace tovra::test
