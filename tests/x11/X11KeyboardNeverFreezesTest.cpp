// Whatever the main loop does (stuck, late, holding a key on purpose), the keyboard is never
// left frozen and no key goes unanswered.
#include "X11KeyboardTapFixture.h"

namespace tovra::test {
namespace {

TEST_F(X11KeyboardTapTest, StuckMainLoopNeverFreezesTheKeyboard) {
    ASSERT_TRUE(tap->start([this](const KeyPress& press) {
        seen.push_back(press);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return KeyAnswer::hold;  // and never replayed
    }));
    keyboard.chord({"Control_L", "v"});
    keyboard.chord({"a"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyA, 0) == 1; }, 5000));
    EXPECT_EQ(app.count(keyV, ctrl), 1);
}

TEST_F(X11KeyboardTapTest, AKeyHeldOnPurposeIsLetGoBeforeTheServerRepeatsIt) {
    // Two pastes, each waiting for the one before; the second, typed while the first is
    // frozen, is meant to wait longer than keys wait to repeat. The server would queue its
    // repeats behind the user's release, and V would type on and on.
    tap->setLongestHold(std::chrono::milliseconds(1500));
    std::vector<bool> heldWhenAnswered;
    ASSERT_TRUE(tap->start([&](const KeyPress& press) {
        seen.push_back(press);
        const auto hold = std::chrono::milliseconds(seen.size() == 1 ? 100 : 1200);
        holdTimers.push_back(queue.after(hold, [&, press] {
            heldWhenAnswered.push_back(tap->isHeld(press.serial));
            tap->replayHeld(press.serial);
        }));
        return KeyAnswer::hold;
    }));
    keyboard.chord({"Control_L", "v"});
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return heldWhenAnswered.size() == 2; }, 5000));
    EXPECT_FALSE(heldWhenAnswered[1]);  // let go before its time
    const auto delay = connection->keyRepeatDelay();
    ASSERT_TRUE(delay);
    // Long enough for a few repeats, had there been any.
    settle(static_cast<int>(delay->count()));
    EXPECT_EQ(app.count(keyV, ctrl), 2);
    EXPECT_EQ(app.count(keyV, 0), 0);
    const auto down = app.keysDown();
    EXPECT_EQ(std::count(down.begin(), down.end(), app.keycode(keyV)), 0);
}

TEST_F(X11KeyboardTapTest, AMainLoopStuckBeforeItReadsTheKeyNeverFreezesTheKeyboard) {
    ASSERT_TRUE(startAnswering(KeyAnswer::hold));
    settle(100);
    keyboard.chord({"Control_L", "v"});
    keyboard.chord({"a"});
    // Stuck elsewhere: the key waits in our connection, unread, while the grab freezes it.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    // Once per unread key at most (Control, V, A), and letting go of nothing frozen is harmless.
    EXPECT_GE(tap->watchdog()->releases(), 1);
    ASSERT_TRUE(waitUntil([&] { return app.count(keyA, 0) == 1; }));
    settle(100);
    EXPECT_EQ(app.count(keyV, ctrl), 1);  // our late answer lets nothing through twice
    // It reached the application as it was: nothing may be staged for it any more.
    EXPECT_TRUE(seen.empty());
}

TEST_F(X11KeyboardTapTest, AShortcutDecidedTooLateLeavesNoKeyUnanswered) {
    ASSERT_TRUE(tap->start([this](const KeyPress& press) {
        seen.push_back(press);
        if (press.key == Key::s) {
            // Longer than the watchdog waits, then swallowed: the key went through meanwhile.
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            return KeyAnswer::swallow;
        }
        return KeyAnswer::pass;
    }));
    keyboard.chord({"Control_L", "Shift_L", "s"});
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 1; }, 5000));
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }, 3000));
    EXPECT_EQ(seen[1].key, Key::v);
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 1; }));
    keyboard.chord({"a"});
    EXPECT_TRUE(waitUntil([&] { return app.count(keyA, 0) == 1; }));
}

}  // namespace
}  // namespace tovra::test
