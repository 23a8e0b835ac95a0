#include "X11ModifierKeys.h"

#include <algorithm>
#include <vector>

#include "X11Connection.h"
#include "platform/KeyboardTap.h"

namespace tovra {

namespace {

constexpr xcb_keysym_t controlLeftKeysym = 0xffe3;
constexpr xcb_keysym_t shiftLeftKeysym = 0xffe1;
constexpr xcb_keysym_t altLeftKeysym = 0xffe9;
constexpr xcb_keysym_t numLockKeysym = 0xff7f;

/// The keys that produce `keysym` unshifted, as applications read shortcuts.
std::vector<xcb_keycode_t> codesFor(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> codes;
    XcbReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* code = list.get(); code != nullptr && *code != XCB_NO_SYMBOL;
         ++code) {
        if (xcb_key_symbols_get_keysym(symbols, *code, 0) == keysym &&
            std::find(codes.begin(), codes.end(), *code) == codes.end()) {
            codes.push_back(*code);
        }
    }
    return codes;
}

xcb_keycode_t firstCode(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    const auto codes = codesFor(symbols, keysym);
    return codes.empty() ? xcb_keycode_t{0} : codes.front();
}

}  // namespace

X11ModifierKeys X11ModifierKeys::load(xcb_connection_t* c, xcb_key_symbols_t* symbols) {
    X11ModifierKeys keys;
    keys.controlLeft = firstCode(symbols, controlLeftKeysym);
    keys.shiftLeft = firstCode(symbols, shiftLeftKeysym);
    keys.altLeft = firstCode(symbols, altLeftKeysym);
    const auto numLocks = codesFor(symbols, numLockKeysym);
    XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!mapping) {
        return keys;
    }
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    // The modifier map's rows: Shift, Lock, Control, Mod1 (Alt) ... Mod4 (Super), Mod5.
    std::set<xcb_keycode_t>* rows[8] = {&keys.shift, nullptr, &keys.control, &keys.alt,
                                        nullptr,     nullptr, &keys.super,   nullptr};
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = codes[modifier * perModifier + i];
            if (code == 0) {
                continue;
            }
            if (rows[modifier] != nullptr) {
                rows[modifier]->insert(code);
            }
            if (std::find(numLocks.begin(), numLocks.end(), code) != numLocks.end()) {
                keys.numLockMask = static_cast<std::uint16_t>(1U << modifier);
            }
        }
    }
    return keys;
}

unsigned X11ModifierKeys::heldBy(const std::set<xcb_keycode_t>& down) const {
    const auto any = [&](const std::set<xcb_keycode_t>& codes) {
        return std::any_of(codes.begin(), codes.end(),
                           [&](xcb_keycode_t code) { return down.contains(code); });
    };
    unsigned modifiers = noModifier;
    if (any(control)) {
        modifiers |= Modifier::command;
    }
    if (any(shift)) {
        modifiers |= Modifier::shift;
    }
    if (any(alt)) {
        modifiers |= Modifier::option;
    }
    if (any(super)) {
        modifiers |= Modifier::control;
    }
    return modifiers;
}

}  // namespace tovra
