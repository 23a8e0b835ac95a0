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

TEST_F(X11KeyboardTapTest, AKeyHeldOnPurposeWaitsForItsAnswerAndOneNeverAnsweredIsLetGo) {
    // A paste waiting for the one before, longer than the watchdog waits for a stuck loop.
    tap->setLongestHold(std::chrono::milliseconds(1500));
    std::vector<bool> heldWhenAnswered;
    ASSERT_TRUE(tap->start([this, &heldWhenAnswered](const KeyPress& press) {
        seen.push_back(press);
        if (seen.size() == 1) {
            holdTimers.push_back(queue.after(std::chrono::milliseconds(1200), [&, press] {
                heldWhenAnswered.push_back(tap->isHeld(press.serial));
                tap->replayHeld(press.serial);
            }));
        }
        return KeyAnswer::hold;
    }));
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 1; }, 5000));
    EXPECT_EQ(heldWhenAnswered, std::vector<bool>{true});
    EXPECT_EQ(tap->watchdog()->releases(), 0);

    // Held, and then the handler never comes back to it.
    keyboard.chord({"Control_L", "v"});
    ASSERT_TRUE(waitUntil([&] { return app.count(keyV, ctrl) == 2; }, 8000));
    EXPECT_EQ(tap->watchdog()->releases(), 1);
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
