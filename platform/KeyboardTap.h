#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace tovra {

/// The keys a global shortcut may use, by what they produce in the current layout.
enum class Key {
    a,
    b,
    c,
    d,
    e,
    f,
    g,
    h,
    i,
    j,
    k,
    l,
    m,
    n,
    o,
    p,
    q,
    r,
    s,
    t,
    u,
    v,
    w,
    x,
    y,
    z,
    digit0,
    digit1,
    digit2,
    digit3,
    digit4,
    digit5,
    digit6,
    digit7,
    digit8,
    digit9,
    f1,
    f2,
    f3,
    f4,
    f5,
    f6,
    f7,
    f8,
    f9,
    f10,
    f11,
    f12,
    escape,
    upArrow,
    downArrow,
    leftArrow,
    rightArrow,
    other
};

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
    /// before): whatever frees the keyboard from a stuck handler waits that much longer. A tap
    /// may still let a held key go sooner (on X11, before the server would repeat it): it then
    /// reaches the application as typed, and `isHeld` says so.
    virtual void setLongestHold(std::chrono::milliseconds longest) { (void)longest; }
    /// Delivers a paste keystroke of our own, V with exactly `modifiers` (Command: Ctrl+V; a
    /// terminal's Ctrl+Shift+V), marked `synthetic`, once the user has let go of V.
    virtual void postSyntheticPaste(unsigned modifiers) = 0;
    /// False where the system lets no program type keys: a staged item waits for the user's
    /// own paste key.
    [[nodiscard]] virtual bool canTypeKeys() const { return true; }
    /// False where no key reaches the tap: the desktop's own key bindings run the commands.
    [[nodiscard]] virtual bool interceptsKeys() const { return true; }

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

    /// The shortcuts a tap takes from every application (a copy is only observed). The
    /// overlay's own (Escape, moving and dropping items) are taken only while it is active: held
    /// all the time they would be taken from every application, and from window managers that
    /// switch desktops with Ctrl+Alt+arrows. The first of `always` is the paste: without it the
    /// tap does not start.
    struct ShortcutSet {
        std::vector<Shortcut> always;
        std::vector<Shortcut> overlayOnly;
        friend bool operator==(const ShortcutSet&, const ShortcutSet&) = default;
    };
    /// Takes `shortcuts` instead of the ones before, at once when running.
    void setShortcuts(ShortcutSet shortcuts) {
        if (shortcuts != shortcuts_) {
            shortcuts_ = std::move(shortcuts);
            shortcutsDidChange();
        }
    }
    [[nodiscard]] const ShortcutSet& shortcuts() const { return shortcuts_; }
    [[nodiscard]] bool isOverlayShortcut(const Shortcut& shortcut) const {
        return std::find(shortcuts_.overlayOnly.begin(), shortcuts_.overlayOnly.end(), shortcut) !=
               shortcuts_.overlayOnly.end();
    }
    /// One of ours: a key grabbed for another chord of it (the same key in another layout
    /// group, another shortcut on the same key) is not.
    [[nodiscard]] bool isShortcut(const Shortcut& shortcut) const {
        return isOverlayShortcut(shortcut) ||
               std::find(shortcuts_.always.begin(), shortcuts_.always.end(), shortcut) !=
                   shortcuts_.always.end();
    }
    virtual void setOverlayShortcutsActive(bool active) = 0;

  protected:
    /// Regrabs what `shortcuts()` now names when running.
    virtual void shortcutsDidChange() {}

  private:
    ShortcutSet shortcuts_;
};

}  // namespace tovra
