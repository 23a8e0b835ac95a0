#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/MainQueue.h"

namespace tovra {

/// A main loop on poll(2), without a toolkit: for backends and their tests, where a toolkit's
/// own threads would only be noise. `post` may be called from any thread.
class PollMainQueue final : public MainQueue {
  public:
    PollMainQueue();
    ~PollMainQueue() override;

    void post(std::function<void()> task) override;
    [[nodiscard]] TaskHandle after(Seconds delay, std::function<void()> task) override;
    [[nodiscard]] TaskHandle every(Seconds interval, std::function<void()> task) override;
    [[nodiscard]] TimePoint now() const override { return std::chrono::steady_clock::now(); }
    [[nodiscard]] TaskHandle watchReadable(int fd, std::function<void()> onReadable) override;

    /// Waits at most `timeout` for something to do, then does everything that is due.
    void runOnce(std::chrono::milliseconds timeout);
    /// Timers that will still fire: none while the program is at rest.
    [[nodiscard]] std::size_t pendingTimerCount() const {
        return static_cast<std::size_t>(
            std::count_if(timers_.begin(), timers_.end(),
                          [](const auto& timer) { return !timer.second.state->cancelled; }));
    }

  private:
    struct Timer {
        std::function<void()> task;
        std::shared_ptr<TaskState> state;
        Seconds repeat;
    };
    struct Watch {
        int fd;
        std::function<void()> onReadable;
        std::shared_ptr<TaskState> state;
    };

    TaskHandle schedule(Seconds delay, Seconds repeat, std::function<void()> task);
    void runPosted();
    void runDueTimers();

    int wakeFd_ = -1;
    std::mutex postedMutex_;  // guards posted_, the one thing other threads touch
    std::deque<std::function<void()>> posted_;
    std::multimap<TimePoint, Timer> timers_;
    std::vector<Watch> watches_;
};

}  // namespace tovra
