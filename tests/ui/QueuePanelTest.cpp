#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "Tovra/ui/QueuePanelRow.h"
#include "Tovra/ui/TovraQueueView.h"
#include "tests/support/FakePanelModel.h"
#include "tests/support/ShownText.h"

namespace tovra {
namespace {

/// The texts a user sees: labels hidden with their section are not shown.
QStringList shownTexts(const QWidget* view) {
    QStringList result;
    for (const QLabel* label : view->findChildren<QLabel*>()) {
        if (label->isVisibleTo(view->window())) {
            result << label->text();
        }
    }
    return result;
}

template <typename Button>
Button* buttonNamed(const QWidget* view, const QString& name) {
    for (Button* button : view->findChildren<Button*>()) {
        if (button->accessibleName() == name || button->text() == name) {
            return button;
        }
    }
    return nullptr;
}

class QueuePanelTest : public ::testing::Test {
  protected:
    void SetUp() override { coordinator.setModel(&model); }
    void TearDown() override { mox::MoxSatelliteWindowPresenter::shared().closeAll(); }

    void fill(int count) {
        for (int i = 1; i <= count; ++i) {
            items.push_back({Uuid::random(), "item " + std::to_string(i), false, "Plain text"});
        }
    }

    /// Opens the panel as the active window, as the menu's "Open queue..." does.
    TovraQueueView& openActive() {
        coordinator.open();
        TovraQueueView* view = coordinator.view();
        EXPECT_NE(view, nullptr);
        view->window()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view->window()));
        return *view;
    }

    /// What the coordinator does after each change the model makes.
    void reload() {
        coordinator.reload();
        QApplication::processEvents();
    }

    static void press(Qt::Key key) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key);
    }

    static QueuePanelRow* focusedRow() {
        for (QWidget* at = QApplication::focusWidget(); at != nullptr; at = at->parentWidget()) {
            if (auto* row = dynamic_cast<QueuePanelRow*>(at)) {
                return row;
            }
        }
        return nullptr;
    }

    test::FakePanelModel model;
    TovraQueueCoordinator coordinator;
    std::vector<PanelItem>& items = model.items;
};

TEST_F(QueuePanelTest, EmptyStackSaysNothingIsWaitingAndCannotBeCleared) {
    const TovraQueueView& view = openActive();
    EXPECT_TRUE(shownTexts(&view).contains("Nothing waiting."));
    EXPECT_TRUE(shownTexts(&view).contains("0 items"));
    EXPECT_FALSE(shownTexts(&view).contains("Next to paste"));
    QTest::mouseClick(buttonNamed<QPushButton>(&view, "Clear all"), Qt::LeftButton);
    EXPECT_EQ(model.clears, 0);
}

TEST_F(QueuePanelTest, NextItemInACardAndTheRestNumberedFromTwo) {
    items = {{Uuid::random(), "  first  ", false, "Plain text"},
             {Uuid::random(), "second", true, "Rich text"},
             {Uuid::random(), "third\nline", false, "Image"}};
    const TovraQueueView& view = openActive();
    const QStringList shown = shownTexts(&view);
    EXPECT_TRUE(shown.contains("Smart \u00B7 LIFO"));
    EXPECT_TRUE(shown.contains("3 items"));
    EXPECT_TRUE(shown.contains("first"));       // trimmed
    EXPECT_TRUE(shown.contains("third line"));  // one line per row
    EXPECT_TRUE(shown.contains("Up next"));
    EXPECT_TRUE(shown.contains("2"));
    EXPECT_TRUE(shown.contains("3"));
    EXPECT_FALSE(shown.contains("Nothing waiting."));
    EXPECT_NE(buttonNamed<QToolButton>(&view, "Unpin queue item 2"), nullptr);

    QTest::mouseClick(buttonNamed<QPushButton>(&view, "Paste next queue item"), Qt::LeftButton);
    QTest::mouseClick(buttonNamed<QToolButton>(&view, "Remove queue item 3"), Qt::LeftButton);
    QTest::mouseClick(buttonNamed<QPushButton>(&view, "Clear all"), Qt::LeftButton);
    EXPECT_EQ(model.pasted, std::vector<Uuid>{items[0].id});
    EXPECT_EQ(model.removed, std::vector<Uuid>{items[2].id});
    EXPECT_EQ(model.clears, 1);
}

TEST_F(QueuePanelTest, CopiedTextThatLooksLikeMarkupIsShownAsItIs) {
    items = {{Uuid::random(), "<b>next</b><i>it</i>", false, "Plain text"},
             {Uuid::random(), "<img src=\"x\">later", false, "Plain text"}};
    const TovraQueueView& view = openActive();
    int checked = 0;
    for (const QLabel* label : view.findChildren<QLabel*>()) {
        if (label->text().contains(QLatin1Char('<'))) {
            EXPECT_TRUE(test::showsLiterally(*label)) << label->text().toStdString();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2);
}

TEST_F(QueuePanelTest, TheKeyboardAloneMovesPinsPastesAndRemoves) {
    fill(30);
    const TovraQueueView& view = openActive();
    ASSERT_NE(focusedRow(), nullptr);  // the keyboard starts on the next item
    EXPECT_EQ(focusedRow()->id(), items[0].id);
    for (int i = 0; i < 19; ++i) {
        press(Qt::Key_Down);
    }
    QueuePanelRow* twentieth = focusedRow();
    ASSERT_NE(twentieth, nullptr);
    EXPECT_EQ(twentieth->id(), items[19].id);
    const QScrollBar* scroll = view.findChild<QScrollArea*>()->verticalScrollBar();
    const int scrolled = scroll->value();
    EXPECT_GT(scrolled, 0);  // the focused row was scrolled into view

    press(Qt::Key_Space);
    ASSERT_EQ(model.pinned, std::vector<Uuid>{items[19].id});
    items[19].isPinned = true;
    reload();
    // Pinning updates the row where it is: same row, same focus, same scroll position.
    EXPECT_EQ(focusedRow(), twentieth);
    EXPECT_EQ(scroll->value(), scrolled);
    EXPECT_NE(buttonNamed<QToolButton>(&view, "Unpin queue item 20"), nullptr);

    press(Qt::Key_Return);
    EXPECT_EQ(model.pasted, std::vector<Uuid>{items[19].id});

    press(Qt::Key_Delete);
    ASSERT_EQ(model.removed, std::vector<Uuid>{items[19].id});
    items.erase(items.begin() + 19);
    reload();
    // The focus goes to the item that took the removed one's place.
    ASSERT_NE(focusedRow(), nullptr);
    EXPECT_EQ(focusedRow()->id(), items[19].id);

    press(Qt::Key_Up);
    EXPECT_EQ(focusedRow()->id(), items[18].id);
    press(Qt::Key_Home);
    EXPECT_EQ(focusedRow()->id(), items[0].id);

    press(Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(coordinator.view(), nullptr);  // closed
}

TEST_F(QueuePanelTest, PasteIsReachableWithoutThePointer) {
    fill(4);
    const TovraQueueView& view = openActive();
    QPushButton* paste = buttonNamed<QPushButton>(&view, "Paste queue item 3");
    ASSERT_NE(paste, nullptr);
    EXPECT_FALSE(paste->isVisible());
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_TRUE(paste->isVisible());  // shown for the focused row, not only under the pointer
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), paste);
    ASSERT_EQ(QApplication::focusWidget(), paste);
    EXPECT_TRUE(paste->isVisible());
    press(Qt::Key_Space);
    EXPECT_EQ(model.pasted, std::vector<Uuid>{items[2].id});
}

TEST_F(QueuePanelTest, TabGoesThroughTheRowsInOrderBeforeTheFooter) {
    fill(1);
    const TovraQueueView& view = openActive();
    fill(2);  // copied while the panel is open: their rows are made after the footer
    reload();
    QStringList visited;
    for (int i = 0; i < 12 && !visited.contains("Clear all"); ++i) {
        press(Qt::Key_Tab);
        const QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        const auto* button = qobject_cast<const QAbstractButton*>(focus);
        visited << (focus->accessibleName().isEmpty() && button != nullptr
                        ? button->text()
                        : focus->accessibleName());
    }
    const auto at = [&](const QString& name) { return visited.indexOf(name); };
    ASSERT_GE(at("Clear all"), 0) << visited.join(" | ").toStdString();
    EXPECT_LT(at("Paste queue item 2"), at("Paste queue item 3"))
        << visited.join(" | ").toStdString();
    EXPECT_LT(at("Paste queue item 3"), at("Clear all")) << visited.join(" | ").toStdString();
    (void)view;
}

TEST_F(QueuePanelTest, ALongOneLineTextKeepsTheRowsButtonsInside) {
    fill(2);
    items[1].previewText = std::string(600, 'W');
    const TovraQueueView& view = openActive();
    QToolButton* remove = buttonNamed<QToolButton>(&view, "Remove queue item 2");
    ASSERT_NE(remove, nullptr);
    const QRect inView(remove->mapTo(&view, QPoint(0, 0)), remove->size());
    EXPECT_TRUE(view.rect().contains(inView));
    const QScrollArea* list = view.findChild<QScrollArea*>();
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
}

TEST_F(QueuePanelTest, ReloadReadsEverythingAgainAndMasksTexts) {
    items = {{Uuid::random(), "only one", false, "Plain text"}};
    const TovraQueueView& view = openActive();
    EXPECT_FALSE(shownTexts(&view).contains("Up next"));
    model.privacy = PrivacyMode::sensitive;
    const int before = coordinator.revision();
    reload();
    EXPECT_EQ(coordinator.revision(), before + 1);
    EXPECT_TRUE(shownTexts(&view).contains(
        QStringLiteral("\u2022\u2022\u2022\u2022\u2022\u2022\u2022\u2022")));
    EXPECT_TRUE(shownTexts(&view).contains("1 item"));
    // A screen reader hears the row as it is shown: masked.
    QStringList rowNames;
    for (const QWidget* widget : view.findChildren<QWidget*>()) {
        if (widget->accessibleName().startsWith("Queue item")) {
            rowNames << widget->accessibleName();
        }
    }
    EXPECT_EQ(rowNames, QStringList{QStringLiteral(
                            "Queue item 1: \u2022\u2022\u2022\u2022\u2022\u2022\u2022\u2022")});
    items.clear();
    reload();
    EXPECT_TRUE(shownTexts(&view).contains("Nothing waiting."));
    EXPECT_FALSE(shownTexts(&view).contains("Next to paste"));
    coordinator.close();
    EXPECT_EQ(coordinator.view(), nullptr);
}

}  // namespace
}  // namespace tovra
