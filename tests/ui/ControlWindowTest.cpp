#include "Tovra/ui/ControlWindowController.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "MoxUI/MoxColors.h"
#include "tests/support/ShownText.h"

namespace tovra {
namespace {

QStringList shownTexts(const QWidget& window) {
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&window) && !label->text().isEmpty()) {
            texts << label->text();
        }
    }
    return texts;
}

QPushButton* buttonTitled(const QWidget& window, const QString& title) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == title && button->isVisibleTo(&window)) {
            return button;
        }
    }
    return nullptr;
}

TEST(ControlWindow, ShowsTheQueuesStateAndClearsOnlyWithItems) {
    int toggles = 0;
    int clears = 0;
    ControlWindowController window({[&] { ++toggles; }, [&] { ++clears; }});
    window.show();
    window.update(true, 1, 3, true);
    EXPECT_TRUE(shownTexts(window).contains(QStringLiteral("Tovra 1 \u00B7 3 queued")));
    QTest::mouseClick(buttonTitled(window, "Clear Queue"), Qt::LeftButton);
    QTest::mouseClick(buttonTitled(window, "Disable Tovra"), Qt::LeftButton);
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(toggles, 1);

    window.update(true, 2, 0, false);
    EXPECT_TRUE(shownTexts(window).contains("shortcuts unavailable"));
    EXPECT_EQ(window.statusColor(), QColor(0xFF, 0x95, 0x00));  // a warning, not a state
    QTest::mouseClick(buttonTitled(window, "Clear Queue"), Qt::LeftButton);
    EXPECT_EQ(clears, 1);  // nothing to clear

    window.update(false, 1, 0, false);
    EXPECT_EQ(window.statusColor(), mox::MoxColors::textTertiary());
    ASSERT_NE(buttonTitled(window, "Enable Tovra"), nullptr);
    window.update(false, 1, 0, true);
    EXPECT_TRUE(shownTexts(window).contains("paused"));
}

TEST(ControlWindow, ALargerDesktopFontGrowsTheWindowInsteadOfCuttingItsText) {
    const QFont usual = QApplication::font();
    QFont large = usual;
    large.setPixelSize(21);
    QApplication::setFont(large);
    {
        ControlWindowController window({});
        window.update(true, 1, 3, true);
        window.showUnavailableShortcuts({"Ctrl+Shift+V"});
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const QWidget* cut = test::firstCutText(window);
        EXPECT_EQ(cut, nullptr) << (cut != nullptr ? cut->objectName().toStdString() : "");
        EXPECT_GT(window.width(), 420);
    }
    QApplication::setFont(usual);
}

}  // namespace
}  // namespace tovra
