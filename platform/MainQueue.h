#pragma once

#include <chrono>
#include <functional>

#include "platform/TaskHandle.h"

namespace tovra {

/// The one thread's event loop. All queue state is touched only from tasks it runs; times are
/// measured on a monotonic clock.
class MainQueue {
  public:
    using Seconds = std::chrono::duration<double>;
    using TimePoint = std::chrono::steady_clock::time_point;

    MainQueue() = default;
    virtual ~MainQueue() = default;
    MainQueue(const MainQueue&) = delete;
    MainQueue& operator=(const MainQueue&) = delete;

    /// Runs `task` on a later turn of the loop. The one call other threads may make.
    virtual void post(std::function<void()> task) = 0;
    /// Runs `task` once, `delay` from now, unless the handle is cancelled or dropped first.
    [[nodiscard]] virtual TaskHandle after(Seconds delay, std::function<void()> task) = 0;
    /// Runs `task` every `interval` until the handle is cancelled or dropped.
    [[nodiscard]] virtual TaskHandle every(Seconds interval, std::function<void()> task) = 0;
    [[nodiscard]] virtual TimePoint now() const = 0;
    /// Calls `onReadable` whenever the file descriptor has data, until the handle is dropped.
    [[nodiscard]] virtual TaskHandle watchReadable(int fd, std::function<void()> onReadable) = 0;
};

}  // namespace tovra
