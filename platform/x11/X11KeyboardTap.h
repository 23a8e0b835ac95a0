#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "X11KeyLayout.h"
#include "X11KeyboardWatchdog.h"
#include "X11ShortcutGrabs.h"
#include "platform/CHandle.h"
#include "platform/KeyboardTap.h"
#include "platform/TaskHandle.h"

struct _XCBKeySymbols;

namespace tovra {

class MainQueue;
class X11Connection;

/// Global shortcuts on X11. Each shortcut is a synchronous passive grab (X11ShortcutGrabs): while
/// the handler decides, the keyboard waits, and its answer replays the keystroke
/// to the focused window, swallows it, or keeps it frozen until later. Copies are observed,
/// never grabbed, through XInput2 raw events; injected pastes go through XTEST.
class X11KeyboardTap final : public KeyboardTap {
  public:
    struct Options {
        /// A key unanswered this long means a stuck main loop: the watchdog lets it through.
        std::chrono::milliseconds watchdogStall{600};
        /// How long an injected paste waits for the user to let go of V.
        std::chrono::milliseconds releaseWait{2000};
    };

    X11KeyboardTap(X11Connection& connection, MainQueue& mainQueue, Options options);
    ~X11KeyboardTap() override;

    bool start(Handler handler) override;
    void stop() override;
    [[nodiscard]] bool isRunning() const override { return running_; }
    void replayHeld(std::uint64_t serial) override;
    void swallowHeld(std::uint64_t serial) override;
    void postSyntheticPaste(unsigned modifiers) override;
    void setShortcutsChangedHandler(std::function<void()> changed) override {
        shortcutsChanged_ = std::move(changed);
    }
    [[nodiscard]] std::vector<Shortcut> unavailableShortcuts() const override {
        return grabs_.unavailable();
    }
    void setOverlayShortcutsActive(bool active) override;

    /// The shortcuts the tap intercepts (copy is observed, not intercepted).
    static const std::vector<Shortcut>& interceptedShortcuts();

    /// Windows whose keystrokes pass untouched when they have the focus: our own text fields
    /// paste the clipboard as it is, like any text field. `mayHaveFocus` is the toolkit's own
    /// knowledge that one of them is focused, asked without a round trip; only when it says yes
    /// is the server asked which window has the focus (the toolkit learns of a focus change a
    /// little late). Without it the server is asked at every key.
    void setPassThroughFocus(std::function<bool(xcb_window_t focus)> isOwn,
                             std::function<bool()> mayHaveFocus = nullptr) {
        passThroughFocus_ = std::move(isOwn);
        ownWindowMayHaveFocus_ = std::move(mayHaveFocus);
    }
    /// The time of the keystroke being decided or held, while there is one.
    [[nodiscard]] std::optional<xcb_timestamp_t> heldKeystrokeTime() const {
        return held_ ? std::optional<xcb_timestamp_t>(held_->time) : deciding_;
    }
    /// While running; null where the display offers no watchdog.
    [[nodiscard]] const X11KeyboardWatchdog* watchdog() const { return watchdog_.get(); }
    /// A filter for the windows of another connection of this process (Qt's).
    static std::function<bool(xcb_window_t)> windowsOf(xcb_connection_t* connection);

  private:
    struct Held {
        std::uint64_t serial;
        xcb_timestamp_t time;
    };

    bool loadKeymap();
    void refreshPressedKeys();
    bool grabAll();
    void handleEvent(const xcb_generic_event_t& event);
    void onKeyPress(const xcb_key_press_event_t& event);
    void onRawKey(const xcb_generic_event_t& event, bool press);
    void answer(KeyAnswer answer, xcb_keycode_t keycode, xcb_timestamp_t time);
    bool focusPassesThrough();
    void injectPasteNow();
    /// The layout group the user types in now (one round trip).
    int currentGroup();
    [[nodiscard]] bool isHeldDown(Key key) const;
    [[nodiscard]] unsigned trackedModifiers() const;
    /// The keystroke being decided or held waits for us, or none does.
    void setFrozen(bool frozen);

    X11Connection& connection_;
    MainQueue& mainQueue_;
    Options options_;
    Handler handler_;
    std::function<bool(xcb_window_t)> passThroughFocus_;
    std::function<bool()> ownWindowMayHaveFocus_;
    std::function<void()> shortcutsChanged_;
    bool running_ = false;
    TaskHandle subscription_;
    CHandle<xcb_key_symbols_t, xcb_key_symbols_free> symbols_;

    X11KeyLayout layout_;
    std::uint16_t numLockMask_ = 0;
    std::set<xcb_keycode_t> controlCodes_, shiftCodes_, altCodes_, superCodes_;
    xcb_keycode_t controlLeft_ = 0, shiftLeft_ = 0, altLeft_ = 0;
    X11ShortcutGrabs grabs_{connection_, layout_};

    std::uint8_t xinputOpcode_ = 0;
    std::uint16_t xtestDevice_ = 0;
    std::set<xcb_keycode_t> pressed_;
    /// Modifiers pressed again with XTEST after an injected paste, for the user still holding
    /// them: each goes up on XTEST too when the user lets go of it.
    std::set<xcb_keycode_t> pressedAgain_;
    std::map<xcb_keycode_t, std::uint16_t> lastPressSource_;

    std::uint64_t nextSerial_ = 1;
    std::optional<Held> held_;
    std::optional<xcb_timestamp_t> deciding_;
    /// The key whose swallowed press keeps our grab active until it is released.
    std::optional<xcb_keycode_t> activeGrabKey_;
    /// The modifiers of each injected paste still to type, in order.
    std::deque<unsigned> injectionsWaiting_;
    TaskHandle injectionDeadline_;

    std::unique_ptr<X11KeyboardWatchdog> watchdog_;
};

}  // namespace tovra
