#include "platform/testing/FakeKeyboardTap.h"

#include <gtest/gtest.h>

namespace tovra::testing {
namespace {

const KeyboardTap::ShortcutSet pasteAndDrop{{{Key::v, command}, {Key::w, command | option}}, {}};

TEST(FakeKeyboardTap, HeldKeyFreezesTheKeyboardUntilReplayedOrSwallowed) {
    FakeKeyboardTap tap;
    tap.setShortcuts(pasteAndDrop);
    ASSERT_TRUE(tap.start([](const KeyPress& press) {
        return press.key == Key::v ? KeyAnswer::hold : KeyAnswer::pass;
    }));
    const auto first = tap.press(Key::v, command);
    tap.press(Key::c, command);
    const auto second = tap.press(Key::v, command);
    EXPECT_EQ(tap.queuedCount(), 2u);
    EXPECT_TRUE(tap.delivered().empty());

    tap.replayHeld(first);  // the copy waiting behind it passes, the next paste is held
    ASSERT_EQ(tap.delivered().size(), 2u);
    EXPECT_EQ(tap.delivered()[1].key, Key::c);
    EXPECT_EQ(tap.held()->serial, second);

    tap.swallowHeld(first);
    EXPECT_EQ(tap.strayResolutions(), 1);
    tap.swallowHeld(second);
    EXPECT_EQ(tap.swallowed().size(), 1u);
    EXPECT_FALSE(tap.held().has_value());
}

TEST(FakeKeyboardTap, InjectedPasteComesBackMarkedAndUngrabbedKeysBypassTheTap) {
    FakeKeyboardTap tap;
    tap.setShortcuts(pasteAndDrop);
    std::vector<KeyPress> seen;
    tap.makeUnavailable({Key::w, command | option});
    tap.start([&](const KeyPress& press) {
        seen.push_back(press);
        return KeyAnswer::swallow;
    });
    tap.postSyntheticPaste(command);
    tap.press(Key::w, command | option);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].synthetic);
    EXPECT_EQ(tap.delivered().size(), 1u);

    tap.stop();
    tap.press(Key::v, command);
    EXPECT_EQ(tap.delivered().size(), 2u);
}

TEST(FakeKeyboardTap, StoppingReleasesAHeldKey) {
    FakeKeyboardTap tap;
    tap.setShortcuts(pasteAndDrop);
    tap.start([](const KeyPress&) { return KeyAnswer::hold; });
    tap.press(Key::v, command);
    tap.press(Key::c, command);
    tap.stop();
    EXPECT_EQ(tap.delivered().size(), 2u);
    EXPECT_FALSE(tap.held().has_value());
}

}  // namespace
}  // namespace tovra::testing
