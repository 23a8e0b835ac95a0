#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/KeyboardTap.h"

namespace tovra {

class X11Connection;
class X11KeyLayout;

/// The passive grabs of the global shortcuts on the root window: synchronous, so the keyboard
/// waits for our answer, at the keycodes that produce each key in the current layout and with
/// every Caps Lock / Num Lock variant. The overlay's shortcuts are held only while it shows;
/// while it is hidden they are tried once per regrab, to learn whether another program holds
/// them.
class X11ShortcutGrabs {
  public:
    using Shortcut = KeyboardTap::Shortcut;

    /// The layout must outlive the grabs.
    X11ShortcutGrabs(X11Connection& connection, const X11KeyLayout& layout)
        : connection_(connection), layout_(layout) {}

    /// Grabs `shortcuts` in order; false as soon as the first one (the paste) is refused.
    bool grabAll(const KeyboardTap::ShortcutSet& shortcuts, std::uint16_t numLockMask);
    /// Lets every grab go; once it returns, the keys are other clients' again.
    void ungrabAll();
    /// Takes or releases the overlay's shortcuts; true when which shortcuts another program
    /// holds changed. Only remembered while nothing is grabbed.
    bool setOverlayActive(bool active);

    [[nodiscard]] const std::vector<Shortcut>& unavailable() const { return unavailable_; }

  private:
    /// Grabs one shortcut with every lock variant; false (and nothing kept) when refused.
    bool grab(const Shortcut& shortcut);
    void ungrab(const Shortcut& shortcut, const std::vector<xcb_keycode_t>& codes);
    [[nodiscard]] std::vector<std::uint16_t> lockVariants() const;
    [[nodiscard]] bool isOverlay(const Shortcut& shortcut) const;

    X11Connection& connection_;
    const X11KeyLayout& layout_;
    KeyboardTap::ShortcutSet shortcuts_;
    std::uint16_t numLockMask_ = 0;
    bool overlayActive_ = false;
    std::vector<std::pair<Shortcut, std::vector<xcb_keycode_t>>> grabbed_;
    std::vector<Shortcut> unavailable_;
};

}  // namespace tovra
