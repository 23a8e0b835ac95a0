#include "GnomeAccessibilityTrust.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

extern char** environ;

namespace tovra {

GnomeAccessibilityTrust::GnomeAccessibilityTrust(GnomeBridge& bridge,
                                                 std::function<void()> openHelp)
    : bridge_(bridge), openHelp_(std::move(openHelp)) {}

bool GnomeAccessibilityTrust::isTrustedWithPrompt() {
    if (!bridge_.isConnected() && !bridge_.wasRefused() && extensionInstalled()) {
        enableExtension();
    }
    return bridge_.isConnected();
}

void GnomeAccessibilityTrust::openSettings() {
    if (!bridge_.wasRefused() && extensionInstalled()) {
        enableExtension();
    } else if (openHelp_) {
        openHelp_();
    }
}

std::string GnomeAccessibilityTrust::explanation() const {
    return explain(extensionInstalled(), bridge_.wasRefused());
}

std::string GnomeAccessibilityTrust::explain(bool installed, bool refused) {
    if (refused) {
        return "Tovra's GNOME Shell extension serves only Tovra as installed (/usr/bin/tovra), "
               "and this is another copy of it. Start the installed Tovra instead.";
    }
    if (!installed) {
        return "On GNOME, Tovra sees copies and types pastes through its own GNOME Shell "
               "extension, which comes with the tovra package and is not installed here. "
               "Install the package, then log out and back in: GNOME Shell finds new "
               "extensions when it starts.";
    }
    return "On GNOME, Tovra sees copies and types pastes through its own GNOME Shell "
           "extension, which is not running. Open Help turns it on (GNOME may ask you first); "
           "then choose Retry. If Tovra was installed during this session, log out and back "
           "in first: GNOME Shell finds new extensions when it starts.";
}

bool GnomeAccessibilityTrust::extensionInstalled() {
    std::vector<std::filesystem::path> roots;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome != nullptr && dataHome[0] != '\0') {
        roots.emplace_back(dataHome);
    } else if (home != nullptr) {
        roots.push_back(std::filesystem::path(home) / ".local/share");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string_view dirs = dataDirs != nullptr && dataDirs[0] != '\0'
                                ? std::string_view(dataDirs)
                                : std::string_view("/usr/local/share:/usr/share");
    while (!dirs.empty()) {
        const std::string_view dir = dirs.substr(0, dirs.find(':'));
        roots.emplace_back(dir);
        dirs.remove_prefix(std::min(dirs.size(), dir.size() + 1));
    }
    std::error_code error;
    for (const auto& root : roots) {
        if (std::filesystem::exists(root / "gnome-shell/extensions" / extensionUuid, error)) {
            return true;
        }
    }
    return false;
}

void GnomeAccessibilityTrust::enableExtension() {
    // Through the shell's own interface, which may ask the user; in the background, so a slow
    // shell never holds up the window.
    const char* argv[] = {"sh", "-c",
                          "gdbus call --session --dest org.gnome.Shell --object-path "
                          "/org/gnome/Shell --method org.gnome.Shell.Extensions.EnableExtension "
                          "\"$0\" >/dev/null 2>&1 &",
                          extensionUuid, nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) ==
        0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

}  // namespace tovra
