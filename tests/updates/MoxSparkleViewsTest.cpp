#include "updates/MoxSparkleViews.h"

#include <gtest/gtest.h>

namespace mox {
namespace {

TEST(MoxSparkleTexts, StatusAndBadgeFollowTheState) {
    EXPECT_EQ(statusText(MoxSparkleState::updateAvailable(QString("1.3"))),
              "Update available (1.3)");
    EXPECT_EQ(statusText(MoxSparkleState::updateAvailable(std::nullopt)), "Update available");
    EXPECT_EQ(statusText(MoxSparkleState::failed(MoxSparkleError::updateCheckFailed("offline"))),
              "Update check failed: offline");
    EXPECT_EQ(statusText(MoxSparkleState::downloading(0.5)), "Downloading\u2026");
    EXPECT_EQ(badgeText(MoxSparkleState::idle()), "Updates");
    EXPECT_EQ(badgeText(MoxSparkleState::failed(MoxSparkleError::updateCheckFailed("x"))),
              "Update failed");
    EXPECT_EQ(badgeText(MoxSparkleState::noUpdateAvailable()), "Up to date");
}

TEST(MoxSparkleSettingsView, ShowsTheBundleAndTheManagersState) {
    auto manager = std::make_unique<MoxSparkleManager>(
        MoxSparkleConfig::make("tovra", "Tovra", QUrl("https://dl.moxworks.invalid"), "stable",
                               true, false, 86400, false, false),
        MoxBundle({{"CFBundleShortVersionString", "0.1.0"}}));
    MoxSparkleSettingsView form(*manager);
    EXPECT_EQ(form.value("Product"), "Tovra");
    EXPECT_EQ(form.value("Version"), "0.1.0");
    EXPECT_EQ(form.value("Build"), "\u2014");
    EXPECT_EQ(form.value("Last checked"), "Never");
    EXPECT_EQ(form.value("Status"), "Idle");
    EXPECT_EQ(form.value("Automatic checks"), "On");
    EXPECT_EQ(form.value("Automatic downloads"), "Off");
    EXPECT_GE(form.minimumWidth(), 380);

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
