#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "X11Connection.h"

namespace tovra {

/// Lets a frozen keyboard go when the main loop does not answer a key in time: stuck before it
/// ever read the key, or holding one far longer than any paste needs. It listens for XInput2
/// raw key presses on a connection of its own (they arrive even while our grab freezes the
/// keyboard) and looks again once a press is `stall` old, so at rest it sleeps in poll and
/// never wakes.
class X11KeyboardWatchdog {
  public:
    /// Null, with a reason, when the display or XInput2 cannot be reached.
    static std::unique_ptr<X11KeyboardWatchdog> start(const std::string& displayName,
                                                      xcb_connection_t* grabbing,
                                                      std::chrono::milliseconds stall,
                                                      std::string& error);
    ~X11KeyboardWatchdog();
    X11KeyboardWatchdog(const X11KeyboardWatchdog&) = delete;
    X11KeyboardWatchdog& operator=(const X11KeyboardWatchdog&) = delete;

    /// Main thread: a key event of this server time was read.
    void keySeen(xcb_timestamp_t time);
    /// Main thread: a keystroke now waits for our answer, or no longer does.
    void setFrozen(bool frozen);
    /// How often it let the keyboard go.
    [[nodiscard]] int releases() const { return releases_; }
    /// How often its thread woke up.
    [[nodiscard]] int wakeUps() const { return wakeUps_; }

  private:
    X11KeyboardWatchdog(XcbConnection connection, xcb_connection_t* grabbing,
                        std::chrono::milliseconds stall, std::uint8_t xinputOpcode);
    void run();
    void release();

    XcbConnection connection_;
    xcb_connection_t* grabbing_;
    std::chrono::milliseconds stall_;
    std::uint8_t xinputOpcode_;
    int wakeFds_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    /// The newest key time the main thread read, and whether it read any.
    std::atomic<xcb_timestamp_t> lastSeen_{0};
    std::atomic<bool> seenAny_{false};
    /// Steady milliseconds since a keystroke waits for the main thread; 0 when none does.
    std::atomic<std::int64_t> frozenAt_{0};
    std::atomic<int> releases_{0};
    std::atomic<int> wakeUps_{0};
    std::thread thread_;
};

}  // namespace tovra
