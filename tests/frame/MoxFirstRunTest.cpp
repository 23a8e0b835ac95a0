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

TEST_F(MoxFirstRunTest, AWindowedProductGetsHighlightsAndNeitherDoneNorLoginSwitch) {
    QWidget* window =
        presentOnboardingIfNeeded("notes", Kind::windowed, std::nullopt,
                                  {{"star", "Fast", "Opens at once."}}, nullptr, store, &presenter);
    ASSERT_NE(window, nullptr);
    auto* primary = window->findChild<QPushButton*>("primary");
    EXPECT_EQ(window->findChild<QPushButton*>("done"), nullptr);  // no action: no "Done"
    EXPECT_EQ(window->findChild<QLabel*>("subtitle"), nullptr);   // highlights instead
    EXPECT_EQ(window->findChild<QAbstractButton*>("launchAtLogin"), nullptr);
    primary->click();
    EXPECT_FALSE(MoxFirstRunGuard::shouldShowOnboarding("notes", store));
}

TEST(MoxFirstRunOnboardingView, WithoutATrayNoTextPromisesATrayIcon) {
    const MoxFirstRunOnboardingView trayless(MoxFirstRunOnboarding{Kind::trayless, "", {}, nullptr},
                                             [] {}, {[] { return false; }, [](bool) {}});
    EXPECT_NE(trayless.launchAtLoginSwitch(), nullptr);
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
