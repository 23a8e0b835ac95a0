#include "Tovra/ui/ControlWindowController.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "MoxUI/MoxColors.h"

namespace tovra {
namespace {

TEST(ControlWindow, ShowsTheQueuesStateAndEnablesClearingOnlyWithItems) {
    int toggles = 0;
    int clears = 0;
    ControlWindowController window({[&] { ++toggles; }, [&] { ++clears; }});
    window.update(true, 1, 3, true);
    EXPECT_EQ(window.statusText(), QStringLiteral("Tovra 1 \u00B7 3 queued"));
    EXPECT_EQ(window.toggleButton()->text(), "Disable Tovra");
    EXPECT_TRUE(window.clearButton()->isEnabled());
    window.clearButton()->click();
    window.toggleButton()->click();
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(toggles, 1);

    window.update(true, 2, 0, false);
    EXPECT_EQ(window.statusText(), "shortcuts unavailable");
    EXPECT_EQ(window.statusColor(), QColor(0xFF, 0x95, 0x00));
    EXPECT_FALSE(window.clearButton()->isEnabled());

    window.update(false, 1, 0, false);
    EXPECT_EQ(window.statusText(), "shortcuts unavailable");
    EXPECT_EQ(window.statusColor(), mox::MoxColors::textTertiary());
    EXPECT_EQ(window.toggleButton()->text(), "Enable Tovra");

    window.update(false, 1, 0, true);
    EXPECT_EQ(window.statusText(), "paused");
}

}  // namespace
}  // namespace tovra
