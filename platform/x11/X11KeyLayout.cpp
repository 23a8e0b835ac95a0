#include "X11KeyLayout.h"

#include <algorithm>
#include <utility>

#include "X11Connection.h"

namespace tovra {

namespace {

std::optional<Key> keyOfKeysym(xcb_keysym_t keysym) {
    const auto offset = [](Key first, xcb_keysym_t delta) {
        return static_cast<Key>(static_cast<int>(first) + static_cast<int>(delta));
    };
    if (keysym >= 0x61 && keysym <= 0x7a) {  // a to z
        return offset(Key::a, keysym - 0x61);
    }
    if (keysym >= 0x30 && keysym <= 0x39) {  // 0 to 9
        return offset(Key::digit0, keysym - 0x30);
    }
    if (keysym >= 0xffbe && keysym <= 0xffc9) {  // F1 to F12
        return offset(Key::f1, keysym - 0xffbe);
    }
    switch (keysym) {
        case 0xff1b:
            return Key::escape;
        case 0xff51:
            return Key::leftArrow;
        case 0xff52:
            return Key::upArrow;
        case 0xff53:
            return Key::rightArrow;
        case 0xff54:
            return Key::downArrow;
        default:
            return std::nullopt;
    }
}

bool isDigit(Key key) {
    return key >= Key::digit0 && key <= Key::digit9;
}

}  // namespace

void X11KeyLayout::load(xcb_key_symbols_t* symbols, xcb_keycode_t first, xcb_keycode_t last) {
    for (auto& keys : keyOf_) {
        keys.clear();
    }
    latin_.fill(false);
    codesOf_.clear();
    for (int group = 0; group < groupCount; ++group) {
        for (int code = first; code <= last; ++code) {
            const auto keycode = static_cast<xcb_keycode_t>(code);
            const xcb_keysym_t plain = xcb_key_symbols_get_keysym(symbols, keycode, group * 2);
            latin_[static_cast<std::size_t>(group)] |= plain >= 0x61 && plain <= 0x7a;
            auto key = keyOfKeysym(plain);
            if (!key) {
                // AZERTY's digits sit on the shifted level; the shortcut keeps its modifiers.
                const auto shifted =
                    keyOfKeysym(xcb_key_symbols_get_keysym(symbols, keycode, group * 2 + 1));
                if (shifted && isDigit(*shifted) && plain != XCB_NO_SYMBOL) {
                    key = shifted;
                }
            }
            if (key) {
                keyOf_[static_cast<std::size_t>(group)].emplace(keycode, *key);
            }
        }
    }
    for (int group = 0; group < groupCount; ++group) {
        if (!latin_[static_cast<std::size_t>(group)] && group != readingGroup(group)) {
            continue;  // read as another group: its own keys are not ours
        }
        for (const auto& [code, key] : keyOf_[static_cast<std::size_t>(group)]) {
            auto& codes = codesOf_[key];
            if (std::find(codes.begin(), codes.end(), code) == codes.end()) {
                codes.push_back(code);
            }
        }
    }
}

int X11KeyLayout::readingGroup(int group) const {
    if (latin_[static_cast<std::size_t>(group)]) {
        return group;
    }
    for (int other = 0; other < groupCount; ++other) {
        if (latin_[static_cast<std::size_t>(other)]) {
            return other;
        }
    }
    return group;
}

std::optional<Key> X11KeyLayout::keyAt(xcb_keycode_t code, int group) const {
    const auto& keys = keyOf_[static_cast<std::size_t>(readingGroup(group & 3))];
    const auto found = keys.find(code);
    return found == keys.end() ? std::nullopt : std::optional<Key>(found->second);
}

bool X11KeyLayout::isKeyInAnyGroup(xcb_keycode_t code, Key key) const {
    const auto& codes = codesOf(key);
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

const std::vector<xcb_keycode_t>& X11KeyLayout::codesOf(Key key) const {
    static const std::vector<xcb_keycode_t> none;
    const auto found = codesOf_.find(key);
    return found == codesOf_.end() ? none : found->second;
}

xcb_keycode_t X11KeyLayout::codeIn(Key key, int group) const {
    for (const auto& [code, found] : keyOf_[static_cast<std::size_t>(readingGroup(group & 3))]) {
        if (found == key) {
            return code;
        }
    }
    return 0;
}

int X11KeyLayout::currentGroup(X11Connection& connection) {
    xcb_connection_t* c = connection.get();
    XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, connection.root()), nullptr));
    connection.scheduleDispatch();
    return pointer ? groupOf(pointer->mask) : 0;
}

}  // namespace tovra
