#include "X11PasteTyping.h"

#include <xcb/xtest.h>

#include <algorithm>
#include <vector>

#include "X11Connection.h"
#include "X11KeyLayout.h"
#include "X11ModifierKeys.h"
#include "platform/MainQueue.h"

namespace tovra {

X11PasteTyping::X11PasteTyping(X11Connection& connection, MainQueue& mainQueue,
                               const X11KeyLayout& layout, const X11ModifierKeys& modifiers,
                               std::chrono::milliseconds releaseWait)
    : connection_(connection),
      mainQueue_(mainQueue),
      layout_(layout),
      modifiers_(modifiers),
      releaseWait_(releaseWait) {}

void X11PasteTyping::post(unsigned modifiers) {
    waiting_.push_back(modifiers);
    readKeysDown();
    if (!vIsDown()) {
        typeWaiting();
        return;
    }
    deadline_ = mainQueue_.after(releaseWait_, [this] { typeWaiting(); });
}

void X11PasteTyping::keyReleased(xcb_keycode_t code, bool byUser) {
    down_.erase(code);
    if (byUser && pressedAgain_.erase(code) != 0) {
        // The user let go of a modifier we pressed again for them. Had they let go just before
        // that press, nothing would ever release it: release it on XTEST too.
        xcb_test_fake_input(connection_.get(), XCB_KEY_RELEASE, code, XCB_CURRENT_TIME,
                            XCB_WINDOW_NONE, 0, 0, 0);
        connection_.flush();
    }
    if (!waiting_.empty() && !vIsDown()) {
        typeWaiting();
    }
}

void X11PasteTyping::cancel() {
    waiting_.clear();
    deadline_.cancel();
}

bool X11PasteTyping::vIsDown() const {
    const auto& codes = layout_.codesOf(Key::v);
    return std::any_of(codes.begin(), codes.end(),
                       [&](xcb_keycode_t code) { return down_.contains(code); });
}

void X11PasteTyping::readKeysDown() {
    if (auto down = connection_.keysDown()) {
        down_ = std::move(*down);
    }
}

void X11PasteTyping::typeWaiting() {
    deadline_.cancel();
    if (waiting_.empty()) {
        return;
    }
    // The key that types V in the group the user types in now.
    const xcb_keycode_t v = layout_.codeIn(Key::v, X11KeyLayout::currentGroup(connection_));
    if (v == 0 || modifiers_.controlLeft == 0) {
        waiting_.clear();
        return;
    }
    readKeysDown();  // the server's own key state: what the user holds right now
    xcb_connection_t* c = connection_.get();
    const auto fake = [&](std::uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(c, type, code, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    };
    struct Group {
        unsigned modifier;
        const std::set<xcb_keycode_t>* codes;
        xcb_keycode_t left;
    };
    const Group groups[] = {{command, &modifiers_.control, modifiers_.controlLeft},
                            {shift, &modifiers_.shift, modifiers_.shiftLeft},
                            {option, &modifiers_.alt, modifiers_.altLeft},
                            {control, &modifiers_.super, 0}};
    for (; !waiting_.empty(); waiting_.pop_front()) {
        const unsigned wanted = waiting_.front();
        // Exactly the chord asked for: modifiers the user holds beyond it are let go for it and
        // pressed again after; the ones it needs and the user does not hold are added.
        std::vector<xcb_keycode_t> lifted;
        std::vector<xcb_keycode_t> added;
        for (const Group& group : groups) {
            const bool held = std::any_of(group.codes->begin(), group.codes->end(),
                                          [&](xcb_keycode_t code) { return down_.contains(code); });
            if ((wanted & group.modifier) == 0) {
                for (const xcb_keycode_t code : *group.codes) {
                    if (down_.contains(code)) {
                        lifted.push_back(code);
                        fake(XCB_KEY_RELEASE, code);
                    }
                }
            } else if (!held && group.left != 0) {
                added.push_back(group.left);
                fake(XCB_KEY_PRESS, group.left);
            }
        }
        fake(XCB_KEY_PRESS, v);
        fake(XCB_KEY_RELEASE, v);
        for (auto code = added.rbegin(); code != added.rend(); ++code) {
            fake(XCB_KEY_RELEASE, *code);
        }
        for (const xcb_keycode_t code : lifted) {
            fake(XCB_KEY_PRESS, code);
            pressedAgain_.insert(code);
        }
    }
    connection_.flush();
}

}  // namespace tovra
