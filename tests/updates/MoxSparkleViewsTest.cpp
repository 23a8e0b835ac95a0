#include "updates/MoxSparkleViews.h"

#include <gtest/gtest.h>

namespace mox {
namespace {

TEST(MoxSparkleSettingsView, FollowsTheManagersStateAsItChanges) {
    auto manager = std::make_unique<MoxSparkleManager>(
        MoxSparkleConfig::make("tovra", "Tovra", QUrl("https://dl.moxworks.invalid"), "stable",
                               true, false, 86400, false, false),
        MoxBundle({{"CFBundleShortVersionString", "0.1.0"}}));
    MoxSparkleSettingsView form(*manager);
    EXPECT_EQ(form.value("Version"), "0.1.0");
    EXPECT_EQ(form.value("Last checked"), "Never");

    MoxSparkleMenu menu(*manager);
    MoxSparkleUpdateBadge badge(*manager);
    menu.trigger();  // not started: the check stays pending
    EXPECT_FALSE(menu.isEnabled());
    EXPECT_EQ(form.value("Status"), "Checking\u2026");
    EXPECT_NE(form.value("Last checked"), "Never");
    EXPECT_EQ(badge.text(), "Checking\u2026");
}

}  // namespace
}  // namespace mox
