#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "X11KeyLayout.h"
#include "X11KeyboardWatchdog.h"
#include "X11ModifierKeys.h"
#include "X11PasteTyping.h"
#include "X11ShortcutGrabs.h"
#include "platform/CHandle.h"
#include "platform/KeyboardTap.h"
#include "platform/TaskHandle.h"

struct _XCBKeySymbols;

namespace tovra {

class MainQueue;
class X11Connection;

/// Global shortcuts on X11. Each shortcut is a synchronous passive grab (X11ShortcutGrabs): while
/// the handler decides, the keyboard waits, and its answer replays the keystroke to the focused
/// window, swallows it, or keeps it frozen until later. A swallowed key lets the keyboard go at
/// once, so keys typed behind it reach their window in order. Copies are observed, never
/// grabbed, through XInput2 raw events; injected pastes go through XTEST (X11PasteTyping).
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
    [[nodiscard]] bool isHeld(std::uint64_t serial) override;
    void setLongestHold(std::chrono::milliseconds longest) override { longestHold_ = longest; }
    void postSyntheticPaste(unsigned modifiers) override;
    void setShortcutsChangedHandler(std::function<void()> changed) override {
        shortcutsChanged_ = std::move(changed);
    }
    [[nodiscard]] std::vector<Shortcut> unavailableShortcuts() const override {
        return grabs_.unavailable();
    }
    void setOverlayShortcutsActive(bool active) override;

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
        return waiting_ ? std::optional<xcb_timestamp_t>(waiting_->time) : std::nullopt;
    }
    /// While running; null where the display offers no watchdog.
    [[nodiscard]] const X11KeyboardWatchdog* watchdog() const { return watchdog_.get(); }
    /// A filter for the windows of another connection of this process (Qt's).
    static std::function<bool(xcb_window_t)> windowsOf(xcb_connection_t* connection);

  private:
    /// One key that is down, as the server's raw events tell: from its press to its release.
    struct KeyDown {
        /// The device that pressed it: the XTEST keyboard for what we type.
        std::uint16_t source = 0;
        /// Grabbed presses of it we were handed since it went down: more than one means the key
        /// is held and repeating.
        int grabbedPresses = 0;
        /// Our answer to its last grabbed press was to swallow it: its repeats are swallowed too.
        bool swallowed = false;
    };
    /// The grabbed keystroke the keyboard waits for, being decided or held.
    struct Waiting {
        std::uint64_t serial;
        xcb_keycode_t code;
        xcb_timestamp_t time;
    };

    void shortcutsDidChange() override;
    bool loadKeymap();
    void readKeysDown();
    bool grabAll();
    /// Grabs again; whoever listens hears when other programs now hold different shortcuts.
    void regrab();
    void handleEvent(const xcb_generic_event_t& event);
    void onKeyPress(const xcb_key_press_event_t& event);
    void onRawKey(const xcb_generic_event_t& event, bool press);
    void onMappingChanged(xcb_mapping_notify_event_t& mapping);
    /// Answers the keystroke waiting, unless the watchdog let it go first.
    void answer(KeyAnswer answer);
    /// True once the watchdog let the waiting keystroke go: it is no longer ours to answer.
    bool waitingWasLetGo();
    void setWaiting(std::optional<Waiting> waiting);
    bool focusPassesThrough();
    [[nodiscard]] std::set<xcb_keycode_t> codesDown() const;

    X11Connection& connection_;
    MainQueue& mainQueue_;
    Options options_;
    std::chrono::milliseconds longestHold_{0};
    Handler handler_;
    std::function<bool(xcb_window_t)> passThroughFocus_;
    std::function<bool()> ownWindowMayHaveFocus_;
    std::function<void()> shortcutsChanged_;
    bool running_ = false;
    TaskHandle subscription_;
    CHandle<xcb_key_symbols_t, xcb_key_symbols_free> symbols_;

    X11KeyLayout layout_;
    X11ModifierKeys modifiers_;
    X11ShortcutGrabs grabs_{connection_, layout_};
    X11PasteTyping typing_;

    std::uint8_t xinputOpcode_ = 0;
    std::uint16_t xtestDevice_ = 0;
    std::map<xcb_keycode_t, KeyDown> keysDown_;
    std::uint64_t nextSerial_ = 1;
    std::optional<Waiting> waiting_;

    std::unique_ptr<X11KeyboardWatchdog> watchdog_;
};

}  // namespace tovra
