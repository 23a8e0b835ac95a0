#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdint>
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
/// let go, so a late answer neither acts on the key nor answers it twice. No key stays frozen
/// until the server's repeat delay: the repeats it makes meanwhile are queued behind the
/// user's release, and the key would go on typing after the keyboard thaws.
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
    /// once that and the stall have passed without an answer, or before the server repeats it.
    void heldOnPurpose(std::chrono::milliseconds longest);
    /// Main thread: the server's key repeat delay; none when keys do not repeat.
    void setRepeatDelay(std::optional<std::chrono::milliseconds> delay);
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
    struct Arrival {
        xcb_timestamp_t time;
        Clock::time_point at;
    };

    X11KeyboardWatchdog(XcbConnection connection, xcb_connection_t* grabbing,
                        std::chrono::milliseconds stall, std::uint8_t xinputOpcode);
    void onEvent(const xcb_generic_event_t& event);
    std::optional<Clock::time_point> afterWake();
    void release(Release released);
    /// The stall, or less when keys repeat sooner.
    [[nodiscard]] std::chrono::milliseconds stall() const;
    /// The latest a keystroke the grab took at `since` may be let go, or none.
    [[nodiscard]] std::optional<Clock::time_point> repeatDeadline(Clock::time_point since) const;

    XcbConnection connection_;
    xcb_connection_t* grabbing_;
    std::chrono::milliseconds stall_;
    std::uint8_t xinputOpcode_;
    /// The newest key time the main thread read, and whether it read any.
    std::atomic<xcb_timestamp_t> lastSeen_{0};
    std::atomic<bool> seenAny_{false};

    std::mutex mutex_;  // guards what the main thread and the watchdog both change below
    /// A keystroke waiting for the main thread: its time, since when the grab holds it, and
    /// when it is let go.
    struct Frozen {
        xcb_timestamp_t key;
        Clock::time_point since;
        Clock::time_point letGoAt;
    };
    std::optional<Frozen> frozen_;
    bool frozenReleased_ = false;
    std::deque<Release> releasesToTell_;
    /// When the newest presses reached the watchdog: the main thread may read them late.
    std::deque<Arrival> arrivals_;
    /// When the main thread last answered a frozen keystroke.
    Clock::time_point lastThaw_;
    /// How long a key may stay frozen before the server repeats it; negative: no limit.
    std::atomic<std::int64_t> freezeLimitMs_{-1};
    std::atomic<int> releases_{0};

    // Watchdog thread only.
    std::deque<Press> presses_;
    xcb_timestamp_t newestPress_ = 0;

    /// Last: it runs on everything above.
    std::unique_ptr<X11EventThread> thread_;
};

}  // namespace tovra
