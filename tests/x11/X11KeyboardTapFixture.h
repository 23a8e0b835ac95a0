#pragma once

// The X11 keyboard tap against a private X server: a focused window of another client that
// records the keys it receives, keys typed on the server's own keyboard device.
#include "platform/x11/X11KeyboardTap.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "FocusedWindow.h"
#include "PhysicalKeyboard.h"
#include "Processes.h"
#include "TestEventLoop.h"
#include "Tovra/capture/ShortcutBindings.h"
#include "platform/x11/X11Connection.h"

namespace tovra::test {

inline void settle(int milliseconds = 100) {
    waitUntil([] { return false; }, milliseconds);
}

/// The focused application: a window of another client that records the keys it receives.
class FocusedWindow {
  public:
    struct Received {
        xcb_keycode_t code;
        std::uint16_t state;
    };

    explicit FocusedWindow(test::TestEventLoop& queue) {
        std::string error;
        connection_ = X11Connection::open(nullptr, error);
        window_ = test::mapFocusedWindow(*connection_, XCB_EVENT_MASK_KEY_PRESS);
        connection_->attach(queue);
        subscription_ = connection_->subscribe([this](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7F) == XCB_KEY_PRESS) {
                const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
                received.push_back({press.detail, press.state});
            }
        });
        connection_->flush();
    }

    xcb_keycode_t keycode(xcb_keysym_t keysym) const {
        const xcb_setup_t* setup = xcb_get_setup(connection_->get());
        XcbReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
            connection_->get(),
            xcb_get_keyboard_mapping(
                connection_->get(), setup->min_keycode,
                static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1)),
            nullptr));
        connection_->scheduleDispatch();  // the round trip may have queued our key events
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int perCode = mapping->keysyms_per_keycode;
        for (int code = setup->min_keycode; code <= setup->max_keycode; ++code) {
            if (syms[(code - setup->min_keycode) * perCode] == keysym) {
                return static_cast<xcb_keycode_t>(code);
            }
        }
        return 0;
    }

    /// How many presses of this key arrived, with exactly these modifiers (lock keys ignored).
    int count(xcb_keysym_t keysym, std::uint16_t modifiers) const {
        const xcb_keycode_t code = keycode(keysym);
        int n = 0;
        for (const auto& r : received) {
            const std::uint16_t relevant = r.state & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL |
                                                      XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
            if (r.code == code && relevant == modifiers) {
                ++n;
            }
        }
        return n;
    }

    /// Keys the server believes are down now.
    std::vector<int> keysDown() const {
        XcbReply<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(
            connection_->get(), xcb_query_keymap(connection_->get()), nullptr));
        connection_->scheduleDispatch();
        std::vector<int> down;
        for (int code = 8; code < 256; ++code) {
            if ((keymap->keys[code / 8] & (1 << (code % 8))) != 0) {
                down.push_back(code);
            }
        }
        return down;
    }

    std::vector<Received> received;
    [[nodiscard]] xcb_connection_t* connection() const { return connection_->get(); }

  private:
    std::unique_ptr<X11Connection> connection_;
    xcb_window_t window_ = 0;
    TaskHandle subscription_;
};

constexpr xcb_keysym_t keyV = 0x76;
constexpr xcb_keysym_t keyC = 0x63;
constexpr xcb_keysym_t keyA = 0x61;
constexpr xcb_keysym_t keyW = 0x77;
constexpr xcb_keysym_t keyEscape = 0xff1b;
constexpr xcb_keysym_t keyDown = 0xff54;
constexpr std::uint16_t ctrl = XCB_MOD_MASK_CONTROL;

class X11KeyboardTapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        connection = X11Connection::open(nullptr, error);
        ASSERT_NE(connection, nullptr) << error;
        connection->attach(queue);
        tap = std::make_unique<X11KeyboardTap>(*connection, queue, X11KeyboardTap::Options{});
        tap->setShortcuts(ShortcutBindings{}.intercepted());
        ASSERT_TRUE(keyboard.isOpen());
    }

    /// Returns once the tap has read every event the server sent it so far: a round trip puts
    /// them in its queue ahead of the reply, and a task posted after its dispatch runs after them.
    void tapHasRead() {
        xcb_connection_t* c = connection->get();
        XcbReply<xcb_get_input_focus_reply_t> sync(
            xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        connection->scheduleDispatch();
        bool read = false;
        queue.post([&read] { read = true; });
        ASSERT_TRUE(waitUntil([&] { return read; }));
    }

    bool startAnswering(KeyAnswer answer) {
        return tap->start([this, answer](const KeyPress& press) {
            seen.push_back(press);
            if (press.key == Key::c || press.synthetic) {
                return KeyAnswer::pass;
            }
            if (answer == KeyAnswer::hold) {
                const auto serial = press.serial;
                holdTimers.push_back(queue.after(std::chrono::milliseconds(30),
                                                 [this, serial] { tap->replayHeld(serial); }));
            }
            return answer;
        });
    }

    test::TestEventLoop queue;
    std::unique_ptr<X11Connection> connection;
    std::unique_ptr<X11KeyboardTap> tap;
    FocusedWindow app{queue};
    PhysicalKeyboard keyboard;
    std::vector<KeyPress> seen;
    std::vector<TaskHandle> holdTimers;
};

/// Sets the server's keyboard layouts: each test has a server of its own.
inline void setLayouts(const std::string& layouts) {
    // setxkbmap closes its connection with a round trip: the server has the layout on return.
    ASSERT_EQ(runCommand({"setxkbmap", "-layout", layouts}).exitCode, 0);
}

}  // namespace tovra::test
