#include "X11ShortcutGrabs.h"

#include <algorithm>

#include "X11Connection.h"
#include "X11KeyLayout.h"

namespace tovra {

namespace {

// Command is Control here, Option is Alt (Mod1), Control is Super (Mod4).
std::uint16_t xModifiers(unsigned modifiers) {
    std::uint16_t mask = 0;
    if ((modifiers & command) != 0) {
        mask |= XCB_MOD_MASK_CONTROL;
    }
    if ((modifiers & shift) != 0) {
        mask |= XCB_MOD_MASK_SHIFT;
    }
    if ((modifiers & option) != 0) {
        mask |= XCB_MOD_MASK_1;
    }
    if ((modifiers & control) != 0) {
        mask |= XCB_MOD_MASK_4;
    }
    return mask;
}

}  // namespace

std::vector<std::uint16_t> X11ShortcutGrabs::lockVariants() const {
    std::vector<std::uint16_t> locks{0, XCB_MOD_MASK_LOCK};
    if (numLockMask_ != 0) {
        locks.push_back(numLockMask_);
        locks.push_back(static_cast<std::uint16_t>(numLockMask_ | XCB_MOD_MASK_LOCK));
    }
    return locks;
}

bool X11ShortcutGrabs::grab(const Shortcut& shortcut) {
    xcb_connection_t* c = connection_.get();
    const auto& codes = layout_.codesOf(shortcut.key);
    const auto locks = lockVariants();
    std::vector<xcb_void_cookie_t> cookies;
    for (const xcb_keycode_t code : codes) {
        for (const std::uint16_t lock : locks) {
            cookies.push_back(xcb_grab_key_checked(
                c, 0, connection_.root(),
                static_cast<std::uint16_t>(xModifiers(shortcut.modifiers) | lock), code,
                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC));
        }
    }
    bool refused = codes.empty();
    for (const auto cookie : cookies) {
        if (XcbReply<xcb_generic_error_t> error{xcb_request_check(c, cookie)}) {
            refused = true;  // BadAccess: another client holds this combination
        }
    }
    if (refused) {
        ungrab(shortcut, codes);
        return false;
    }
    grabbed_.emplace_back(shortcut, codes);
    return true;
}

void X11ShortcutGrabs::ungrab(const Shortcut& shortcut, const std::vector<xcb_keycode_t>& codes) {
    for (const xcb_keycode_t code : codes) {
        for (const std::uint16_t lock : lockVariants()) {
            xcb_ungrab_key(connection_.get(), code, connection_.root(),
                           static_cast<std::uint16_t>(xModifiers(shortcut.modifiers) | lock));
        }
    }
}

bool X11ShortcutGrabs::isOverlay(const Shortcut& shortcut) const {
    return std::find(shortcuts_.overlayOnly.begin(), shortcuts_.overlayOnly.end(), shortcut) !=
           shortcuts_.overlayOnly.end();
}

bool X11ShortcutGrabs::grabAll(const KeyboardTap::ShortcutSet& shortcuts,
                               std::uint16_t numLockMask) {
    shortcuts_ = shortcuts;
    numLockMask_ = numLockMask;
    grabbed_.clear();
    unavailable_.clear();
    std::vector<Shortcut> all = shortcuts_.always;
    all.insert(all.end(), shortcuts_.overlayOnly.begin(), shortcuts_.overlayOnly.end());
    for (std::size_t index = 0; index < all.size(); ++index) {
        const Shortcut& shortcut = all[index];
        if (!grab(shortcut)) {
            unavailable_.push_back(shortcut);
            if (index == 0) {
                return false;
            }
        } else if (isOverlay(shortcut) && !overlayActive_) {
            // Tried only to learn whether another program holds it: the overlay is hidden.
            ungrab(shortcut, grabbed_.back().second);
            grabbed_.pop_back();
        }
    }
    return true;
}

bool X11ShortcutGrabs::setOverlayActive(bool active) {
    if (active == overlayActive_) {
        return false;
    }
    overlayActive_ = active;
    if (grabbed_.empty()) {
        return false;  // not started: the next grabAll follows it
    }
    const auto previousUnavailable = unavailable_;
    const auto isOverlay = [this](const Shortcut& s) { return this->isOverlay(s); };
    if (active) {
        std::erase_if(unavailable_, isOverlay);
        for (const Shortcut& shortcut : shortcuts_.overlayOnly) {
            if (!grab(shortcut)) {
                unavailable_.push_back(shortcut);
            }
        }
    } else {
        // No round trip: the keys are free once the server reads these requests.
        std::erase_if(grabbed_, [&](const auto& entry) {
            if (!isOverlay(entry.first)) {
                return false;
            }
            ungrab(entry.first, entry.second);
            return true;
        });
        connection_.flush();
    }
    return unavailable_ != previousUnavailable;
}

void X11ShortcutGrabs::ungrabAll() {
    xcb_connection_t* c = connection_.get();
    for (const auto& [shortcut, codes] : grabbed_) {
        for (const xcb_keycode_t code : codes) {
            xcb_ungrab_key(c, code, connection_.root(), XCB_MOD_MASK_ANY);
        }
    }
    grabbed_.clear();
    // A round trip: once we return, the keys are free for other clients.
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

}  // namespace tovra
