#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace tovra::test {

/// A program that runs beside a test (a window manager, a paste target) and is stopped with it.
class BackgroundProcess {
  public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess() { stop(); }
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    [[nodiscard]] bool isRunning();
    [[nodiscard]] pid_t pid() const { return pid_; }
    void stop();
    /// Waits up to `timeoutMs` for it to end on its own: its wait status, or nothing.
    std::optional<int> waitForExit(int timeoutMs);
    /// What it printed on its standard output so far.
    std::string output();

  private:
    pid_t pid_ = -1;
    int outputFd_ = -1;
    std::string output_;
};

}  // namespace tovra::test
