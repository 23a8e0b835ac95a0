#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

namespace tovra {

/// A thread that serves a connection of its own: it sleeps in poll until the connection has
/// something, it is woken, or the deadline its owner gave passes. Every wake-up is drained, so
/// at rest it never runs.
class X11EventThread {
  public:
    using Clock = std::chrono::steady_clock;
    struct Loop {
        /// One event read from the connection.
        std::function<void(const xcb_generic_event_t&)> onEvent;
        /// After each wake-up, once its events are handled: the latest time to wake up again,
        /// or none to wait for the next event.
        std::function<std::optional<Clock::time_point>()> afterWake;
    };

    /// Starts serving `connection`, which must outlive the thread; `name` (at most 15
    /// characters) is what the system shows for the thread.
    X11EventThread(xcb_connection_t* connection, const char* name, Loop loop);
    /// Stops and joins the thread.
    ~X11EventThread();
    X11EventThread(const X11EventThread&) = delete;
    X11EventThread& operator=(const X11EventThread&) = delete;

    /// Makes the thread look at its connection again: another thread waiting for a reply on it
    /// may have pulled events into xcb's queue that poll will never report.
    void wake();
    /// How often the thread woke up.
    [[nodiscard]] int wakeUps() const { return wakeUps_; }

  private:
    void run(const char* name);

    xcb_connection_t* connection_;
    Loop loop_;
    int wakeFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<int> wakeUps_{0};
    std::thread thread_;
};

}  // namespace tovra
