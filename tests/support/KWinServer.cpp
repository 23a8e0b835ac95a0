#include "KWinServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Processes.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandWorkspace.h"

extern char** environ;

namespace tovra::test {

namespace fs = std::filesystem;

namespace {

void writeDesktopEntry(const fs::path& file, const std::string& program) {
    std::ofstream(file) << "[Desktop Entry]\nType=Application\nName=" << file.stem().string()
                        << "\nExec=" << fs::canonical(program).string()
                        << "\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,"
                           "org_kde_plasma_window_management\n";
}

}  // namespace

KWinServer::KWinServer() = default;

KWinServer::~KWinServer() {
    stop();
}

bool KWinServer::start(const std::vector<std::string>& trustedPrograms, std::string& error) {
    std::string pattern = (fs::temp_directory_path() / "tovra-kwin-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        error = "cannot make KWin's directory";
        return false;
    }
    directory_ = pattern;
    const fs::path root(directory_);
    std::error_code failed;
    for (const char* name : {"bin", "run", "client-run", "data/applications", "cache", "config"}) {
        fs::create_directories(root / name, failed);
    }
    chmod((root / "run").c_str(), 0700);
    chmod((root / "client-run").c_str(), 0700);
    // A copy drops the file capabilities that a container may refuse to run; KWin loads its
    // own Qt platform plugin by its program's name, so the copy keeps it.
    fs::copy_file("/usr/bin/kwin_wayland", root / "bin/kwin_wayland", failed);
    if (failed) {
        error = "cannot copy /usr/bin/kwin_wayland (is the kwin-wayland package installed?)";
        return false;
    }
    int index = 0;
    for (const std::string& program : trustedPrograms) {
        writeDesktopEntry(
            root / ("data/applications/trusted" + std::to_string(index++) + ".desktop"), program);
    }
    writeDesktopEntry(root / "data/applications/tests.desktop", "/proc/self/exe");

    const std::string home = root.string();
    std::vector<std::string> args{"setpriv",
                                  "--pdeathsig",
                                  "TERM",
                                  "env",
                                  "-i",
                                  "PATH=/usr/local/bin:/usr/bin:/bin",
                                  "HOME=" + home,
                                  "XDG_RUNTIME_DIR=" + home + "/run",
                                  "XDG_DATA_HOME=" + home + "/data",
                                  "XDG_CACHE_HOME=" + home + "/cache",
                                  "XDG_CONFIG_HOME=" + home + "/config",
                                  "KWIN_COMPOSE=Q",
                                  "dbus-run-session",
                                  "--",
                                  home + "/bin/kwin_wayland",
                                  "--virtual",
                                  "--width",
                                  "1280",
                                  "--height",
                                  "800",
                                  "--socket",
                                  "kwin"};
    pid_ = spawnServerGroup(args);
    const int spawned = pid_ > 0 ? 0 : -1;
    if (spawned != 0) {
        pid_ = -1;
        error = "cannot start KWin";
        return false;
    }
    const std::string socket = home + "/run/kwin";
    // Before any event loop exists: a plain wait.
    for (int waited = 0; waited < 20000 && !listensAt(socket); waited += 20) {
        usleep(20'000);
    }
    setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/client-run").c_str(), 1);
    setenv("XDG_SESSION_TYPE", "wayland", 1);
    unsetenv("DISPLAY");
    unsetenv("XAUTHORITY");
    connection_ = WaylandConnection::open(nullptr, error);
    if (!connection_) {
        stop();
        error = "KWin made no socket (TOVRA_TEST_STDERR=1 shows why): " + error;
        return false;
    }
    windows_ = std::make_unique<WaylandWorkspace>(*connection_);
    if (!connection_->offers("org_kde_plasma_window_management")) {
        stop();
        error = "KWin did not grant its window list to the tests";
        return false;
    }
    return true;
}

pid_t KWinServer::focusedProcess() {
    if (!connection_ || wl_display_roundtrip(connection_->display()) < 0) {
        return -1;
    }
    const auto front = windows_->frontmostApplication();
    return front && front->pid ? static_cast<pid_t>(*front->pid) : -1;
}

void KWinServer::stop() {
    windows_.reset();
    connection_.reset();
    stopServerGroup(pid_);
    if (!directory_.empty()) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
        directory_.clear();
    }
}

}  // namespace tovra::test
