#include "SwayServer.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "Processes.h"

namespace tovra::test {

namespace {

constexpr uid_t nobody = 65534;

std::string makeDirectory(const char* pattern) {
    std::string path = std::string(std::filesystem::temp_directory_path()) + "/" + pattern;
    return mkdtemp(path.data()) != nullptr ? path : std::string();
}

/// The socket sway made in `directory`, once it listens.
std::string findSocket(const std::string& directory) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ignored)) {
        const std::string name = entry.path().filename();
        if (name.rfind("wayland-", 0) == 0 && name.find(".lock") == std::string::npos &&
            entry.is_socket(ignored) && listensAt(entry.path())) {
            return entry.path();
        }
    }
    return {};
}

}  // namespace

bool SwayServer::start(std::string& error) {
    serverDirectory_ = makeDirectory("tovra-sway-XXXXXX");
    clientDirectory_ = makeDirectory("tovra-wayland-client-XXXXXX");
    if (serverDirectory_.empty() || clientDirectory_.empty()) {
        error = "cannot make the runtime directories";
        return false;
    }
    const bool root = geteuid() == 0;
    const std::string config = serverDirectory_ + "/config";
    // XWayland starts only when an X client first connects.
    std::ofstream(config) << "xwayland enable\n"
                             "output HEADLESS-1 resolution 1280x800\n"
                             "focus_on_window_activation focus\n";
    if (root && (chown(serverDirectory_.c_str(), nobody, nobody) != 0 ||
                 chown(config.c_str(), nobody, nobody) != 0)) {
        error = "cannot hand the runtime directory to nobody";
        return false;
    }
    // It goes with the test even when the test dies without cleaning up.
    std::vector<std::string> args{"setpriv", "--pdeathsig", "TERM"};
    if (root) {
        args.insert(args.end(), {"--reuid", std::to_string(nobody), "--regid",
                                 std::to_string(nobody), "--clear-groups"});
    }
    args.insert(args.end(), {"env", "-i", "PATH=/usr/local/bin:/usr/bin:/bin",
                             "XDG_RUNTIME_DIR=" + serverDirectory_, "HOME=" + serverDirectory_,
                             "WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1",
                             "WLR_RENDERER=pixman", "sway", "-c", config});
    pid_ = spawnServerGroup(args);
    if (pid_ < 0) {
        error = "cannot start sway (is the sway package installed?)";
        return false;
    }
    // Before any event loop exists: a plain wait.
    for (int waited = 0; waited < 20000 && (socket_ = findSocket(serverDirectory_)).empty();
         waited += 20) {
        usleep(20'000);
    }
    if (socket_.empty()) {
        stop();
        error = "sway made no socket (TOVRA_TEST_STDERR=1 shows why)";
        return false;
    }
    chmod(clientDirectory_.c_str(), 0700);
    setenv("WAYLAND_DISPLAY", socket_.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", clientDirectory_.c_str(), 1);
    setenv("XDG_SESSION_TYPE", "wayland", 1);
    unsetenv("DISPLAY");
    unsetenv("XAUTHORITY");
    return true;
}

std::string SwayServer::ipcSocket() const {
    // sway's IPC socket sits beside the Wayland one.
    std::string ipc;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(serverDirectory_, ignored)) {
        if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) {
            ipc = entry.path();
        }
    }
    return ipc;
}

std::vector<std::string> SwayServer::xwaylandEnvironment() const {
    // What sway gives the programs it starts: the display and the key to it. Its XWayland
    // lets in its own user only: under root sway runs as nobody, and lets root in first.
    const std::string file = serverDirectory_ + "/xwayland";
    const std::string letIn = geteuid() == 0 ? "xhost +si:localuser:root >/dev/null; " : "";
    if (!command("exec sh -c '" + letIn + "echo \"DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY\" > " +
                 file + ".part && mv " + file + ".part " + file + "'")) {
        return {};
    }
    std::vector<std::string> environment;
    waitUntil(
        [&] {
            std::ifstream in(file);
            environment.clear();
            for (std::string entry; in >> entry;) {
                environment.push_back(entry);
            }
            return environment.size() == 2;
        },
        5000);
    return environment;
}

bool SwayServer::command(const std::string& text) const {
    const std::string ipc = ipcSocket();
    return !ipc.empty() && runCommand({"swaymsg", "-s", ipc, text}).exitCode == 0;
}

namespace {
pid_t focusedIn(const QJsonObject& node) {
    if (node.value(QStringLiteral("focused")).toBool()) {
        return static_cast<pid_t>(node.value(QStringLiteral("pid")).toInt(-1));
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue child : node.value(QLatin1String(children)).toArray()) {
            if (const pid_t pid = focusedIn(child.toObject()); pid != -1) {
                return pid;
            }
        }
    }
    return -1;
}
}  // namespace

pid_t SwayServer::focusedProcess() const {
    const std::string ipc = ipcSocket();
    if (ipc.empty()) {
        return -1;
    }
    const auto tree = runCommand({"swaymsg", "-s", ipc, "-r", "-t", "get_tree"});
    return focusedIn(QJsonDocument::fromJson(QByteArray::fromStdString(tree.output)).object());
}

void SwayServer::stop() {
    stopServerGroup(pid_);
    std::error_code ignored;
    for (std::string* directory : {&serverDirectory_, &clientDirectory_}) {
        if (!directory->empty()) {
            std::filesystem::remove_all(*directory, ignored);
            directory->clear();
        }
    }
}

}  // namespace tovra::test
