#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

#include "MoxUI/MoxBrandPack.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "frame/MoxFirstRunGuard.h"
#include "frame/MoxFirstRunOnboarding.h"
#include "frame/MoxFirstRunOnboardingView.h"
#include "frame/MoxLaunchAtLoginToggle.h"

namespace mox {
namespace {

using Kind = MoxFirstRunOnboarding::Kind;

class MoxFirstRunTest : public ::testing::Test {
  protected:
    QTemporaryDir directory;
    QSettings store{directory.filePath("tovra.conf"), QSettings::IniFormat};
    MoxSatelliteWindowPresenter presenter;
    void TearDown() override { presenter.closeAll(); }
};

TEST_F(MoxFirstRunTest, GuardKeepsItsFlagUnderTheProductKey) {
    EXPECT_EQ(MoxFirstRunGuard::completedKey("tovra"), "moxworks.tovra.firstRunCompleted");
    EXPECT_TRUE(MoxFirstRunGuard::shouldShowOnboarding("tovra", store));
    store.setValue("moxworks.tovra.firstRunCompleted", false);
    EXPECT_TRUE(MoxFirstRunGuard::shouldShowOnboarding("tovra", store));
    MoxFirstRunGuard::markCompleted("tovra", store);
    EXPECT_FALSE(MoxFirstRunGuard::shouldShowOnboarding("tovra", store));
    EXPECT_TRUE(MoxFirstRunGuard::shouldShowOnboarding("other", store));
    MoxFirstRunGuard::reset("tovra", store);
    EXPECT_TRUE(MoxFirstRunGuard::shouldShowOnboarding("tovra", store));
}

TEST_F(MoxFirstRunTest, ShownUntilDismissedThenNeverAgain) {
    int opened = 0;
    QWidget* window = presentOnboardingIfNeeded(
        "tovra", Kind::menubar, QString("Open the queue"), {}, [&] { ++opened; }, store,
        &presenter);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(480, 440));
    EXPECT_EQ(presenter.window("moxworks.tovra.first-run"), window);
    EXPECT_TRUE(MoxFirstRunGuard::shouldShowOnboarding("tovra", store));  // shown, not done

    auto* primary = window->findChild<QPushButton*>("primary");
    ASSERT_NE(primary, nullptr);
    EXPECT_EQ(primary->text(), "Open the queue");
    ASSERT_NE(window->findChild<QPushButton*>("done"), nullptr);
    primary->click();
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(store.value("moxworks.tovra.firstRunCompleted").toBool(), true);
    EXPECT_EQ(presenter.window("moxworks.tovra.first-run"), nullptr);
    EXPECT_EQ(presentOnboardingIfNeeded("tovra", Kind::menubar, std::nullopt, {}, nullptr, store,
                                        &presenter),
              nullptr);
}

TEST_F(MoxFirstRunTest, TheLoginSwitchWritesIntoTheTestsOwnHomeOnly) {
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    EXPECT_EQ(configHome, QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")));
    EXPECT_FALSE(configHome.startsWith(QDir::homePath() + "/.config"));
    const QString entry =
        configHome + "/autostart/" + QCoreApplication::applicationName() + ".desktop";
    QWidget* window = presentOnboardingIfNeeded("tovra", Kind::menubar, std::nullopt, {}, nullptr,
                                                store, &presenter);
    ASSERT_NE(window, nullptr);
    auto* toggle = window->findChild<QAbstractButton*>("launchAtLogin");
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->isChecked());
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(entry));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(MoxFirstRunTest, SizesLabelsAndButtonsFollowTheKind) {
    EXPECT_EQ(MoxFirstRunOnboarding::windowSize(Kind::windowed, true), QSize(540, 520));
    EXPECT_EQ(MoxFirstRunOnboarding::windowSize(Kind::windowed, false), QSize(540, 460));
    EXPECT_EQ(MoxFirstRunOnboarding::windowSize(Kind::menubar, true), QSize(480, 560));
    QWidget* window =
        presentOnboardingIfNeeded("notes", Kind::windowed, std::nullopt,
                                  {{"star", "Fast", "Opens at once."}}, nullptr, store, &presenter);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(540, 520));
    auto* primary = window->findChild<QPushButton*>("primary");
    EXPECT_EQ(primary->text(), "Get started");
    EXPECT_EQ(window->findChild<QPushButton*>("done"), nullptr);  // no action: no "Done"
    EXPECT_EQ(window->findChild<QLabel*>("subtitle"), nullptr);   // highlights instead
    EXPECT_EQ(window->findChild<QAbstractButton*>("launchAtLogin"), nullptr);  // no login switch
    primary->click();
    EXPECT_FALSE(MoxFirstRunGuard::shouldShowOnboarding("notes", store));
    EXPECT_EQ(MoxFirstRunOnboarding::defaultPrimaryActionLabel(Kind::menubar), "Try it now");
}

TEST(MoxFirstRunOnboardingView, TextsNameTheBrand) {
    EXPECT_EQ(MoxFirstRunOnboardingView::title(Kind::menubar, "Tovra"),
              "Tovra lives in your system tray.");
    EXPECT_EQ(MoxFirstRunOnboardingView::title(Kind::windowed, "Tovra"), "Welcome to Tovra.");
    EXPECT_EQ(MoxFirstRunOnboardingView::subtitle(Kind::menubar, true, "Tovra"),
              "Click its icon in your panel's system tray any time. Tovra stays out of your "
              "taskbar and waits quietly until you need it.");
    EXPECT_FALSE(MoxFirstRunOnboardingView::subtitle(Kind::windowed, true, "Tovra").has_value());
    // No tray on this desktop: no word of one, and the login switch all the same.
    EXPECT_EQ(MoxFirstRunOnboardingView::title(Kind::trayless, "Tovra"),
              "Tovra keeps a small window open.");
    EXPECT_EQ(MoxFirstRunOnboardingView::subtitle(Kind::trayless, false, "Tovra"),
              "This desktop shows no system tray, so Tovra's own small window holds its switch "
              "and its menu. Tovra waits quietly until you need it.");
    EXPECT_TRUE(MoxFirstRunOnboarding::livesInBackground(Kind::trayless));
    const MoxFirstRunOnboardingView trayless(MoxFirstRunOnboarding{Kind::trayless, "", {}, nullptr},
                                             [] {}, {[] { return false; }, [](bool) {}});
    for (const QLabel* label : trayless.findChildren<QLabel*>()) {
        EXPECT_FALSE(label->text().contains("tray icon")) << label->text().toStdString();
    }
}

TEST(MoxFirstRunOnboardingView, ARefusedLoginChangeKeepsTheSwitchAndExplains) {
    bool refuse = true;
    std::vector<bool> asked;
    MoxFirstRunOnboardingView view(
        MoxFirstRunOnboarding{Kind::menubar, "Try it now", {}, nullptr}, [] {},
        {[] { return false; },
         [&](bool on) {
             asked.push_back(on);
             if (refuse) {
                 throw MoxLaunchAtLoginToggle::LaunchAtLoginError(
                     MoxLaunchAtLoginToggle::LaunchAtLoginError::Kind::underlying, "denied");
             }
         }});
    QAbstractButton* toggle = view.launchAtLoginSwitch();
    ASSERT_NE(toggle, nullptr);
    EXPECT_FALSE(toggle->isChecked());
    toggle->click();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ(view.launchAtLoginError(),
              QString("Couldn't change login setting \u2014 check that ~/.config/autostart can be "
                      "written, or add %1 to your desktop's startup applications.")
                  .arg(MoxBrandPack::current().displayName));
    refuse = false;
    toggle->click();
    toggle->click();
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_FALSE(view.launchAtLoginError().has_value());
    EXPECT_EQ(asked, (std::vector<bool>{true, false, true}));
}

}  // namespace
}  // namespace mox
