#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "X11Connection.h"
#include "X11EventThread.h"

namespace tovra {

/// Lets a frozen keyboard go when the main loop does not answer a key in time: stuck before it
/// ever read the key, or holding one far longer than any paste needs. It listens for XInput2
/// raw key presses on a connection of its own (they arrive even while our grab freezes the
/// keyboard) and looks again once a press is `stall` old, so at rest it sleeps in poll and
/// never wakes. The main thread asks it, for every key it reads, whether that key was already
/// let go, so a late answer neither acts on the key nor answers it twice.
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
    /// Main thread: the keystroke pressed at `key` now waits for our answer; none: nothing does.
    void setFrozen(std::optional<xcb_timestamp_t> key);
    /// Main thread: the frozen keystroke is kept on purpose for up to `longest`; it is let go
    /// once that and the stall have passed without an answer.
    void heldOnPurpose(std::chrono::milliseconds longest);
    /// Main thread: true once for the grabbed keystroke pressed at `key` when the watchdog let
    /// it reach the application already. Keys are asked in the order they were pressed.
    bool wasLetGo(xcb_timestamp_t key);
    /// How often it let the keyboard go.
    [[nodiscard]] int releases() const { return releases_; }
    /// How often its thread woke up.
    [[nodiscard]] int wakeUps() const { return thread_ ? thread_->wakeUps() : 0; }

  private:
    using Clock = X11EventThread::Clock;
    /// The keys one release let go: the frozen one, if any, is the first grabbed keystroke
    /// pressed within [from, upTo].
    struct Release {
        xcb_timestamp_t from;
        xcb_timestamp_t upTo;
    };
    struct Press {
        xcb_timestamp_t time;
        Clock::time_point checkAt;
    };

    X11KeyboardWatchdog(XcbConnection connection, xcb_connection_t* grabbing,
                        std::chrono::milliseconds stall, std::uint8_t xinputOpcode);
    void onEvent(const xcb_generic_event_t& event);
    std::optional<Clock::time_point> afterWake();
    void release(Release released);

    XcbConnection connection_;
    xcb_connection_t* grabbing_;
    std::chrono::milliseconds stall_;
    std::uint8_t xinputOpcode_;
    /// The newest key time the main thread read, and whether it read any.
    std::atomic<xcb_timestamp_t> lastSeen_{0};
    std::atomic<bool> seenAny_{false};

    std::mutex mutex_;  // guards what the main thread and the watchdog both change below
    /// A keystroke waiting for the main thread: its time, and when it is let go.
    struct Frozen {
        xcb_timestamp_t key;
        Clock::time_point letGoAt;
    };
    std::optional<Frozen> frozen_;
    bool frozenReleased_ = false;
    std::deque<Release> releasesToTell_;
    std::atomic<int> releases_{0};

    // Watchdog thread only.
    std::deque<Press> presses_;
    xcb_timestamp_t newestPress_ = 0;

    /// Last: it runs on everything above.
    std::unique_ptr<X11EventThread> thread_;
};

}  // namespace tovra
