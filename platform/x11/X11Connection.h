#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "X11HelperWindow.h"
#include "platform/CHandle.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;

inline void releaseMemory(void* pointer) noexcept {
    std::free(pointer);
}
/// Replies and events from xcb are malloc'ed: they live in handles that free them.
template <class T>
using XcbReply = CHandle<T, releaseMemory>;
/// A connection of our own, closed with its owner.
using XcbConnection = CHandle<xcb_connection_t, xcb_disconnect>;

namespace x11 {
/// Server times wrap around every 49.7 days: the protocol compares them by distance.
constexpr bool isEarlier(xcb_timestamp_t time, xcb_timestamp_t other) {
    return static_cast<std::int32_t>(time - other) < 0;
}
}  // namespace x11

/// One connection to the X server, shared by the X11 backends. Its descriptor is watched by the
/// main loop and every event goes to every subscriber, on the main thread.
class X11Connection {
  public:
    using EventHandler = std::function<void(const xcb_generic_event_t&)>;

    /// Opens the display named (or $DISPLAY for null); nullptr with a reason on failure.
    static std::unique_ptr<X11Connection> open(const char* displayName, std::string& error);
    /// The one way to connect: the connection and its default screen, or null with a reason.
    static XcbConnection connect(const char* displayName, xcb_screen_t*& screen,
                                 std::string& error);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    [[nodiscard]] xcb_connection_t* get() const { return connection_.get(); }
    [[nodiscard]] xcb_window_t root() const { return screen_->root; }
    [[nodiscard]] xcb_screen_t* screen() const { return screen_; }
    /// The display as it was named when opened (empty: $DISPLAY).
    [[nodiscard]] const std::string& displayName() const { return displayName_; }

    /// Interned once, then cached.
    xcb_atom_t atom(std::string_view name);
    std::string atomName(xcb_atom_t atom);

    /// First event code of the XFixes extension, or 0 when the server lacks it.
    [[nodiscard]] std::uint8_t xfixesFirstEvent() const { return xfixesFirstEvent_; }
    /// XInput 2.1 or later: from 2.1 on, raw key events reach root listeners whatever is grabbed.
    bool hasXInput21();
    /// The local process of the client that made `window`, as the server knows it (X-Resource).
    std::optional<std::int64_t> clientProcessId(xcb_window_t window);
    /// True when both windows belong to one client (their resource id base), or to one process
    /// (an application may talk to the server over more than one connection).
    bool sameApplication(xcb_window_t window, xcb_window_t other);

    /// Starts delivering events from the main loop.
    void attach(MainQueue& mainQueue);
    /// Delivers every event already received.
    void dispatchPending();
    /// Every wait for a reply may pull events into xcb's queue without the descriptor waking us
    /// again (a frozen keystroke would then wait): whoever waits for a reply calls this.
    void scheduleDispatch();

    /// Subscribes until the returned handle is dropped.
    [[nodiscard]] TaskHandle subscribe(EventHandler handler);

    /// A current server timestamp, from a zero-length property change on `window` (which must
    /// select PropertyChangeMask). Events read meanwhile are kept for the next dispatch.
    xcb_timestamp_t serverTime(xcb_window_t window);
    /// The keys down now, as the server sees them; none when it does not answer.
    std::optional<std::set<xcb_keycode_t>> keysDown();
    /// How long a key is down before the server repeats it; none when keys do not repeat.
    std::optional<std::chrono::milliseconds> keyRepeatDelay();

    /// A new unmapped window that only we use, for selections and properties.
    [[nodiscard]] std::unique_ptr<X11HelperWindow> createHelperWindow(std::uint32_t eventMask) {
        return std::make_unique<X11HelperWindow>(get(), root(), eventMask);
    }

    void flush() { xcb_flush(get()); }

  private:
    X11Connection(XcbConnection connection, xcb_screen_t* screen);
    void deliver(const xcb_generic_event_t& event);

    XcbConnection connection_;
    xcb_screen_t* screen_;
    std::string displayName_;
    MainQueue* mainQueue_ = nullptr;
    TaskHandle readWatch_;
    bool dispatchScheduled_ = false;
    std::uint8_t xfixesFirstEvent_ = 0;
    std::unordered_map<std::string, xcb_atom_t> atoms_;
    std::deque<XcbReply<xcb_generic_event_t>> stashed_;
    struct Subscriber {
        std::weak_ptr<TaskState> state;
        EventHandler handler;
    };
    std::vector<Subscriber> subscribers_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tovra
