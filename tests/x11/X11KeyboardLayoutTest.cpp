// The shortcuts in the layout the user types in: Russian, Dvorak, AZERTY, layouts switched.
#include "X11KeyboardTapFixture.h"

namespace tovra::test {
namespace {

TEST_F(X11KeyboardTapTest, ARussianFirstLayoutPastesWhereVIsOnTheLatinOne) {
    setLayouts("ru,us");
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    keyboard.chord({"Control_L", "Cyrillic_em"});  // the key that types V in the US group
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen[0].key, Key::v);
    EXPECT_EQ(seen[0].modifiers, command);
}

TEST_F(X11KeyboardTapTest, WithDvorakAndUsEachGroupReadsItsOwnV) {
    setLayouts("dvorak,us");
    ASSERT_TRUE(startAnswering(KeyAnswer::pass));
    const int usV = 55;      // V in the US group, K in Dvorak
    const int dvorakV = 60;  // V in Dvorak, the period in the US group
    auto withControl = [&](int code) {
        keyboard.press("Control_L");
        keyboard.pressCode(code, true);
        keyboard.pressCode(code, false);
        keyboard.release("Control_L");
        waitUntil([] { return false; }, 150);
    };
    withControl(usV);  // Ctrl+K in Dvorak: no paste
    EXPECT_TRUE(seen.empty());
    withControl(dvorakV);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].key, Key::v);

    keyboard.lockGroup(1);  // the user switches to US
    withControl(dvorakV);   // Ctrl+period there: no paste
    EXPECT_EQ(seen.size(), 1u);
    withControl(usV);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].key, Key::v);
}

TEST_F(X11KeyboardTapTest, AzertyDigitsSwitchStacksWithoutShift) {
    setLayouts("fr");
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    EXPECT_TRUE(tap->unavailableShortcuts().empty());
    keyboard.chord({"Control_L", "Alt_L", "ampersand"});  // the key whose shifted symbol is 1
    ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen[0].key, Key::digit1);
    EXPECT_EQ(seen[0].modifiers, command | option);
}

TEST_F(X11KeyboardTapTest, ShortcutsFollowTheKeyboardLayout) {
    ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
    const xcb_keycode_t vKey = app.keycode(keyV);
    const xcb_keycode_t bKey = app.keycode(0x62);
    // Swap V and B, as a layout change would.
    std::string error;
    auto setter = X11Connection::open(nullptr, error);
    auto swap = [&](xcb_keycode_t code, xcb_keysym_t keysym) {
        const xcb_keysym_t syms[2] = {keysym, keysym - 0x20};  // lower and upper case
        xcb_change_keyboard_mapping(setter->get(), 1, code, 2, syms);
    };
    swap(vKey, 0x62);
    swap(bKey, keyV);
    setter->flush();
    ASSERT_TRUE(waitUntil([&] { return app.keycode(keyV) == bKey; }));
    settle(100);

    const auto press = [&](xcb_keycode_t code) {
        keyboard.press("Control_L");
        keyboard.pressCode(code, true);
        keyboard.pressCode(code, false);
        keyboard.release("Control_L");
    };
    press(vKey);  // now types B: not ours
    press(bKey);  // now types V: our paste shortcut
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 1; }));
    settle(50);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].key, Key::v);

    swap(vKey, keyV);
    swap(bKey, 0x62);
    setter->flush();
    ASSERT_TRUE(waitUntil([&] { return app.keycode(keyV) == vKey; }));
}

}  // namespace
}  // namespace tovra::test
