// The shortcuts in the layout the user types in: Russian, Dvorak, AZERTY, layouts switched.
#include "X11KeyboardTapFixture.h"

namespace tovra::test {
namespace {

// A chord typed by its symbols in the first group of the layouts is read as the shortcut it is.
struct LayoutCase {
    const char* layouts;
    std::vector<std::string> chord;
    Key key;
    unsigned modifiers;
};

TEST_F(X11KeyboardTapTest, ShortcutsAreReadInTheLayoutTheUserTypesIn) {
    const LayoutCase cases[] = {
        // The key that types V in the US group.
        {"ru,us", {"Control_L", "Cyrillic_em"}, Key::v, command},
        // The key whose shifted symbol is 1: stacks switch without Shift.
        {"fr", {"Control_L", "Alt_L", "ampersand"}, Key::digit1, command | option},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layouts);
        seen.clear();
        tap->stop();
        setLayouts(c.layouts);
        ASSERT_TRUE(startAnswering(KeyAnswer::swallow));
        EXPECT_TRUE(tap->unavailableShortcuts().empty());
        keyboard.chord(c.chord);
        ASSERT_TRUE(waitUntil([&] { return !seen.empty(); }));
        EXPECT_EQ(seen[0].key, c.key);
        EXPECT_EQ(seen[0].modifiers, c.modifiers);
    }
}

TEST_F(X11KeyboardTapTest, WithDvorakAndUsEachGroupReadsItsOwnV) {
    setLayouts("dvorak,us");
    ASSERT_TRUE(startAnswering(KeyAnswer::pass));
    const int usV = 55;      // V in the US group, K in Dvorak
    const int dvorakV = 60;  // V in Dvorak, the period in the US group
    // Every key is passed on: once the application has it, the tap has decided.
    auto withControl = [&](int code) {
        const std::size_t before = app.received.size();
        keyboard.press("Control_L");
        keyboard.pressCode(code, true);
        keyboard.pressCode(code, false);
        keyboard.release("Control_L");
        ASSERT_TRUE(waitUntil([&] { return app.received.size() > before; }));
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
    tapHasRead();  // and regrabbed: the grabs are made as the change is read

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
