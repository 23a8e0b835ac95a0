#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <set>

namespace tovra {

/// Which keys are the modifiers, as the server's modifier map says, and the lock bit of Num
/// Lock. Command is Control here, Option is Alt (Mod1), Control is Super (Mod4).
struct X11ModifierKeys {
    std::set<xcb_keycode_t> control, shift, alt, super;
    /// The left-hand key of each, to press when a chord needs it; 0 when the keymap has none.
    xcb_keycode_t controlLeft = 0, shiftLeft = 0, altLeft = 0;
    std::uint16_t numLockMask = 0;

    /// Reads the map (one round trip).
    static X11ModifierKeys load(xcb_connection_t* connection, xcb_key_symbols_t* symbols);
    /// The modifiers, as the tap names them, that the keys in `down` hold.
    [[nodiscard]] unsigned heldBy(const std::set<xcb_keycode_t>& down) const;

    bool operator==(const X11ModifierKeys&) const = default;
};

}  // namespace tovra
