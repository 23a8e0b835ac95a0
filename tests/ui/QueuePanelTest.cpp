#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "Tovra/ui/TovraQueueView.h"
#include "tests/support/FakePanelModel.h"
#include "tests/support/ShownText.h"

namespace tovra {
namespace {

QStringList texts(const QWidget* view) {
    QStringList result;
    for (const QLabel* label : view->findChildren<QLabel*>()) {
        result << label->text();
    }
    return result;
}

class QueuePanelTest : public ::testing::Test {
  protected:
    void SetUp() override { coordinator.setModel(&model); }
    void TearDown() override { mox::MoxSatelliteWindowPresenter::shared().closeAll(); }

    test::FakePanelModel model;
    TovraQueueCoordinator coordinator;
    std::vector<PanelItem>& items = model.items;
    PrivacyMode& privacy = model.privacy;
    std::vector<Uuid>& pasted = model.pasted;
    int& clears = model.clears;
};

TEST_F(QueuePanelTest, EmptyStackSaysNothingIsWaiting) {
    coordinator.open();
    ASSERT_NE(coordinator.view(), nullptr);
    EXPECT_TRUE(texts(coordinator.view()).contains("Nothing waiting."));
    EXPECT_TRUE(texts(coordinator.view()).contains("0 items"));
}

TEST_F(QueuePanelTest, NextItemInACardAndTheRestNumberedFromTwo) {
    items = {{Uuid::random(), "  first  ", false, "Plain text"},
             {Uuid::random(), "second", true, "Rich text"},
             {Uuid::random(), "third", false, "Image"}};
    coordinator.open();
    const QStringList shown = texts(coordinator.view());
    EXPECT_TRUE(shown.contains("Smart \u00B7 LIFO"));
    EXPECT_TRUE(shown.contains("3 items"));
    EXPECT_TRUE(shown.contains("first"));  // trimmed
    EXPECT_TRUE(shown.contains("Next to paste"));
    EXPECT_TRUE(shown.contains("Up next"));
    EXPECT_TRUE(shown.contains("2"));
    EXPECT_TRUE(shown.contains("3"));
    EXPECT_TRUE(shown.contains("Rich text"));

    for (QPushButton* button : coordinator.view()->findChildren<QPushButton*>()) {
        if (button->accessibleName() == "Paste next queue item") {
            button->click();
        }
        if (button->text() == "Clear all") {
            button->click();
        }
    }
    EXPECT_EQ(pasted, std::vector<Uuid>{items.front().id});
    EXPECT_EQ(clears, 1);
}

TEST_F(QueuePanelTest, CopiedTextThatLooksLikeMarkupIsShownAsItIs) {
    items = {{Uuid::random(), "<b>next</b><i>it</i>", false, "Plain text"},
             {Uuid::random(), "<img src=\"x\">later", false, "Plain text"}};
    coordinator.open();
    int checked = 0;
    for (const QLabel* label : coordinator.view()->findChildren<QLabel*>()) {
        if (label->text().contains(QLatin1Char('<'))) {
            EXPECT_TRUE(test::showsLiterally(*label)) << label->text().toStdString();
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2);
}

TEST_F(QueuePanelTest, ReloadReadsEverythingAgainAndMasksTexts) {
    items = {{Uuid::random(), "only one", false, "Plain text"}};
    coordinator.open();
    EXPECT_FALSE(texts(coordinator.view()).contains("Up next"));
    privacy = PrivacyMode::sensitive;
    const int before = coordinator.revision();
    coordinator.reload();
    QApplication::processEvents();
    EXPECT_EQ(coordinator.revision(), before + 1);
    EXPECT_TRUE(texts(coordinator.view())
                    .contains(QStringLiteral("\u2022\u2022\u2022\u2022\u2022\u2022\u2022\u2022")));
    EXPECT_TRUE(texts(coordinator.view()).contains("1 item"));
    coordinator.close();
    EXPECT_EQ(coordinator.view(), nullptr);
}

}  // namespace
}  // namespace tovra
