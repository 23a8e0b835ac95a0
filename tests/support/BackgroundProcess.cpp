#include "BackgroundProcess.h"

#include "Processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>

extern char** environ;

namespace tovra::test {

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& args) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return;
    }
    SpawnArguments spawn(args);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    // Quiet unless TOVRA_TEST_STDERR is set, for when a test needs the programs' own account.
    if (std::getenv("TOVRA_TEST_STDERR") == nullptr) {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    if (posix_spawnp(&pid_, spawn.argv[0], &actions, nullptr, spawn.argv.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    outputFd_ = out[0];
    fcntl(outputFd_, F_SETFL, O_NONBLOCK);
}

bool BackgroundProcess::isRunning() {
    if (pid_ <= 0) {
        return false;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
    }
    return true;
}

std::optional<int> BackgroundProcess::waitForExit(int timeoutMs) {
    for (int waited = 0; pid_ > 0; waited += 10) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return status;
        }
        if (waited >= timeoutMs) {
            break;
        }
        usleep(10'000);
    }
    return std::nullopt;
}

std::string BackgroundProcess::output() {
    char buffer[4096];
    ssize_t n;
    while (outputFd_ >= 0 && (n = read(outputFd_, buffer, sizeof buffer)) > 0) {
        output_.append(buffer, static_cast<std::size_t>(n));
    }
    return output_;
}

void BackgroundProcess::stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        kill(pid_, SIGCONT);  // a stopped process hears the TERM only once it runs
        int status = 0;
        // One that ignores TERM is killed: no test waits for ever.
        for (int tries = 0; waitpid(pid_, &status, WNOHANG) == 0; ++tries) {
            if (tries == 500) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                break;
            }
            usleep(10'000);
        }
        pid_ = -1;
    }
    output();
    if (outputFd_ >= 0) {
        close(outputFd_);
        outputFd_ = -1;
    }
}

}  // namespace tovra::test
