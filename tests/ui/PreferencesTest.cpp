#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include "MoxUI/MoxButton.h"
#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"
#include "Tovra/ui/SeparatorDialog.h"
#include "Tovra/ui/ShortcutRecorder.h"
#include "Tovra/ui/TovraPreferencesView.h"
#include "platform/testing/FakeKeyboardTap.h"
#include "platform/testing/FakeMainQueue.h"
#include "platform/testing/FakePasteboard.h"
#include "platform/testing/FakeWorkspace.h"
#include "tests/app/AppFakes.h"

namespace tovra {
namespace {

class PreferencesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app = AppDelegate::create(
            AppEnvironment{
                pasteboard, queue, keyboard, workspace, trust, nullptr, &engine, {}, {}, {}},
            AppSurfaces{nullptr, nullptr, nullptr, nullptr, &presenter, nullptr, &alerts, &frame});
        app->applicationDidFinishLaunching();
        app->activeQueue().enqueueText("a\nb", true);
        app->openPreferencesFromMenu();
        ASSERT_EQ(presenter.shown.size(), 1u);
        view = std::make_unique<TovraPreferencesView>(
            TovraPreferencesState{presenter.shown.front(), app});
    }
    template <class Widget>
    Widget* control(const char* label) {
        return dynamic_cast<Widget*>(view->control(QString::fromLatin1(label)));
    }
    /// Picks `text` with the arrow keys, as a user tabbing through the window does.
    static void choose(QComboBox* box, const QString& text) {
        ASSERT_NE(box, nullptr);
        ASSERT_GE(box->findText(text), 0) << text.toStdString();
        const Qt::Key direction =
            box->findText(text) > box->currentIndex() ? Qt::Key_Down : Qt::Key_Up;
        for (int step = 0; step < box->count() && box->currentText() != text; ++step) {
            QTest::keyClick(box, direction);
        }
        EXPECT_EQ(box->currentText(), text);
    }

    testing::FakePasteboard pasteboard;
    testing::FakeMainQueue queue;
    testing::FakeKeyboardTap keyboard;
    testing::FakeWorkspace workspace;
    test::FakeTrust trust;
    test::FakeAlerts alerts;
    test::FakePreferences presenter;
    test::FakeFrame frame;
    SmartModeEngine engine;
    std::shared_ptr<AppDelegate> app;
    std::unique_ptr<TovraPreferencesView> view;
};

TEST_F(PreferencesTest, EveryControlStartsFromTheSettingsAndAppliesItsChange) {
    auto* mode = control<QComboBox>("Mode");
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->currentText(), "FIFO");
    choose(mode, "LIFO");
    EXPECT_EQ(app->activeQueue().mode(), QueueMode::lifo);

    auto* stacks = control<QComboBox>("Active stack");
    ASSERT_EQ(stacks->count(), 3);
    EXPECT_EQ(stacks->itemText(2), "Stack 3");
    choose(stacks, "Stack 2");
    EXPECT_EQ(app->activeStackIndex(), 1);

    choose(control<QComboBox>("Auto clear"), "15 Minutes");
    EXPECT_EQ(app->queueTimeout(), QueueTimeout::fifteenMinutes);
    choose(control<QComboBox>("Privacy mode"), "Sensitive");
    EXPECT_EQ(app->privacyMode(), PrivacyMode::sensitive);

    alerts.separatorAnswer = " ; ";
    choose(control<QComboBox>("Burst separator"), "Custom");
    EXPECT_EQ(app->customBurstSeparator(), " ; ");

    auto* interaction = control<QAbstractButton>("HUD interaction");
    ASSERT_NE(interaction, nullptr);
    EXPECT_TRUE(interaction->isChecked());
    view->show();
    QTest::mouseClick(interaction, Qt::LeftButton);
    EXPECT_FALSE(app->hudInteractionEnabled());
    interaction->setFocus();
    QTest::keyClick(interaction, Qt::Key_Space);
    EXPECT_TRUE(app->hudInteractionEnabled());
    QTest::mouseClick(control<QAbstractButton>("Animations"), Qt::LeftButton);
    EXPECT_FALSE(app->animationsEnabled());

    auto* updates = control<QAbstractButton>("Check for updates daily");
    ASSERT_NE(updates, nullptr);
    EXPECT_TRUE(updates->isChecked());
    QTest::mouseClick(updates, Qt::LeftButton);
    EXPECT_EQ(frame.automaticChecks, false);
}

TEST_F(PreferencesTest, ABuildWithoutTheUpdateCheckerOffersNoUpdateSwitch) {
    frame.automaticChecks.reset();
    app->openPreferencesFromMenu();
    view =
        std::make_unique<TovraPreferencesView>(TovraPreferencesState{presenter.shown.back(), app});
    EXPECT_EQ(control<QAbstractButton>("Check for updates daily"), nullptr);
    EXPECT_NE(control<QAbstractButton>("Animations"), nullptr);
}

TEST_F(PreferencesTest, OneShotActionsActOnTheActiveStack) {
    view->show();
    QTest::mouseClick(control<QPushButton>("Swap ends"), Qt::LeftButton);
    const auto& items = app->activeQueue().items();
    EXPECT_EQ(stringData(items.front().payload)->view(), "b");
    QTest::mouseClick(control<QPushButton>("Pin next"), Qt::LeftButton);
    EXPECT_TRUE(app->activeQueue().items().front().isPinned);

    engine.setOverride(QueueMode::lifo, std::string("firefox"));
    QTest::mouseClick(control<QPushButton>("Smart learning"), Qt::LeftButton);
    EXPECT_EQ(engine.overrideFor(std::string("firefox")), std::nullopt);
}

}  // namespace
}  // namespace tovra

namespace tovra {
namespace {

/// A wheel turn over `widget`, as the pointer resting on it sends.
void turnWheel(QWidget* widget, int delta) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

TEST_F(PreferencesTest, TheWheelChangesAChoiceOnlyOnceItHasTheFocusAndEachIsNamed) {
    view->show();
    auto* timeout = control<QComboBox>("Auto clear");
    ASSERT_NE(timeout, nullptr);
    const QueueTimeout before = app->queueTimeout();
    const QString shown = timeout->currentText();
    // Towards the other items, wherever the current one is.
    const int delta = timeout->currentIndex() == timeout->count() - 1 ? 120 : -120;
    turnWheel(timeout, delta);  // scrolling the window past it
    EXPECT_EQ(timeout->currentText(), shown);
    EXPECT_EQ(app->queueTimeout(), before);
    QApplication::setActiveWindow(view.get());
    timeout->setFocus();
    ASSERT_TRUE(timeout->hasFocus());
    turnWheel(timeout, delta);
    EXPECT_NE(timeout->currentText(), shown);
    EXPECT_EQ(timeout->accessibleName(), "Auto clear");
    EXPECT_EQ(control<QPushButton>("Swap ends")->accessibleName(), "Swap ends: Swap");
}

TEST_F(PreferencesTest, AShortcutTypedIntoItsRowIsTakenOrRefusedWithTheReason) {
    ShortcutRecorder* burst = view->recorder("burst-paste");
    ASSERT_NE(burst, nullptr);
    EXPECT_EQ(burst->chordButton()->text(), "Ctrl+Shift+V");
    view->show();
    QTest::mouseClick(burst->chordButton(), Qt::LeftButton);
    ASSERT_TRUE(burst->isRecording());
    // Tovra's own shortcuts reach the recorder as typed meanwhile.
    keyboard.setOwnWindowFocused(true);
    ASSERT_TRUE(app->pasteController().start());
    keyboard.press(Key::s, command | shift);
    EXPECT_EQ(keyboard.delivered().size(), 1u);
    QTest::keyClick(burst->chordButton(), Qt::Key_Control);  // a modifier alone: still waiting
    EXPECT_TRUE(burst->isRecording());
    QTest::keyClick(burst->chordButton(), Qt::Key_B, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(burst->isRecording());
    EXPECT_EQ(burst->chordButton()->text(), "Ctrl+Alt+B");
    EXPECT_FALSE(view->shortcutProblem()->isVisible());
    keyboard.press(Key::s, command | shift);
    EXPECT_EQ(keyboard.swallowed().size(), 1u);  // recording is over: the toggle acts again

    ShortcutRecorder* drop = view->recorder("drop-next");
    QTest::mouseClick(drop->chordButton(), Qt::LeftButton);
    QTest::keyClick(drop->chordButton(), Qt::Key_B, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(drop->chordButton()->text(), "Ctrl+Alt+X");
    EXPECT_TRUE(view->shortcutProblem()->isVisible());
    EXPECT_EQ(view->shortcutProblem()->text(),
              "Ctrl+Alt+B already does \u201CPaste the whole stack\u201D.");
    // Escape leaves the recorder as it was.
    QTest::mouseClick(drop->chordButton(), Qt::LeftButton);
    QTest::keyClick(drop->chordButton(), Qt::Key_Escape);
    EXPECT_FALSE(drop->isRecording());
    EXPECT_EQ(drop->chordButton()->text(), "Ctrl+Alt+X");
    // A window closed while recording gives Tovra its shortcuts back.
    QTest::mouseClick(drop->chordButton(), Qt::LeftButton);
    ASSERT_TRUE(drop->isRecording());
    view.reset();
    keyboard.press(Key::s, command | shift);
    EXPECT_EQ(keyboard.swallowed().size(), 2u);
}

TEST(SeparatorDialogTest, ItsFieldSitsBelowItsInstructionsAndKeepsWhatIsTypedAsItIs) {
    SeparatorDialog dialog(QStringLiteral(","));
    dialog.show();
    QLineEdit* field = dialog.field();
    EXPECT_EQ(field->text(), ",");
    const auto labels = dialog.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 2);
    for (const QLabel* label : labels) {
        EXPECT_FALSE(label->geometry().intersects(field->geometry()))
            << label->text().toStdString();
        EXPECT_LT(label->geometry().top(), field->geometry().top());
    }
    field->selectAll();
    QTest::keyClicks(field, " | ");
    QTest::mouseClick(dialog.useButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.separator(), " | ");
}

}  // namespace
}  // namespace tovra
