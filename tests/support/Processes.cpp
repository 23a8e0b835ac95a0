#include "Processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "TestEventLoop.h"

extern char** environ;

namespace tovra::test {

SpawnArguments::SpawnArguments(const std::vector<std::string>& args) : storage(args) {
    for (auto& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
}

namespace {

CommandResult run(const std::vector<std::string>& args, const std::string& input, bool capture) {
    CommandResult result;
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        return result;
    }
    SpawnArguments spawn(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (capture) {
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int spawned =
        posix_spawnp(&pid, spawn.argv[0], &actions, nullptr, spawn.argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        return result;
    }
    // Feed and drain at once: a large input or output must not fill a pipe and stall both.
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    std::size_t written = 0;
    int inFd = in[1];
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    // Our own event loop keeps running meanwhile: the program may be asking us for the clipboard.
    int outFd = out[0];
    QElapsedTimer clock;
    clock.start();
    while ((inFd >= 0 || outFd >= 0) && clock.elapsed() < 60000) {
        pollfd fds[2] = {{outFd, POLLIN, 0}, {inFd, POLLOUT, 0}};
        poll(fds, 2, 5);
        if (inFd >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
            const ssize_t n = write(inFd, input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if ((n < 0 && errno != EAGAIN) || written >= input.size()) {
                close(inFd);
                inFd = -1;
            }
        }
        if (outFd >= 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[65536];
            const ssize_t n = read(outFd, buffer, sizeof buffer);
            if (n <= 0) {
                close(outFd);
                outFd = -1;
            } else {
                result.output.append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (!TestEventLoop::turnAll() && QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents();
        }
    }
    if (inFd >= 0) {
        close(inFd);
    }
    if (outFd >= 0) {
        close(outFd);
    }
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (!TestEventLoop::turnAll() && QCoreApplication::instance() != nullptr) {
            QCoreApplication::processEvents();
        }
        usleep(1000);
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace

CommandResult runCommand(const std::vector<std::string>& args, const std::string& input) {
    return run(args, input, true);
}

int runDetaching(const std::vector<std::string>& args, const std::string& input) {
    return run(args, input, false).exitCode;
}

int spawnServerGroup(const std::vector<std::string>& argv) {
    SpawnArguments spawn(argv);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (std::getenv("TOVRA_TEST_STDERR") == nullptr) {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0].c_str(), &actions, &attributes, spawn.argv.data(), environ) !=
        0) {
        pid = -1;
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void stopServerGroup(int& pid) {
    if (pid <= 0) {
        return;
    }
    int status = 0;
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 20) {
        // Again and again: an X server that hears TERM just before it sleeps only sets a flag
        // and sleeps on (seen under load: Xvfb waiting out its ten-minute timer).
        if (waited % 500 == 0) {
            kill(-pid, SIGTERM);
        }
        if (waited >= 5000) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        usleep(20'000);
    }
    pid = -1;
}

bool listensAt(const std::string& path) {
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        close(fd);
    }
    return connected;
}

}  // namespace tovra::test
