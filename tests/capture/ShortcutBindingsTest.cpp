#include "Tovra/capture/ShortcutBindings.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "CaptureHarness.h"
#include "Tovra/capture/KeyCommand.h"

namespace tovra {
namespace {

using Kind = KeyCommand::Kind;
using Shortcut = KeyboardTap::Shortcut;

bool contains(const std::vector<Shortcut>& list, const Shortcut& shortcut) {
    return std::find(list.begin(), list.end(), shortcut) != list.end();
}

std::optional<KeyCommand> in(const ShortcutBindings& bindings, PasteKeyStyle style, Key key,
                             unsigned modifiers) {
    return KeyCommand::classify({key, modifiers, false, 1}, bindings, [style] { return style; });
}

TEST(ShortcutBindings, AMovedBurstLeavesCtrlShiftVToTheApplicationAndStillBurstsInTerminals) {
    ShortcutBindings bindings;
    ASSERT_EQ(bindings.bind(ShortcutAction::burstPaste, {Key::b, command | option}), std::nullopt);
    // A browser's "paste as plain text" is its own again; the new chord bursts everywhere.
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlV, Key::v, command | shift), std::nullopt);
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlV, Key::b, command | option),
              KeyCommand{Kind::burstPaste});
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlShiftV, Key::b, command | option),
              KeyCommand{Kind::burstPaste});
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlShiftV, Key::v, command | shift),
              KeyCommand{Kind::paste});
    EXPECT_EQ(in(bindings, PasteKeyStyle::none, Key::b, command | option),
              KeyCommand{Kind::pasteUnavailable});
    // The terminals' second burst key is no longer taken from anyone.
    const auto taken = bindings.intercepted();
    EXPECT_EQ(taken.always.front(), (Shortcut{Key::v, command}));
    EXPECT_TRUE(contains(taken.always, {Key::b, command | option}));
    EXPECT_FALSE(contains(taken.always, {Key::v, command | option | shift}));
    EXPECT_TRUE(
        contains(ShortcutBindings{}.intercepted().always, {Key::v, command | option | shift}));
}

TEST(ShortcutBindings, CommandsMoveToTheirNewKeysAndTheOverlaysOnesStayOverlayOnly) {
    ShortcutBindings bindings;
    ASSERT_EQ(bindings.bind(ShortcutAction::toggleQueue, {Key::f9, noModifier}),
              "Add Ctrl, Alt or Super: F9 alone belongs to every application.");
    ASSERT_EQ(bindings.bind(ShortcutAction::toggleQueue, {Key::q, command | control}),
              std::nullopt);
    ASSERT_EQ(bindings.bind(ShortcutAction::clearFromOverlay, {Key::f9, noModifier}), std::nullopt);
    ASSERT_EQ(bindings.bind(ShortcutAction::selectStack2, {Key::rightArrow, command | shift}),
              std::nullopt);
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlV, Key::q, command | control),
              KeyCommand{Kind::toggleQueue});
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlV, Key::s, command | shift), std::nullopt);
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlV, Key::f9, noModifier),
              KeyCommand{Kind::clearFromOverlay});
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlV, Key::escape, noModifier), std::nullopt);
    EXPECT_EQ(in(bindings, PasteKeyStyle::controlV, Key::rightArrow, command | shift),
              (KeyCommand{Kind::selectStack, 1}));
    const auto taken = bindings.intercepted();
    EXPECT_TRUE(contains(taken.overlayOnly, {Key::f9, noModifier}));
    EXPECT_FALSE(contains(taken.always, {Key::f9, noModifier}));
    EXPECT_FALSE(contains(taken.always, {Key::s, command | shift}));
}

TEST(ShortcutBindings, KeysApplicationsNeedAndKeysAlreadyUsedAreRefusedWithTheReason) {
    ShortcutBindings bindings;
    const ShortcutBindings before = bindings;
    EXPECT_EQ(bindings.bind(ShortcutAction::revealOverlay, {Key::v, command}),
              "Ctrl+V is a paste key of applications.");
    EXPECT_EQ(bindings.bind(ShortcutAction::toggleQueue, {Key::v, command | shift}),
              "Ctrl+Shift+V is a paste key of applications.");
    EXPECT_EQ(bindings.bind(ShortcutAction::dropNext, {Key::c, command}),
              "Ctrl+C copies in every application.");
    EXPECT_EQ(bindings.bind(ShortcutAction::dropNext, {Key::f3, command | option}),
              "Ctrl+Alt+F3 switches to another console.");
    EXPECT_EQ(bindings.bind(ShortcutAction::dropNext, {Key::x, noModifier}),
              "Add Ctrl, Alt or Super: X alone belongs to every application.");
    EXPECT_EQ(bindings.bind(ShortcutAction::dropNext, {Key::p, command | option}),
              "Ctrl+Alt+P already does \u201CShow the stack\u201D.");
    EXPECT_EQ(bindings, before);
    // Binding a command to its own shortcut again is no conflict.
    EXPECT_EQ(bindings.bind(ShortcutAction::dropNext, {Key::x, command | option}), std::nullopt);
}

TEST(ShortcutBindings, SettingsReadBackAsWrittenAndWhatCannotBeUsedKeepsTheDefault) {
    ShortcutBindings chosen;
    // Two commands trading their shortcuts.
    ASSERT_EQ(chosen.bind(ShortcutAction::dropNext, {Key::f12, command}), std::nullopt);
    ASSERT_EQ(chosen.bind(ShortcutAction::swapEnds, {Key::x, command | option}), std::nullopt);
    ASSERT_EQ(chosen.bind(ShortcutAction::dropNext, {Key::w, command | option}), std::nullopt);
    const auto written = chosen.changed();
    EXPECT_EQ(written, (std::map<std::string, std::string>{{"drop-next", "Ctrl+Alt+W"},
                                                           {"swap-ends", "Ctrl+Alt+X"}}));
    EXPECT_EQ(ShortcutBindings::fromSettings(written), chosen);

    std::vector<std::string> problems;
    const auto read = ShortcutBindings::fromSettings({{"toggle-queue", "ctrl+shift+f5"},
                                                      {"stack-1", "Ctrl+Alt+Hyper"},
                                                      {"no-such-command", "Ctrl+Alt+K"},
                                                      {"show-overlay", "Ctrl+V"}},
                                                     &problems);
    EXPECT_EQ(read.of(ShortcutAction::toggleQueue), (Shortcut{Key::f5, command | shift}));
    EXPECT_EQ(read.of(ShortcutAction::selectStack1),
              ShortcutBindings::defaultFor(ShortcutAction::selectStack1));
    EXPECT_EQ(read.of(ShortcutAction::revealOverlay),
              ShortcutBindings::defaultFor(ShortcutAction::revealOverlay));
    EXPECT_EQ(problems.size(), 3u);
    EXPECT_EQ(parseShortcut("Super+Alt+Shift+Down"),
              (Shortcut{Key::downArrow, control | option | shift}));
    EXPECT_EQ(parseShortcut("Ctrl+Ctrl+V"), std::nullopt);
    EXPECT_EQ(parseShortcut(""), std::nullopt);
}

TEST(ShortcutBindings, ARebindingReachesTheTapAtOnce) {
    test::CaptureHarness h;
    ASSERT_TRUE(h.pasteController.start());
    ShortcutBindings bindings;
    ASSERT_EQ(bindings.bind(ShortcutAction::toggleQueue, {Key::f2, command | shift}), std::nullopt);
    h.pasteController.setShortcutBindings(bindings);
    h.keyboard.press(Key::s, command | shift);  // the old chord is the application's again
    EXPECT_EQ(h.keyboard.delivered().size(), 1u);
    h.keyboard.press(Key::f2, command | shift);
    h.wait(1);
    EXPECT_EQ(h.controller->toggles, 1);
    EXPECT_EQ(h.keyboard.swallowed().size(), 1u);
}

}  // namespace
}  // namespace tovra
