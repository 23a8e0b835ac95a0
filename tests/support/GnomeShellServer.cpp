#include "GnomeShellServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "Processes.h"

extern char** environ;

namespace tovra::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* extensionUuid = "tovra@moxworks.invalid";

/// The extension as configured, made to serve `program`.
bool installExtension(const fs::path& from, const fs::path& to, const std::string& program) {
    std::error_code failed;
    fs::create_directories(to, failed);
    for (const char* name : {"metadata.json", "bridge.js", "extension.js"}) {
        std::ifstream in(from / name);
        std::stringstream text;
        text << in.rdbuf();
        std::string content = text.str();
        if (std::string(name) == "extension.js") {
            const auto line = content.find("const TRUSTED_PROGRAM = '");
            if (line == std::string::npos) {
                return false;
            }
            const auto start = line + std::string("const TRUSTED_PROGRAM = '").size();
            content.replace(start, content.find('\'', start) - start, program);
        }
        std::ofstream(to / name) << content;
    }
    return true;
}

}  // namespace

bool GnomeShellServer::start(const std::string& extension, const std::string& trustedProgram,
                             std::string& error) {
    std::string pattern = (fs::temp_directory_path() / "tovra-gnome-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make the shell's directory";
        return false;
    }
    directory_ = pattern;
    const fs::path root(directory_);
    std::error_code failed;
    fs::create_directories(root / "run", failed);
    chmod((root / "run").c_str(), 0700);
    fs::create_directories(root / "home/.config/glib-2.0/settings", failed);
    if (!installExtension(extension,
                          root / "home/.local/share/gnome-shell/extensions" / extensionUuid,
                          trustedProgram)) {
        error = "the extension in " + extension + " names no trusted program";
        return false;
    }
    // The settings as a key file: no dconf service needed, and user extensions enabled.
    std::ofstream(root / "home/.config/glib-2.0/settings/keyfile")
        << "[org/gnome/shell]\nenabled-extensions=['" << extensionUuid
        << "']\ndisable-user-extensions=false\n";
    // Without a system bus the shell aborts at start.
    const std::string systemBus = (root / "system_bus").string();
    std::ofstream(root / "system.conf")
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
           "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>system</type><listen>unix:path="
        << systemBus
        << "</listen><policy context=\"default\"><allow send_destination=\"*\"/>"
           "<allow receive_sender=\"*\"/><allow own=\"*\"/><allow user=\"*\"/></policy>"
           "</busconfig>\n";
    systemBus_ = spawnServerGroup(
        {"dbus-daemon", "--nofork", "--config-file=" + (root / "system.conf").string()});
    // A session bus the tests reach too: remote-desktop typing, and Tovra's command line.
    sessionBus_ = spawnServerGroup({"dbus-daemon", "--session", "--nofork",
                                    "--address=unix:path=" + (root / "session_bus").string()});
    for (int waited = 0; waited < 10000 && !listensAt(root / "session_bus"); waited += 20) {
        usleep(20'000);
    }
    const std::string home = (root / "home").string();
    shell_ = spawnServerGroup(
        {"setpriv", "--pdeathsig", "TERM", "env", "-i", "PATH=/usr/local/bin:/usr/bin:/bin",
         "HOME=" + home, "XDG_RUNTIME_DIR=" + (root / "run").string(), "GSETTINGS_BACKEND=keyfile",
         "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + systemBus,
         "DBUS_SESSION_BUS_ADDRESS=" + sessionBusAddress(), "gnome-shell", "--headless",
         "--wayland", "--no-x11", "--virtual-monitor", "1280x800"});
    if (systemBus_ < 0 || sessionBus_ < 0 || shell_ < 0) {
        stop();
        error = "cannot start gnome-shell (is the gnome-shell package installed?)";
        return false;
    }
    // Before any event loop exists: a plain wait.
    for (int waited = 0; waited < 30000 && !listensAt(bridgeSocket()); waited += 50) {
        usleep(50'000);
    }
    if (!listensAt(bridgeSocket())) {
        stop();
        error = "the shell started no bridge (TOVRA_TEST_STDERR=1 shows why)";
        return false;
    }
    return true;
}

std::string GnomeShellServer::sessionBusAddress() const {
    return "unix:path=" + directory_ + "/session_bus";
}

std::vector<std::string> GnomeShellServer::clientEnvironment() const {
    return {"XDG_RUNTIME_DIR=" + directory_ + "/run", "WAYLAND_DISPLAY=wayland-0",
            "DBUS_SESSION_BUS_ADDRESS=" + sessionBusAddress(), "XDG_CURRENT_DESKTOP=GNOME",
            "XDG_SESSION_TYPE=wayland"};
}

std::string GnomeShellServer::bridgeSocket() const {
    return directory_ + "/run/tovra-gnome/bridge";
}

void GnomeShellServer::stop() {
    for (pid_t* pid : {&shell_, &sessionBus_, &systemBus_}) {
        stopServerGroup(*pid);
    }
    if (!directory_.empty()) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
        directory_.clear();
    }
}

}  // namespace tovra::test
