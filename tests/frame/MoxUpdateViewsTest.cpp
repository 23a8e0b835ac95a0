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

TEST(MoxUpdateStatusView, ProgressRoundsDownAndMissingValuesLeaveNoGap) {
    const auto detail = &MoxUpdateStatusView::detailText;
    EXPECT_EQ(detail(MoxAppUpdateState::failed(QString())), "Update failed.");
    EXPECT_EQ(detail(MoxAppUpdateState::downloading(0.999)), "Downloading\u2026 99%");
    EXPECT_EQ(detail(MoxAppUpdateState::downloading(std::nullopt)), "Downloading\u2026");
    EXPECT_EQ(detail(MoxAppUpdateState::readyToInstall(QString())), "Ready to install");
    EXPECT_EQ(detail(MoxAppUpdateState::readyToInstall(QString("2.0"))), "Ready to install (2.0)");
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
