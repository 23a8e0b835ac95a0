#include "Tovra/ui/MenuController.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QSystemTrayIcon>
#include <QWidgetAction>
#include <cstdlib>

#include "Tovra/ui/MenuToggleItemView.h"
#include "Tovra/ui/StatusGlyph.h"

namespace tovra {
namespace {

std::vector<ItemRow> rows(std::initializer_list<const char*> texts) {
    std::vector<ItemRow> result;
    for (const char* text : texts) {
        result.push_back({Uuid::random(), text, false});
    }
    return result;
}

QStringList titles(const QMenu* menu) {
    QStringList result;
    for (const QAction* action : menu->actions()) {
        result << (action->isSeparator() ? QStringLiteral("---") : action->text());
    }
    return result;
}

class MenuControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MenuActions actions;
        actions.toggleStack = [this] { ++toggles; };
        actions.pasteNext = [this] { ++pastes; };
        actions.pasteQueueItem = [this](int index) { chosen.push_back(index); };
        actions.clearQueue = [] {};
        actions.quit = [] {};
        controller.buildMenu(actions, [this](MenuAction action) {
            return action == MenuAction::pasteNext ? canPaste : true;
        });
    }

    MenuController controller{nullptr};
    int toggles = 0;
    int pastes = 0;
    std::vector<int> chosen;
    bool canPaste = false;
};

TEST_F(MenuControllerTest, TheUpdateAndUndoRowsWaitForTheirMomentAndAnEmptyQueueSaysSo) {
    EXPECT_FALSE(controller.pendingUpdateItem()->isVisible());
    EXPECT_FALSE(controller.undoClearItem()->isVisible());  // only just after a clear
    controller.update({}, true, PrivacyMode::preview, std::string("1.4.0"));
    EXPECT_TRUE(controller.pendingUpdateItem()->isVisible());
    EXPECT_TRUE(controller.pendingUpdateItem()->text().contains("1.4.0"));
    controller.update({}, true, PrivacyMode::preview, std::nullopt);
    EXPECT_FALSE(controller.pendingUpdateItem()->isVisible());
    EXPECT_EQ(titles(controller.queueSubmenu()), QStringList{"Nothing waiting"});
    EXPECT_FALSE(controller.queueSubmenu()->actions().front()->isEnabled());
}

/// Leftmost column with ink inside `area` of `image`, or -1.
int leftmostInk(const QImage& image, const QRect& area, const QColor& background) {
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.lightness() - background.lightness()) > 60) {
                return x;
            }
        }
    }
    return -1;
}

TEST_F(MenuControllerTest, EveryRowThatDoesSomethingHasAnIconEvenWithoutAThemeAndTheSwitchAligns) {
    for (QAction* row : controller.menu()->actions()) {
        if (row->isSeparator() || !row->isEnabled() || qobject_cast<QWidgetAction*>(row) ||
            row->text().isEmpty()) {
            continue;
        }
        const QImage icon = row->icon().pixmap(16, 16).toImage();
        int inked = 0;
        for (int y = 0; y < icon.height(); ++y) {
            for (int x = 0; x < icon.width(); ++x) {
                inked += qAlpha(icon.pixel(x, y)) > 64 ? 1 : 0;
            }
        }
        EXPECT_GT(inked, 6) << row->text().toStdString();
    }

    // The switch row's title starts where a row's text does (seen on a row without its icon).
    QMenu& menu = *controller.menu();
    controller.pendingUpdateItem()->setVisible(false);
    QAction* hint = menu.actions()[3];
    hint->setIcon(QIcon());
    menu.adjustSize();
    const QImage drawn = menu.grab().toImage();
    const QColor background = drawn.pixelColor(menu.width() / 2, 2);
    // Inside the rows, clear of the menu's frame.
    QRect switchRow = menu.actionGeometry(controller.masterToggleItem()).adjusted(4, 3, 0, -3);
    switchRow.setRight(switchRow.left() + 120);  // the title, not the switch
    const int hintText =
        leftmostInk(drawn, menu.actionGeometry(hint).adjusted(4, 3, 0, -3), background);
    const int title = leftmostInk(drawn, switchRow, background);
    ASSERT_GT(hintText, 0);
    EXPECT_NEAR(title, hintText, 2);
}

TEST_F(MenuControllerTest, ListsTheFirstFiveItemsMaskedFlattenedAndCut) {
    controller.update(
        rows({"one", "two\tcells\nand lines", "three", "four", "five", "six", "seven"}), true,
        PrivacyMode::preview, std::nullopt);
    EXPECT_EQ(controller.queueItem()->text(), "Queue (7)");
    EXPECT_EQ(titles(controller.queueSubmenu()),
              (QStringList{"1. one", "2. two cells and lines", "3. three", "4. four", "5. five"}));
    controller.queueSubmenu()->actions()[2]->trigger();
    EXPECT_EQ(chosen, std::vector<int>{2});

    const std::string thirty(30, 'x');
    const std::string thirtyOne(31, 'y');
    EXPECT_EQ(MenuController::rowText(0, thirty, PrivacyMode::preview).toStdString(),
              "1. " + thirty);
    // Masking first: the preview shows 30 characters and "..." (33), which the row cuts.
    EXPECT_EQ(MenuController::rowText(1, thirtyOne, PrivacyMode::preview).toStdString(),
              "2. " + std::string(27, 'y') + "...");
    EXPECT_EQ(MenuController::rowText(2, "hunter2", PrivacyMode::sensitive),
              QStringLiteral("3. \u2022\u2022\u2022\u2022\u2022\u2022\u2022\u2022"));
}

TEST_F(MenuControllerTest, AnAmpersandInCopiedTextIsShownAndTakesNoKey) {
    controller.update(rows({"R&D", "a && b"}), true, PrivacyMode::preview, std::string("2.0&x"));
    const auto queueRows = controller.queueSubmenu()->actions();
    ASSERT_GE(queueRows.size(), 2);
    // What the menu draws (one "&" of each pair), and no letter that pastes the row when typed.
    EXPECT_EQ(queueRows[0]->iconText(), "1. R&D");
    EXPECT_EQ(queueRows[1]->iconText(), "2. a && b");
    for (const QAction* action : {queueRows[0], queueRows[1], controller.pendingUpdateItem()}) {
        EXPECT_TRUE(QKeySequence::mnemonic(action->text()).isEmpty())
            << action->text().toStdString();
    }
    EXPECT_TRUE(controller.pendingUpdateItem()->iconText().contains("2.0&x"));
}

TEST(MenuControllerTray, ALeftClickOnTheIconOpensTheMenu) {
    QSystemTrayIcon tray;
    MenuController controller(&tray);
    MenuActions actions;
    actions.quit = [] {};
    controller.buildMenu(actions, [](MenuAction) { return true; });
    ASSERT_FALSE(controller.menu()->isVisible());
    emit tray.activated(QSystemTrayIcon::Context);  // the panel shows the context menu itself
    EXPECT_FALSE(controller.menu()->isVisible());
    emit tray.activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(controller.menu()->isVisible());
    controller.menu()->close();
}

TEST_F(MenuControllerTest, SwitchRowAndQueueRowFollowWhetherCaptureIsLive) {
    controller.update(rows({"a"}), false, PrivacyMode::partialMask, std::nullopt);
    EXPECT_EQ(controller.masterToggleItem()->text(), "Tovra Off");
    EXPECT_FALSE(controller.masterToggleView()->isOn());
    EXPECT_FALSE(controller.queueItem()->isEnabled());
    controller.update(rows({"a"}), true, PrivacyMode::partialMask, std::nullopt);
    EXPECT_EQ(controller.masterToggleItem()->text(), "Tovra On");
    EXPECT_TRUE(controller.masterToggleView()->isOn());
    EXPECT_TRUE(controller.queueItem()->isEnabled());

    // Space on the focused switch row switches the queue.
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(controller.masterToggleView(), &space);
    EXPECT_EQ(toggles, 1);
}

TEST_F(MenuControllerTest, TheSwitchRowIsACheckableRowAcrossTheMenuThatShowsItsFocus) {
    QMenu& menu = *controller.menu();
    controller.pendingUpdateItem()->setVisible(false);
    menu.show();
    MenuToggleItemView* row = controller.masterToggleView();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->width(), menu.actionGeometry(controller.masterToggleItem()).width());
    controller.update({}, true, PrivacyMode::preview, std::nullopt);
    QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(row);
    ASSERT_NE(seen, nullptr);
    EXPECT_TRUE(seen->state().checkable);
    EXPECT_TRUE(seen->state().checked);
    EXPECT_EQ(seen->text(QAccessible::Name), "Tovra");
    controller.update({}, false, PrivacyMode::preview, std::nullopt);
    EXPECT_FALSE(seen->state().checked);
    // Focused, its row is highlighted as the menu's other rows are.
    const QColor plain = row->grab().toImage().pixelColor(4, row->height() / 2);
    row->setFocus();
    const QColor focused = row->grab().toImage().pixelColor(4, row->height() / 2);
    EXPECT_NE(plain, focused);
    menu.hide();
}

TEST_F(MenuControllerTest, EnablingFollowsTheControllersRulesWhenTheMenuOpens) {
    QAction* paste = controller.menu()->actions()[3];
    QAction* about = controller.menu()->actions()[13];
    controller.validate();
    EXPECT_FALSE(paste->isEnabled());
    EXPECT_TRUE(about->isEnabled());  // rows without a rule are enabled
    canPaste = true;
    controller.validate();
    EXPECT_TRUE(paste->isEnabled());
    paste->trigger();
    EXPECT_EQ(pastes, 1);
}

/// The average colour of the pixels drawn over at least half opaque.
QColor inkColour(const QImage& image, const QRect& area) {
    float red = 0, green = 0, blue = 0;
    int inked = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alphaF() >= 0.5F) {
                red += pixel.redF();
                green += pixel.greenF();
                blue += pixel.blueF();
                ++inked;
            }
        }
    }
    const auto n = static_cast<float>(inked);
    return inked == 0 ? QColor() : QColor::fromRgbF(red / n, green / n, blue / n);
}

TEST(StatusGlyphTest, TheTrayGlyphDrawsInThePanelsColourAtTheScreensPixelRatio) {
    for (const QColor panelInk : {QColor(Qt::white), QColor(0x20, 0x20, 0x20)}) {
        const QImage sharp = StatusGlyph::render(0, panelInk, 22, 2.0);
        EXPECT_EQ(sharp.size(), QSize(44, 44));  // drawn for the ratio, not scaled up
        const QColor ink = inkColour(sharp, sharp.rect());
        ASSERT_TRUE(ink.isValid());
        EXPECT_NEAR(ink.lightness(), panelInk.lightness(), 40);
    }
    // Unknown panel: light lines with a dark halo read on either.
    const QImage unknown = StatusGlyph::render(0, std::nullopt, 22, 1.0);
    int light = 0;
    int dark = 0;
    for (int y = 0; y < unknown.height(); ++y) {
        for (int x = 0; x < unknown.width(); ++x) {
            const QColor pixel = unknown.pixelColor(x, y);
            if (pixel.alphaF() > 0.7F) {
                light += pixel.lightness() > 160 ? 1 : 0;
                dark += pixel.lightness() < 90 ? 1 : 0;
            }
        }
    }
    EXPECT_GT(light, 10);
    EXPECT_GT(dark, 10);
}

TEST(StatusGlyphTest, TheCountStaysLegibleAtTheSizesTraysUse) {
    for (const int count : {7, 42, 100}) {
        const QImage empty = StatusGlyph::render(0, QColor(Qt::white), 22, 1.0);
        const QImage badged = StatusGlyph::render(count, QColor(Qt::white), 22, 1.0);
        // The badge's text: rows in the lower half where the picture differs from the glyph
        // alone in a colour that is neither the accent nor white.
        int textRows = 0;
        for (int y = 11; y < 22; ++y) {
            bool text = false;
            for (int x = 0; x < 22; ++x) {
                const QColor pixel = badged.pixelColor(x, y);
                text = text || (pixel.alpha() == 255 && pixel.lightness() < 60 &&
                                pixel != empty.pixelColor(x, y));
            }
            textRows += text ? 1 : 0;
        }
        EXPECT_GE(textRows, 6) << count;  // digits at least six pixels high
    }
    EXPECT_EQ(StatusGlyph::badgeText(99), "99");
    EXPECT_EQ(StatusGlyph::badgeText(100), "99+");
}

}  // namespace
}  // namespace tovra
