#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>

#include "frame/AnyMoxUpdateManager.h"
#include "frame/MoxAppIdentity.h"
#include "frame/MoxUpdateStatusView.h"
#include "frame/MoxUpdatesView.h"

namespace mox {
namespace {

using Kind = MoxAppUpdateState::Kind;

TEST(MoxUpdateStatusView, TextsFollowTheStateTable) {
    const auto detail = &MoxUpdateStatusView::detailText;
    EXPECT_EQ(detail(MoxAppUpdateState::failed(QString())), "Update failed.");
    EXPECT_EQ(MoxUpdateStatusView::badgeLabel(MoxAppUpdateState::failed(QString())), "Failed");
    EXPECT_EQ(MoxUpdateStatusView::badgeVariant(MoxAppUpdateState::failed("x")),
              MoxBadgeVariant::danger);
    EXPECT_EQ(detail(MoxAppUpdateState::failed("Update check failed: offline")),
              "Update check failed: offline");
    EXPECT_EQ(detail(MoxAppUpdateState::downloading(0.5)), "Downloading\u2026 50%");
    EXPECT_EQ(detail(MoxAppUpdateState::downloading(0.999)), "Downloading\u2026 99%");
    EXPECT_EQ(detail(MoxAppUpdateState::downloading(std::nullopt)), "Downloading\u2026");
    EXPECT_EQ(detail(MoxAppUpdateState::readyToInstall(QString())), "Ready to install");
    EXPECT_EQ(detail(MoxAppUpdateState::readyToInstall(QString("2.0"))), "Ready to install (2.0)");
    EXPECT_EQ(detail(MoxAppUpdateState::updateAvailable(QString("2.0"))), "Update available (2.0)");
    EXPECT_EQ(detail(MoxAppUpdateState::of(Kind::checking)), "Checking\u2026");
    EXPECT_EQ(MoxUpdateStatusView::badgeLabel(MoxAppUpdateState::of(Kind::noUpdateAvailable)),
              "Up to date");
    EXPECT_EQ(MoxUpdateStatusView::badgeVariant(MoxAppUpdateState::of(Kind::noUpdateAvailable)),
              MoxBadgeVariant::success);
}

TEST(MoxAppUpdateState, SummaryNamesTheCaseAndItsLabelledValue) {
    EXPECT_EQ(MoxAppUpdateState::idle().summary(), "idle");
    EXPECT_EQ(MoxAppUpdateState::updateAvailable(QString("1.3")).summary(),
              "updateAvailable(version: 1.3)");
    EXPECT_EQ(MoxAppUpdateState::failed("offline").summary(), "failed(message: offline)");
    EXPECT_EQ(MoxAppUpdateState::downloading(0.25).summary(), "downloading(progress: 0.25)");
}

/// Counts the checks and installs the page asks for.
class RecordingUpdates final : public AnyMoxUpdateManager {
  public:
    RecordingUpdates() : AnyMoxUpdateManager(MoxAppUpdateState::idle(), true, std::nullopt) {}
    void checkForUpdates() override { ++checks; }
    void installUpdate() override { ++installs; }
    int checks = 0;
    int installs = 0;
};

TEST(MoxUpdatesView, ButtonsAndSpinnerFollowTheManager) {
    RecordingUpdates updates;
    MoxUpdatesView view(MoxAppIdentity::tovra(), updates);
    view.show();
    EXPECT_TRUE(view.statusView()->lastChecked()->isHidden());  // never checked
    EXPECT_TRUE(view.installButton()->isHidden());
    view.checkButton()->click();
    EXPECT_EQ(updates.checks, 1);

    updates.updateState(MoxAppUpdateState::of(Kind::checking));
    updates.updateCanCheckForUpdates(false);
    updates.updateLastCheckDate(QDateTime(QDate(2026, 12, 6), QTime(9, 30)));
    EXPECT_FALSE(view.checkButton()->isEnabled());
    EXPECT_TRUE(view.spinner()->isVisible());
    EXPECT_TRUE(view.statusView()->lastChecked()->isVisible());
    EXPECT_TRUE(view.statusView()->lastChecked()->text().startsWith("Last checked: "));

    updates.updateState(MoxAppUpdateState::updateAvailable(QString("1.3")));
    updates.updateCanCheckForUpdates(true);
    EXPECT_FALSE(view.spinner()->isVisible());
    EXPECT_EQ(view.statusView()->badge()->text(), "Available");
    ASSERT_TRUE(view.installButton()->isVisible());
    view.installButton()->click();
    EXPECT_EQ(updates.installs, 1);
}

}  // namespace
}  // namespace mox
