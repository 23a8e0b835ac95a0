#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Processes.h"

extern char** environ;

namespace tovra::test {

bool XvfbServer::start(std::string& error) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        error = "pipe failed";
        return false;
    }
    // -displayfd picks a free display and writes its number to us once it accepts clients.
    const std::string fd = std::to_string(pipeFds[1]);
    // It goes with the test even when the test dies without cleaning up (a sanitizer's abort):
    // an orphaned server would keep the test's output open and ctest waiting for ever.
    std::vector<std::string> args{"setpriv", "--pdeathsig", "TERM", "Xvfb",        "-displayfd",
                                  fd,        "-screen",     "0",    "1280x800x24", "-nolisten",
                                  "tcp",     "-noreset"};
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // A process group of its own, so it can be ended as the other servers are.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = posix_spawnp(&pid_, "setpriv", &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        pid_ = -1;
        error = "cannot start Xvfb (is the xvfb package installed?)";
        return false;
    }
    std::string number;
    pollfd readable{pipeFds[0], POLLIN, 0};
    while (poll(&readable, 1, 20000) > 0) {
        char c;
        if (read(pipeFds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number.push_back(c);
    }
    close(pipeFds[0]);
    if (number.empty()) {
        stop();
        error = "Xvfb did not report a display";
        return false;
    }
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("XAUTHORITY");
    return true;
}

void XvfbServer::stop() {
    stopServerGroup(pid_);
}

}  // namespace tovra::test
