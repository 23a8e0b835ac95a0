// What the tap does with each key: passed, swallowed, held and replayed, bursts, the overlay
// keys, our own windows, shortcuts another client holds.
#include "X11KeyboardTapFixture.h"

namespace tovra::test {
namespace {

TEST_F(X11KeyboardTapTest, PassedShortcutReachesTheFocusedApplicationOnce) {
    ASSERT_TRUE(startAnswering(KeyAnswer::pass));
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 1; }));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], (KeyPress{Key::v, command, false, seen[0].serial}));
}

TEST_F(X11KeyboardTapTest, SwallowedShortcutNeverArrives) {
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    tap->setOverlayShortcutsActive(true);
    keyboard.chord({"Control_L", "Alt_L", "w"});
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    settle();
    EXPECT_EQ(app.count(keyW, ctrl | XCB_MOD_MASK_1), 0);
    EXPECT_EQ(app.count(keyV, ctrl), 0);
    EXPECT_EQ(seen[0].modifiers, command | option);
}

TEST_F(X11KeyboardTapTest, HeldPasteIsReplayedExactlyOnceWhateverTheLocksAndHoldTime) {
    ASSERT_TRUE(startAnswering(KeyAnswer::hold));
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 1; }));

    keyboard.chord({"Caps_Lock"});
    keyboard.chord({"Num_Lock"});
    keyboard.press("Control_L");
    keyboard.press("v");
    // Keys typed while the paste is held wait, and arrive after it, in order.
    keyboard.press("a");
    keyboard.release("a");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    keyboard.release("v");
    keyboard.release("Control_L");
    keyboard.chord({"Caps_Lock"});
    keyboard.chord({"Num_Lock"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 2; }));
    settle();
    EXPECT_EQ(app.count(keyV, ctrl), 2);
    EXPECT_EQ(seen.size(), 2u);
    // The held paste first, then the key typed behind it.
    const auto isKey = [&](xcb_keysym_t keysym) {
        return
            [&, keysym](const FocusedWindow::Received& r) { return r.code == app.keycode(keysym); };
    };
    const auto lastV = std::find_if(app.received.rbegin(), app.received.rend(), isKey(keyV));
    const auto lastA = std::find_if(app.received.rbegin(), app.received.rend(), isKey(keyA));
    ASSERT_NE(lastA, app.received.rend());
    EXPECT_LT(lastA - app.received.rbegin(), lastV - app.received.rbegin());
}

TEST_F(X11KeyboardTapTest, CopyIsObservedWithoutAGrab) {
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    keyboard.chord({"Control_L", "c"});
    keyboard.chord({"Control_L", "Shift_L", "c"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyC, ctrl | XCB_MOD_MASK_SHIFT) == 1; }));
    EXPECT_EQ(app.count(keyC, ctrl), 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].key, Key::c);
    EXPECT_EQ(seen[0].modifiers, command);
}

TEST_F(X11KeyboardTapTest, BurstIsDeliveredAsOneMarkedPlainPasteLeavingNoModifierDown) {
    ASSERT_TRUE(tap->start([this](const KeyPress& press) {
        seen.push_back(press);
        if (press.synthetic) {
            return KeyAnswer::pass;
        }
        if (press.modifiers == (command | shift)) {
            tap->postSyntheticPaste(command);  // waits for the user to let go of V
            return KeyAnswer::swallow;
        }
        return KeyAnswer::pass;
    }));
    keyboard.press("Control_L");
    keyboard.press("Shift_L");
    keyboard.press("v");
    settle(50);
    EXPECT_EQ(app.count(keyV, ctrl), 0);
    keyboard.release("Shift_L");  // while V is still down: the grab, not raw events, tells us
    keyboard.press("Shift_L");
    keyboard.release("v");
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 1; }));
    keyboard.release("Shift_L");
    keyboard.release("Control_L");
    settle();
    EXPECT_EQ(app.count(keyV, ctrl | XCB_MOD_MASK_SHIFT), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[1].synthetic);
    EXPECT_EQ(seen[1].modifiers, command);
    EXPECT_TRUE(app.keysDown().empty());

    // Without a keystroke (a paste chosen in a window) the same paste goes out at once.
    tap->postSyntheticPaste(command);
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 2; }));
    EXPECT_TRUE(waitUntil([&] { return app.keysDown().empty(); }));
}

/// The keys the XTEST device itself holds down (what we type is typed on it).
std::vector<int> keysDownOnXtest(xcb_connection_t* c) {
    std::vector<int> down;
    XcbReply<xcb_input_xi_query_device_reply_t> devices(xcb_input_xi_query_device_reply(
        c, xcb_input_xi_query_device(c, XCB_INPUT_DEVICE_ALL), nullptr));
    if (!devices) {
        return down;
    }
    for (auto it = xcb_input_xi_query_device_infos_iterator(devices.get()); it.rem > 0;
         xcb_input_xi_device_info_next(&it)) {
        const std::string name(
            xcb_input_xi_device_info_name(it.data),
            static_cast<std::size_t>(xcb_input_xi_device_info_name_length(it.data)));
        if (name != "Virtual core XTEST keyboard") {
            continue;
        }
        XcbReply<xcb_input_query_device_state_reply_t> state(xcb_input_query_device_state_reply(
            c, xcb_input_query_device_state(c, static_cast<std::uint8_t>(it.data->deviceid)),
            nullptr));
        if (!state) {
            return down;
        }
        for (auto cls = xcb_input_query_device_state_classes_iterator(state.get()); cls.rem > 0;
             xcb_input_input_state_next(&cls)) {
            if (cls.data->class_id != XCB_INPUT_INPUT_CLASS_KEY) {
                continue;
            }
            const auto* keys = reinterpret_cast<const xcb_input_key_state_t*>(cls.data);
            for (int code = 8; code < 256; ++code) {
                if ((keys->keys[code / 8] & (1 << (code % 8))) != 0) {
                    down.push_back(code);
                }
            }
        }
    }
    return down;
}

TEST_F(X11KeyboardTapTest, AModifierPressedAgainForTheUserGoesUpWithTheUsersOwnKey) {
    ASSERT_TRUE(tap->start([this](const KeyPress& press) {
        if (!press.synthetic && press.modifiers == (command | shift)) {
            tap->postSyntheticPaste(command);  // Shift is let go for the paste, then pressed again
            return KeyAnswer::swallow;
        }
        return KeyAnswer::pass;
    }));
    keyboard.press("Control_L");
    keyboard.press("Shift_L");
    keyboard.chord({"v"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 1; }));
    settle();
    keyboard.release("Shift_L");
    keyboard.release("Control_L");
    // Held on the device we type with, Shift would stay down for good had the user let go of
    // theirs just before it was pressed again.
    EXPECT_TRUE(waitUntil(
        [&] { return app.keysDown().empty() && keysDownOnXtest(app.connection()).empty(); }));
}

TEST_F(X11KeyboardTapTest, OverlayKeysAreTakenOnlyWhileTheOverlayShows) {
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    // Hidden: Escape is the application's, and a window manager may bind Ctrl+Alt+Down.
    keyboard.chord({"Escape"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyEscape, 0) == 1; }));
    std::string error;
    auto windowManager = X11Connection::open(nullptr, error);
    xcb_connection_t* wm = windowManager->get();
    const xcb_keycode_t down = app.keycode(keyDown);
    XcbReply<xcb_generic_error_t> refused(xcb_request_check(
        wm, xcb_grab_key_checked(wm, 0, windowManager->root(), ctrl | XCB_MOD_MASK_1, down,
                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    EXPECT_EQ(refused, nullptr);
    xcb_ungrab_key(wm, down, windowManager->root(), ctrl | XCB_MOD_MASK_1);
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(wm, xcb_get_input_focus(wm), nullptr));

    tap->setOverlayShortcutsActive(true);
    keyboard.chord({"Escape"});
    keyboard.chord({"Control_L", "Alt_L", "Down"});
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen[0].key, Key::escape);
    EXPECT_EQ(seen[1].key, Key::downArrow);

    tap->setOverlayShortcutsActive(false);
    keyboard.chord({"Escape"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyEscape, 0) == 2; }));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_TRUE(tap->unavailableShortcuts().empty());
}

TEST_F(X11KeyboardTapTest, AShortcutTheUserMovesIsFreedAndTheNewOneTakenAtOnce) {
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    ShortcutBindings bindings;
    // Not Ctrl+Alt: with an F key that switches virtual terminals, in the server itself.
    ASSERT_EQ(bindings.bind(ShortcutAction::toggleQueue, {Key::f5, command | shift}), std::nullopt);
    tap->setShortcuts(bindings.intercepted());
    // The old chord reaches the application untouched; the new one is ours.
    keyboard.chord({"Control_L", "Shift_L", "s"});
    ASSERT_TRUE(waitUntil([&] { return app.count(0x73, ctrl | XCB_MOD_MASK_SHIFT) == 1; }));
    keyboard.chord({"Control_L", "Shift_L", "F5"});
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    ASSERT_EQ(seen.size(), 1u);  // Ctrl+Shift+S never reached the tap
    EXPECT_EQ(seen.back().key, Key::f5);
    EXPECT_EQ(seen.back().modifiers, command | shift);
    settle();
    EXPECT_EQ(app.count(0xffc2, ctrl | XCB_MOD_MASK_SHIFT), 0);  // F5 stayed ours
    EXPECT_TRUE(app.keysDown().empty());
}

TEST_F(X11KeyboardTapTest, AKeyIsDecidedWithoutAskingTheServerAnything) {
    // Qt knows none of our windows has the focus: the server is not asked whose window does.
    bool ownWindowFocused = false;
    tap->setPassThroughFocus(X11KeyboardTap::windowsOf(app.connection()),
                             [&] { return ownWindowFocused; });
    ASSERT_TRUE(startAnswering(KeyAnswer::pass));
    xcb_connection_t* c = connection->get();
    const auto requestsDuring = [&](const std::function<void()>& typeKeys, std::size_t keys) {
        const unsigned before = xcb_no_operation(c).sequence;
        typeKeys();
        EXPECT_TRUE(waitUntil([&] { return seen.size() == keys; }));
        settle(50);
        // Sequence numbers count every request this connection sent in between.
        return xcb_no_operation(c).sequence - before - 1;
    };
    // One request per key: the answer that lets it go on.
    EXPECT_EQ(requestsDuring([&] { keyboard.chord({"Control_L", "v"}); }, 1), 1u);
    EXPECT_FALSE(seen[0].inOwnWindow);
    ownWindowFocused = true;
    EXPECT_GT(requestsDuring([&] { keyboard.chord({"Control_L", "v"}); }, 2), 1u);
    EXPECT_TRUE(seen[1].inOwnWindow);
}

TEST_F(X11KeyboardTapTest, AtRestNothingWakesAndNoTimerIsPending) {
    ASSERT_TRUE(startAnswering(KeyAnswer::pass));
    settle(200);
    ASSERT_NE(tap->watchdog(), nullptr);
    const int wakeUps = tap->watchdog()->wakeUps();
    settle(1000);
    EXPECT_EQ(tap->watchdog()->wakeUps(), wakeUps);
    EXPECT_EQ(queue.pendingTimerCount(), 0u);

    // A key wakes it, to look again once the key is old enough.
    keyboard.chord({"a"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyA, 0) == 1; }));
    EXPECT_TRUE(waitUntil([&] { return tap->watchdog()->wakeUps() >= wakeUps + 2; }, 2000));
    EXPECT_EQ(tap->watchdog()->releases(), 0);
    EXPECT_EQ(queue.pendingTimerCount(), 0u);
}

TEST_F(X11KeyboardTapTest, KeysTypedWhileASwallowedKeyIsDownReachTheApplicationInOrder) {
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    tap->setOverlayShortcutsActive(true);
    // Fast typing: the next keys go down before Escape comes up.
    keyboard.press("Escape");
    keyboard.press("a");
    keyboard.press("w");
    keyboard.release("Escape");
    keyboard.release("a");
    keyboard.release("w");
    ASSERT_TRUE(waitUntil([&] { return app.count(keyW, 0) == 1; }));
    EXPECT_EQ(app.count(keyA, 0), 1);
    EXPECT_EQ(app.count(keyEscape, 0), 0);
    const auto first = std::find_if(app.received.begin(), app.received.end(),
                                    [&](const auto& r) { return r.code == app.keycode(keyA); });
    ASSERT_NE(first, app.received.end());
    EXPECT_EQ(first + 1 < app.received.end() ? (first + 1)->code : 0, app.keycode(keyW));
}

TEST_F(X11KeyboardTapTest, ASwallowedShortcutHeldDownActsOnceAndItsRepeatsNeverArrive) {
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    keyboard.press("Control_L");
    keyboard.press("Shift_L");
    keyboard.press("s");
    settle(1000);  // held past the server's repeat delay (660 ms): the key repeats
    keyboard.release("s");
    keyboard.release("Shift_L");
    keyboard.release("Control_L");
    settle(100);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(app.count(0x73, ctrl | XCB_MOD_MASK_SHIFT), 0);
    keyboard.chord({"a"});
    EXPECT_TRUE(waitUntil([&] { return app.count(keyA, 0) == 1; }));
}

TEST_F(X11KeyboardTapTest, KeysTypedInOurOwnWindowsAreMarkedSo) {
    // The focused window belongs to "us": another connection of this process.
    tap->setPassThroughFocus(X11KeyboardTap::windowsOf(app.connection()));
    ASSERT_TRUE(startAnswering(KeyAnswer::pass));
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 1; }));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].inOwnWindow);

    tap->setPassThroughFocus(X11KeyboardTap::windowsOf(connection->get()));
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_FALSE(seen[1].inOwnWindow);
}

TEST_F(X11KeyboardTapTest, ShortcutsHeldByAnotherClientAreReportedAndPasteIsRequired) {
    std::string error;
    auto other = X11Connection::open(nullptr, error);
    xcb_connection_t* c = other->get();
    const xcb_keycode_t w = app.keycode(keyW);
    xcb_grab_key(c, 0, other->root(), ctrl | XCB_MOD_MASK_1, w, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    other->flush();
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    EXPECT_EQ(tap->unavailableShortcuts(),
              (std::vector<KeyboardTap::Shortcut>{{Key::w, command | option}}));
    tap->stop();

    xcb_grab_key(c, 0, other->root(), ctrl, app.keycode(keyV), XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    other->flush();
    sync.reset(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    EXPECT_FALSE(startAnswering(KeyAnswer::swallow));
    EXPECT_FALSE(tap->isRunning());
}

}  // namespace
}  // namespace tovra::test
