#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "platform/MainQueue.h"

namespace tovra::testing {

/// A main queue on a virtual clock: nothing runs until the test advances time, so a one-minute
/// expiry takes microseconds. Tasks due at the same moment run in the order they were scheduled.
class FakeMainQueue final : public MainQueue {
  public:
    FakeMainQueue();

    void post(std::function<void()> task) override;
    [[nodiscard]] TaskHandle after(Seconds delay, std::function<void()> task) override;
    [[nodiscard]] TaskHandle every(Seconds interval, std::function<void()> task) override;
    [[nodiscard]] TimePoint now() const override { return now_; }
    [[nodiscard]] TaskHandle watchReadable(int fd, std::function<void()> onReadable) override;
    /// The test says that `fd` has data: its watchers run.
    void notifyReadable(int fd);

    /// Moves the clock forward, running every task that falls due on the way at its own time.
    void advance(Seconds duration);
    /// Runs what is due now (posted tasks included) without moving the clock.
    void runReady() { advance(Seconds(0)); }
    /// Tasks that will still run.
    [[nodiscard]] std::size_t pendingCount() const;
    /// Seconds since the queue was made.
    [[nodiscard]] double elapsed() const;

  private:
    struct Entry {
        std::function<void()> task;
        std::shared_ptr<TaskState> state;
        Seconds repeat{0};
    };
    std::shared_ptr<TaskState> enqueue(TimePoint due, Seconds repeat, std::function<void()> task);

    TimePoint start_;
    TimePoint now_;
    std::uint64_t sequence_ = 0;
    std::multimap<std::pair<TimePoint, std::uint64_t>, Entry> entries_;
    std::multimap<int, Entry> readableWatches_;
};

}  // namespace tovra::testing
