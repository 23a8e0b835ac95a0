#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace tovra {

/// The keys of the global shortcuts, by what they produce in the current layout.
enum class Key { c, v, s, x, w, p, l, digit1, digit2, digit3, escape, upArrow, downArrow, other };

/// Modifiers under their desktop-neutral names. On X11 Command is Control, Option is Alt and
/// Control is Super; Caps Lock and Num Lock never count.
enum Modifier : unsigned {
    noModifier = 0,
    command = 1U << 0,
    shift = 1U << 1,
    option = 1U << 2,
    control = 1U << 3,
};

struct KeyPress {
    Key key;
    unsigned modifiers = noModifier;
    /// Our own injected paste, come back through the tap.
    bool synthetic = false;
    /// Names this keystroke while it is held.
    std::uint64_t serial = 0;
    /// One of our own windows has the focus: its text fields paste and Escape closes it.
    bool inOwnWindow = false;

    friend bool operator==(const KeyPress&, const KeyPress&) = default;
};

/// What the tap does with a key-down: let it reach the focused application, drop it, or keep it
/// back (the keyboard waits) until `replayHeld` or `swallowHeld`.
enum class KeyAnswer { pass, swallow, hold };

/// System-wide shortcut interception.
class KeyboardTap {
  public:
    using Handler = std::function<KeyAnswer(const KeyPress&)>;

    KeyboardTap() = default;
    virtual ~KeyboardTap() = default;
    KeyboardTap(const KeyboardTap&) = delete;
    KeyboardTap& operator=(const KeyboardTap&) = delete;

    /// False when the system refuses to let us intercept the paste shortcut.
    virtual bool start(Handler handler) = 0;
    virtual void stop() = 0;
    [[nodiscard]] virtual bool isRunning() const = 0;

    /// The held keystroke reaches the focused application as the user typed it.
    virtual void replayHeld(std::uint64_t serial) = 0;
    virtual void swallowHeld(std::uint64_t serial) = 0;
    /// True while the keystroke `serial` still waits for `replayHeld` or `swallowHeld`; false
    /// once something else answered it (a watchdog that frees a stuck keyboard lets it reach the
    /// application as typed): nothing may be done for it then.
    [[nodiscard]] virtual bool isHeld(std::uint64_t serial) = 0;
    /// The longest the handler keeps a key with `hold` on purpose (a paste waiting for the one
    /// before): whatever frees the keyboard from a stuck handler waits that much longer.
    virtual void setLongestHold(std::chrono::milliseconds longest) { (void)longest; }
    /// Delivers a paste keystroke of our own, V with exactly `modifiers` (Command: Ctrl+V; a
    /// terminal's Ctrl+Shift+V), marked `synthetic`, once the user has let go of V.
    virtual void postSyntheticPaste(unsigned modifiers) = 0;
    /// False where the system lets no program type keys: a staged item waits for the user's
    /// own paste key.
    [[nodiscard]] virtual bool canTypeKeys() const { return true; }

    /// Shortcuts another program holds; they never reach the handler.
    struct Shortcut {
        Key key;
        unsigned modifiers;
        friend bool operator==(const Shortcut&, const Shortcut&) = default;
    };
    [[nodiscard]] virtual std::vector<Shortcut> unavailableShortcuts() const = 0;
    /// `changed` runs whenever the shortcuts another program holds change (a regrab after a
    /// keyboard layout change may fail where it worked before).
    virtual void setShortcutsChangedHandler(std::function<void()> changed) { (void)changed; }

    /// The shortcuts that act only on the overlay (Escape, and Ctrl+Alt with X, W, L, Up or
    /// Down) are intercepted only while `active`: held all the time they would be taken from
    /// every application, and from window managers that switch desktops with Ctrl+Alt+arrows.
    virtual void setOverlayShortcutsActive(bool active) = 0;
    /// The shortcuts a tap takes from every application (a copy is only observed).
    [[nodiscard]] static const std::vector<Shortcut>& interceptedShortcuts() {
        // The paste grab comes first: without it the tap does not start.
        static const std::vector<Shortcut> shortcuts{
            {Key::v, command},
            {Key::v, command | shift},
            {Key::v, command | option},          // urxvt's paste key
            {Key::v, command | option | shift},  // burst where Ctrl+Shift+V pastes (terminals)
            {Key::s, command | shift},
            {Key::escape, noModifier},
            {Key::x, command | option},
            {Key::w, command | option},
            {Key::digit1, command | option},
            {Key::digit2, command | option},
            {Key::digit3, command | option},
            {Key::p, command | option},
            {Key::l, command | option},
            {Key::upArrow, command | option},
            {Key::downArrow, command | option},
        };
        return shortcuts;
    }

    [[nodiscard]] static bool isOverlayShortcut(const Shortcut& shortcut) {
        if (shortcut.key == Key::escape) {
            return shortcut.modifiers == noModifier;
        }
        const bool overlayKey = shortcut.key == Key::x || shortcut.key == Key::w ||
                                shortcut.key == Key::l || shortcut.key == Key::upArrow ||
                                shortcut.key == Key::downArrow;
        return overlayKey && shortcut.modifiers == (command | option);
    }
};

}  // namespace tovra
