#include "Tovra/ui/HUDWindow.h"

#include <gtest/gtest.h>

#include <QGraphicsOpacityEffect>

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "Tovra/ui/HUDLayout.h"
#include "tests/support/ShownText.h"

namespace tovra {
namespace {

// Up to eight dots the overlay's own test shows; past them, the rest as a number.
TEST(HUDLayoutTest, DotsPastEightAddTheRestAsANumber) {
    EXPECT_EQ(HUDLayout::dotsText(9),
              QStringLiteral("\u25CF \u25CF \u25CF \u25CF \u25CF \u25CF \u25CF \u25CF  +1"));
    EXPECT_TRUE(HUDLayout::dotsText(12).endsWith(QStringLiteral("  +4")));
}

TEST(HUDLayoutTest, DroppedRowsLandWhereTheIndicatorShows) {
    const std::vector<int> middles{15, 52, 89};  // three rows
    EXPECT_EQ(HUDLayout::dropIndex(middles, 5), 0);
    EXPECT_EQ(HUDLayout::dropIndex(middles, 60), 2);
    EXPECT_EQ(HUDLayout::dropIndex(middles, 200), 3);
    EXPECT_EQ(HUDLayout::dropIndex({}, 10), 0);
    // Dragging the first row below the second: the indicator sits at 2, the row becomes the
    // second of the rows without it, index 1.
    EXPECT_EQ(HUDLayout::moveTarget(2, 0), 1);
    EXPECT_EQ(HUDLayout::moveTarget(3, 0), 2);
    // Dragging upwards needs no correction.
    EXPECT_EQ(HUDLayout::moveTarget(0, 2), 0);
}

class RecordingDelegate final : public HUDWindowDragDelegate {
  public:
    void hudDidMoveItem(const Uuid& id, int toIndex) override { moves.emplace_back(id, toIndex); }
    void hudDidDeleteItem(const Uuid& id) override { deleted.push_back(id); }
    void hudDidTogglePin(const Uuid& id) override { pinned.push_back(id); }
    std::vector<std::pair<Uuid, int>> moves;
    std::vector<Uuid> deleted;
    std::vector<Uuid> pinned;
};

class HUDWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        hud.setDragDelegate(delegate);
        for (const char* text : {"alpha", "beta", "gamma"}) {
            state.rows.push_back({Uuid::random(), text, false});
        }
        state.title = "Tovra 1 \u00B7 FIFO (3)";
        state.privacyMode = PrivacyMode::preview;
        state.animationsEnabled = false;
        hud.update(state);
        hud.show(2.5);
        QApplication::processEvents();
    }

    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    HUDWindow hud;
    OverlaySurface::State state;
};

/// The texts the overlay shows, top to bottom.
QStringList shownTexts(const QWidget& hud) {
    std::vector<std::pair<int, QString>> placed;
    for (const QLabel* label : hud.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&hud) && !label->text().isEmpty()) {
            placed.emplace_back(label->mapTo(&hud, QPoint(0, 0)).y(), label->text());
        }
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList texts;
    for (const auto& [y, text] : placed) {
        texts << text;
    }
    return texts;
}

TEST_F(HUDWindowTest, ShowsTitleDotsAndOneRowPerItemThenHides) {
    EXPECT_EQ(shownTexts(hud),
              (QStringList{"Tovra 1 \u00B7 FIFO (3)",
                           "\u25CF \u25CF \u25CF \u25CB \u25CB \u25CB \u25CB \u25CB", "alpha",
                           "beta", "gamma"}));
    EXPECT_TRUE(hud.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hud.isVisible(); }, 10000));

    state.rows.clear();
    hud.update(state);
    QApplication::processEvents();
    EXPECT_TRUE(hud.rows().empty());
    EXPECT_TRUE(shownTexts(hud).contains("Copy items to build the queue."));
}

TEST_F(HUDWindowTest, ANoticeShowsAsPlainTextUntilTheNextUpdateHasNone) {
    EXPECT_FALSE(hud.noticeLabel()->isVisibleTo(&hud));
    // It names an application by its window class, which anyone can set.
    state.notice = "<b>XTerm</b> has no key that pastes the clipboard";
    hud.update(state);
    QApplication::processEvents();
    EXPECT_TRUE(hud.noticeLabel()->isVisibleTo(&hud));
    EXPECT_EQ(hud.noticeLabel()->textFormat(), Qt::PlainText);
    EXPECT_EQ(hud.noticeLabel()->text(), "<b>XTerm</b> has no key that pastes the clipboard");

    state.notice.clear();
    hud.update(state);
    EXPECT_FALSE(hud.noticeLabel()->isVisibleTo(&hud));
}

TEST_F(HUDWindowTest, AMultiLinePreviewIsShownOnOneLine) {
    state.rows = {{Uuid::random(), "first line\nsecond\tcell\r\nthird", false}};
    hud.update(state);
    QApplication::processEvents();
    ASSERT_EQ(hud.rows().size(), 1u);
    EXPECT_EQ(hud.rows()[0]->displayText(), "first line second cell  third");
    const QLabel* label = hud.rows()[0]->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_LE(label->sizeHint().height(), hud.rows()[0]->height());
}

TEST_F(HUDWindowTest, CopiedTextThatLooksLikeMarkupIsShownAsItIs) {
    state.rows = {{Uuid::random(), "<b>bold</b><i>it</i>", false}};
    hud.update(state);
    QApplication::processEvents();
    ASSERT_EQ(hud.rows().size(), 1u);
    const auto labels = hud.rows()[0]->findChildren<QLabel*>();
    ASSERT_FALSE(labels.empty());
    for (const QLabel* label : labels) {
        EXPECT_TRUE(test::showsLiterally(*label)) << label->text().toStdString();
    }
}

TEST_F(HUDWindowTest, RowsReportPinDeleteAndDragsToTheDelegate) {
    const Uuid first = state.rows[0].id;
    const auto button = [&](const QString& name) {
        for (QToolButton* found : hud.rows()[0]->findChildren<QToolButton*>()) {
            if (found->accessibleName() == name) {
                return found;
            }
        }
        return static_cast<QToolButton*>(nullptr);
    };
    ASSERT_NE(button("Not pinned"), nullptr);
    QTest::mouseClick(button("Not pinned"), Qt::LeftButton);
    QTest::mouseClick(button("Remove"), Qt::LeftButton);
    EXPECT_EQ(delegate->pinned, std::vector<Uuid>{first});
    EXPECT_EQ(delegate->deleted, std::vector<Uuid>{first});

    HUDItemRow* last = hud.rows().back();
    const QPoint below = last->mapTo(&hud, QPoint(10, last->height() + 4));
    hud.rowDragMoved(below);
    EXPECT_TRUE(hud.isDraggingItem());
    EXPECT_TRUE(hud.dropIndicatorShown());
    // Past the last row the bar sits on that row's bottom edge.
    EXPECT_EQ(hud.dropIndicatorGeometry().center().y(),
              last->mapTo(&hud, QPoint(0, last->height())).y() - 1);
    EXPECT_EQ(hud.dropIndicatorGeometry().height(), 3);
    hud.hideNow(false);  // a drag holds the overlay open
    EXPECT_TRUE(hud.isVisible());
    hud.rowDragEnded(first, below);
    ASSERT_EQ(delegate->moves.size(), 1u);
    EXPECT_EQ(delegate->moves[0], std::make_pair(first, 2));  // the last place among the others
    EXPECT_FALSE(hud.isDraggingItem());
}

TEST_F(HUDWindowTest, ADraggedRowIsCarriedAsATokenAndDroppedWhereTheIndicatorShows) {
    HUDItemRow* first = hud.rows().front();
    const QPoint start(40, 15);
    QTest::mousePress(first, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 15 + 70), first->mapToGlobal(QPointF(40, 85)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(first, &move);
    ASSERT_NE(hud.dragToken(), nullptr);
    EXPECT_EQ(hud.dragToken()->text(), "alpha");
    EXPECT_GE(hud.dragToken()->x(), 8);
    const auto* dim = qobject_cast<QGraphicsOpacityEffect*>(first->graphicsEffect());
    ASSERT_NE(dim, nullptr);  // the row left behind is dimmed while its token travels
    EXPECT_LT(dim->opacity(), 0.5);
    QTest::mouseRelease(first, Qt::LeftButton, Qt::NoModifier, QPoint(40, 85));
    EXPECT_EQ(hud.dragToken(), nullptr);
    ASSERT_EQ(delegate->moves.size(), 1u);
    EXPECT_EQ(delegate->moves[0].first, state.rows[0].id);
}

TEST_F(HUDWindowTest, AChangeDuringADragEndsItAndTheOverlayStillHides) {
    HUDItemRow* first = hud.rows().front();
    QTest::mousePress(first, Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 85), first->mapToGlobal(QPointF(40, 85)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(first, &move);
    ASSERT_TRUE(hud.isDraggingItem());
    // A copy arrives meanwhile: the rows are built anew, the dragged one included.
    state.rows.push_back({Uuid::random(), "delta", false});
    hud.update(state);
    QApplication::processEvents();
    EXPECT_FALSE(hud.isDraggingItem());
    EXPECT_EQ(hud.dragToken(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hud.isVisible(); }, 10000));
}

TEST_F(HUDWindowTest, ALongOneLinePreviewKeepsThePinAndRemoveButtonsInside) {
    state.rows = {{Uuid::random(), std::string(400, 'W'), false}};
    hud.update(state);
    QApplication::processEvents();
    ASSERT_EQ(hud.rows().size(), 1u);
    const HUDItemRow* row = hud.rows()[0];
    const QRect inside = row->rect();
    for (const QToolButton* button : row->findChildren<QToolButton*>()) {
        EXPECT_TRUE(inside.contains(QRect(button->mapTo(row, QPoint(0, 0)), button->size())))
            << button->accessibleName().toStdString();
    }
    EXPECT_LE(row->mapTo(&hud, QPoint(row->width(), 0)).x(), hud.width());
}

TEST_F(HUDWindowTest, OpensOnTheScreenWithThePointer) {
    const auto screens = QGuiApplication::screens();
    ASSERT_EQ(screens.size(), 2) << "ctest gives this test two offscreen screens";
    for (const QScreen* screen : {screens[1], screens[0]}) {
        hud.hideNow(false);
        QCursor::setPos(screen->geometry().center());
        hud.show(2.5);
        QApplication::processEvents();
        EXPECT_TRUE(screen->availableGeometry().contains(hud.geometry()))
            << screen->name().toStdString();
    }
}

TEST_F(HUDWindowTest, AClickIsNoDrag) {
    HUDItemRow* row = hud.rows()[1];
    QTest::mousePress(row, Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    QTest::mouseMove(row, QPoint(42, 17));
    QTest::mouseRelease(row, Qt::LeftButton, Qt::NoModifier, QPoint(43, 17));
    EXPECT_TRUE(delegate->moves.empty());
}

}  // namespace
}  // namespace tovra
