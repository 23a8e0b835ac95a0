// A queue pasted into a spreadsheet cell by cell: LibreOffice Calc, with its own X11 code and
// with GTK 3's. Both read a paste more than once (its own code 100 ms apart), and the next key
// comes sooner than that.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "TovraBinaryFixture.h"

namespace tovra {
namespace {

using test::BackgroundProcess;
using test::TovraBinaryTest;
using test::waitUntil;

class CalcTest : public TovraBinaryTest, public ::testing::WithParamInterface<std::string> {
  protected:
    CalcTest() { startTovra = false; }  // once Calc takes keys, so its start queues nothing

    /// Calc in front with an empty sheet, the cursor on A1, its user profile a fresh one, and
    /// Tovra running unless `withTovra` is false.
    void startCalc(bool withTovra = true) {
        const std::string profile = "file://" + profileDirectory.path().toStdString();
        setenv("SAL_USE_VCLPLUGIN", GetParam().c_str(), 1);
        calc = std::make_unique<BackgroundProcess>(
            std::vector<std::string>{"libreoffice", "--calc", "--norestore", "--nologo",
                                     "--nolockcheck", "-env:UserInstallation=" + profile});
        unsetenv("SAL_USE_VCLPLUGIN");
        ASSERT_TRUE(waitUntil(
            [&] { return activeWindowTitle().find("LibreOffice Calc") != std::string::npos; },
            60000));
        // Its window shows before it reads the keyboard: it takes keys once a copy of the empty
        // first cell puts Calc's own types on the clipboard.
        const auto calcOwnsTheClipboard = [] {
            const auto targets = test::runCommand(
                {"timeout", "5", "xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"});
            return targets.output.find("openoffice") != std::string::npos;
        };
        ASSERT_TRUE(waitUntil(
            [&] {
                keyboard.chord({"Control_L", "Home"});
                keyboard.chord({"Control_L", "c"});
                return waitUntil(calcOwnsTheClipboard, 500);
            },
            60000));
        keyboard.chord({"Escape"});  // out of copy mode, where Return would paste that cell
        if (withTovra) {
            launchTovra();
        }
    }

    /// Column A's first two cells, as Calc copies them: two rows, each ended by a line feed (a
    /// queued item never is). A busy Calc may drop a key of the selection: then it is asked again.
    std::string firstTwoCells() {
        std::string cells;
        const auto twoRows = [&] {
            cells = clipboard();
            return std::count(cells.begin(), cells.end(), '\n') == 2 && cells.back() == '\n';
        };
        waitUntil(
            [&] {
                keyboard.chord({"Control_L", "Home"});
                keyboard.chord({"Shift_L", "Down"});
                keyboard.chord({"Control_L", "c"});
                return waitUntil(twoRows, 5000);  // a starved Calc copies late
            },
            60000);
        return cells;
    }

    /// Ctrl+V then Return, twice, as fast as Calc itself keeps up: its own X11 code with keys
    /// as quick as they come; with GTK 3 quicker keys than a fast typist's outrun it (it moves
    /// the cursor before the paste it asked for lands, with or without Tovra). On a busy machine
    /// Tovra's answer to the grabbed Ctrl+V takes some of the gap from the key typed after it,
    /// which waits in the server meanwhile: 100 ms was then too short with Tovra, not without.
    void pasteTwiceDown() {
        const int pace = GetParam() == "gtk3" ? 200 : 0;
        for (int i = 0; i < 2; ++i) {
            keyboard.chord({"Control_L", "v"});
            test::settle(pace);
            keyboard.chord({"Return"});
            test::settle(pace);
        }
    }

    void TearDown() override {
        calc.reset();
        TovraBinaryTest::TearDown();
    }

    QTemporaryDir profileDirectory;
    std::unique_ptr<BackgroundProcess> calc;
};

std::string backendName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param == "gen" ? std::string("OwnX11") : std::string("Gtk3");
}

TEST_P(CalcTest, QueuedItemsPasteCellByCellAsFastAsCalcKeepsUp) {
    startCalc();
    copyElsewhere("one\ntwo");
    pasteTwiceDown();
    EXPECT_EQ(firstTwoCells(), "one\ntwo\n") << "in front: " << activeWindowTitle();
}

INSTANTIATE_TEST_SUITE_P(Backends, CalcTest, ::testing::Values("gen", "gtk3"), backendName);

using CalcWithoutTovraTest = CalcTest;

TEST_P(CalcWithoutTovraTest, TheSameKeysPasteTheClipboardIntoEachCell) {
    startCalc(false);
    copyElsewhere("same");
    pasteTwiceDown();
    EXPECT_EQ(firstTwoCells(), "same\nsame\n") << "in front: " << activeWindowTitle();
}

INSTANTIATE_TEST_SUITE_P(Backends, CalcWithoutTovraTest, ::testing::Values("gen", "gtk3"),
                         backendName);

}  // namespace
}  // namespace tovra
