#pragma once

#include <cstdint>
#include <vector>

#include "platform/KeyboardTap.h"
#include "platform/TaskHandle.h"

struct wl_seat;

struct zwp_virtual_keyboard_v1;

namespace tovra {

class WaylandConnection;

/// Wayland lets no client catch another's keys: the shortcuts reach Tovra through the
/// compositor's own key bindings, which run the command line. What remains of the tap is typing
/// the paste, through a virtual keyboard where the compositor offers one (wlroots compositors)
/// or KWin's fake input where KWin grants it (to the program of our desktop entry); elsewhere
/// the item stays staged for the user's own paste key.
class WaylandKeyboardTap final : public KeyboardTap {
  public:
    explicit WaylandKeyboardTap(WaylandConnection& connection);
    ~WaylandKeyboardTap() override;

    /// Always succeeds: no key is intercepted, so none can be refused.
    bool start(Handler handler) override;
    void stop() override { running_ = false; }
    [[nodiscard]] bool isRunning() const override { return running_; }
    // Nothing is ever held.
    void replayHeld(std::uint64_t /*serial*/) override {}
    void swallowHeld(std::uint64_t /*serial*/) override {}
    [[nodiscard]] bool isHeld(std::uint64_t /*serial*/) override { return false; }
    /// Types V with `modifiers` on the virtual keyboard or through fake input; nothing where
    /// there is neither.
    void postSyntheticPaste(unsigned modifiers) override;
    [[nodiscard]] bool canTypeKeys() const override;
    [[nodiscard]] bool interceptsKeys() const override { return false; }
    [[nodiscard]] std::vector<Shortcut> unavailableShortcuts() const override { return {}; }
    void setOverlayShortcutsActive(bool /*active*/) override {}

    /// The keymap the virtual keyboard types with: the modifiers and V, nothing else.
    static const char* keymap();

  private:
    /// A virtual keyboard on the seat in use, made again when the seat changes.
    void attachKeyboard();
    void sendModifiers(unsigned mask);
    void sendKey(std::uint32_t key, bool pressed);
    /// KWin types with the user's own keymap, where the modifiers follow from the keys.
    void typeThroughFakeInput(unsigned modifiers);

    WaylandConnection& connection_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    wl_seat* keyboardSeat_ = nullptr;
    TaskHandle seatWatch_;
    bool running_ = false;
    bool fakeInputAuthenticated_ = false;
};

}  // namespace tovra
