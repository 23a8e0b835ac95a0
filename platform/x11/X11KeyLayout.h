#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <array>
#include <map>
#include <optional>
#include <vector>

#include "platform/KeyboardTap.h"

namespace tovra {

class X11Connection;

/// Where the keys of our shortcuts are in each layout group of the keyboard (XKB shows up to
/// four groups in the core keymap, two columns each). A key is what it types in the group the
/// user types in, as applications read it, except that a group without Latin letters (Russian,
/// Greek) reads as the first group with them, so Ctrl+V stays where V is on the Latin layout. A
/// digit on the shifted level (AZERTY) counts as that digit.
class X11KeyLayout {
  public:
    static constexpr int groupCount = 4;

    /// Reads the keymap for keycodes `first` to `last`.
    void load(xcb_key_symbols_t* symbols, xcb_keycode_t first, xcb_keycode_t last);

    /// The XKB group of a core event's state.
    static int groupOf(std::uint16_t state) { return (state >> 13) & 3; }
    /// The group the user types in now (one round trip).
    static int currentGroup(X11Connection& connection);

    /// The shortcut key `code` is in `group`, if any.
    [[nodiscard]] std::optional<Key> keyAt(xcb_keycode_t code, int group) const;
    /// True when `code` is `key` in some group.
    [[nodiscard]] bool isKeyInAnyGroup(xcb_keycode_t code, Key key) const;
    /// Every keycode that is `key` in some group: the ones to grab.
    [[nodiscard]] const std::vector<xcb_keycode_t>& codesOf(Key key) const;
    /// A keycode that types `key` in `group`, or 0 when none does.
    [[nodiscard]] xcb_keycode_t codeIn(Key key, int group) const;

    bool operator==(const X11KeyLayout&) const = default;

  private:
    [[nodiscard]] int readingGroup(int group) const;

    std::array<std::map<xcb_keycode_t, Key>, groupCount> keyOf_;
    std::array<bool, groupCount> latin_{};
    std::map<Key, std::vector<xcb_keycode_t>> codesOf_;
};

}  // namespace tovra
