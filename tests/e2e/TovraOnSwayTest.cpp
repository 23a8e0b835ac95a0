// The real tovra binary on a private headless sway, as a Wayland user runs it: copies made by
// other clients, paste next and paste all from the command line (what a compositor key binding
// runs), typed into toolkit windows running natively on Wayland and into a terminal.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "SwayServer.h"
#include "TovraOnWayland.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeyboardTap.h"

namespace tovra::test {

pid_t focusedProcess() {
    return SwayServer::current->focusedProcess();
}

namespace {

using TovraOnSway = TovraOnWayland;

TEST_F(TovraOnSway, CopiesAreQueuedInOrderAndPastedOneByOneThenAllAtOnce) {
    auto target = start(toolkitTargets()[0].argv);
    copy("one", 1);
    copy("two", 2);
    copy("three\nfour", 4);  // lines become items
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    EXPECT_TRUE(printed(*target, "one")) << target->output();
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    EXPECT_TRUE(printed(*target, "onetwo")) << target->output();
    ASSERT_EQ(command({"paste-all"}).exitCode, 0);
    // Joined by the default separator, a tab (as JSON prints it).
    EXPECT_TRUE(printed(*target, "onetwothree\\tfour")) << target->output();
    EXPECT_EQ(items(), 0);
    // Nothing we staged came back as a copy.
    settle(300);
    EXPECT_EQ(items(), 0);
}

TEST_F(TovraOnSway, ASecondPasteNextHalfASecondLaterLandsEveryTime) {
    auto target = start(toolkitTargets()[0].argv);
    std::string expected;
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string id = std::to_string(round);
        copy("a" + id, 1);
        copy("b" + id, 2);
        copy("c" + id, 3);
        ASSERT_EQ(command({"paste-next"}).exitCode, 0);
        settle(500);
        ASSERT_EQ(command({"paste-next"}).exitCode, 0);
        expected += "a" + id + "b" + id;
        ASSERT_TRUE(printed(*target, expected)) << target->output();
        ASSERT_EQ(command({"off"}).exitCode, 0);  // the third goes
        ASSERT_EQ(command({"on"}).exitCode, 0);
    }
}

TEST_F(TovraOnSway, ACompositorStartedFromAConsoleIsUsedThoughAnXDisplayIsNamed) {
    tovra.reset();
    // sway run from a console login: the session stays "tty"; XWayland names a display.
    launchTovra({"QT_QPA_PLATFORM=offscreen", "XDG_SESSION_TYPE=tty", "DISPLAY=:97"});
    copy("native copy", 1);
}

TEST_F(TovraOnSway, WithItsWindowsOnXWaylandTheOverlayLeavesTheKeysWhereTheyWere) {
    const auto xwayland = SwayServer::current->xwaylandEnvironment();
    ASSERT_EQ(xwayland.size(), 2U);
    tovra.reset();
    // As a session starts it: both displays named, its windows through XWayland.
    launchTovra(xwayland);
    auto target = start(toolkitTargets()[0].argv);
    copy("one", 1);
    copy("two", 2);
    // The overlay that shows after each copy leaves the keys where they were.
    EXPECT_EQ(SwayServer::current->focusedProcess(), target->pid());
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    ASSERT_TRUE(printed(*target, "one")) << target->output();
}

TEST_F(TovraOnSway, MonitorsPluggedInAndOutLeaveItCapturing) {
    copy("one", 1);
    ASSERT_TRUE(SwayServer::current->command("create_output"));
    copy("two", 2);
    // sway 1.7 takes a disabled output's global away, as a monitor unplugged.
    ASSERT_TRUE(SwayServer::current->command("output HEADLESS-2 disable"));
    copy("three", 3);
    EXPECT_TRUE(tovra->isRunning());
}

TEST_F(TovraOnSway, PasteNextReachesEveryToolkit) {
    int expected = 0;
    for (const Target& target : toolkitTargets()) {
        auto window = start(target.argv);
        copy("for " + target.name, ++expected);
        ASSERT_EQ(command({"paste-next"}).exitCode, 0);
        EXPECT_TRUE(printed(*window, "for " + target.name)) << target.name << window->output();
        expected = 0;
    }
}

TEST_F(TovraOnSway, ATerminalOpenBeforeTovraStartedIsPastedWithItsOwnKey) {
    QTemporaryDir directory;
    const std::string file = directory.filePath("typed").toStdString();
    tovra.reset();
    auto terminal = start(
        {"foot", "--app-id", "foot", "sh", "-c", "stty raw -echo; exec cat > '" + file + "'"});
    launchTovra();
    copy("into foot", 1);
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    // Ctrl+V there would have typed a control character instead.
    EXPECT_TRUE(waitUntil([&] { return fileText(file) == "into foot"; }, 3000)) << fileText(file);
}

TEST_F(TovraOnSway, SwitchingOffOrQuittingWipesWhatTovraStagedAndOnlyThat) {
    auto target = start(toolkitTargets()[0].argv);
    copy("first", 1);
    copy("second", 2);
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    ASSERT_TRUE(printed(*target, "first"));
    EXPECT_EQ(clipboard(), "first");
    ASSERT_EQ(command({"off"}).exitCode, 0);
    // An empty text in its place: a clipboard manager would fill an empty clipboard.
    EXPECT_TRUE(waitUntil([] { return clipboard().empty(); }, 2000)) << clipboard();

    // The user's own copy after a paste is theirs: switching off leaves it.
    ASSERT_EQ(command({"on"}).exitCode, 0);
    copy("third", 1);
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    ASSERT_TRUE(printed(*target, "firstthird"));
    copy("the user's", 1);
    ASSERT_EQ(command({"off"}).exitCode, 0);
    settle(300);
    EXPECT_EQ(clipboard(), "the user's");

    ASSERT_EQ(command({"on"}).exitCode, 0);
    copy("last", 1);
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    ASSERT_TRUE(printed(*target, "firstthirdlast"));
    EXPECT_EQ(clipboard(), "last");
    ASSERT_EQ(command({"quit"}).exitCode, 0);
    ASSERT_TRUE(tovra->waitForExit(5000).has_value());
    EXPECT_EQ(clipboard(), "<none>");
}

TEST_F(TovraOnSway, ASecondLaunchLeavesTheFirstInCharge) {
    BackgroundProcess second({"env", "QT_QPA_PLATFORM=offscreen", TOVRA_BINARY});
    const auto status = second.waitForExit(10000);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    copy("once", 1);  // one instance captures it, once
}

TEST_F(TovraOnSway, BesideAClipboardManagerNothingOfTheQueueComesBack) {
    // clipman records every text copy and, when the clipboard is left empty, serves the last.
    QTemporaryDir directory;
    BackgroundProcess manager({"wl-paste", "--type", "text", "--watch", "clipman", "store",
                               "--histpath=" + directory.filePath("history.json").toStdString()});
    auto target = start(toolkitTargets()[0].argv);
    // The manager offers each copy again as its own; one that comes after the next copy would
    // replace it. Each wl-copy ends once its copy was taken over.
    const auto takenOver = [](const std::string& text) {
        return waitUntil(
            [&] {
                return runCommand({"pgrep", "-f", "wl-copy -- " + text}).exitCode != 0;
            },
            3000);
    };
    copy("first", 1);
    ASSERT_TRUE(takenOver("first"));
    copy("second", 2);
    ASSERT_TRUE(takenOver("second"));
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    ASSERT_TRUE(printed(*target, "first")) << target->output();
    ASSERT_EQ(command({"off"}).exitCode, 0);
    ASSERT_EQ(command({"on"}).exitCode, 0);
    settle(1000);  // time for the manager to put something back
    EXPECT_EQ(items(), 0);
}

class TovraOnSwayProbe : public TovraOnSway {
  protected:
    TovraOnSwayProbe() { startTovra = false; }
};

TEST_F(TovraOnSwayProbe, WithoutTovraACopyAndATypedCtrlVPasteIntoEveryToolkit) {
    std::string error;
    auto connection = WaylandConnection::open(nullptr, error);
    ASSERT_NE(connection, nullptr) << error;
    WaylandKeyboardTap keyboard(*connection);
    ASSERT_TRUE(keyboard.canTypeKeys());
    for (const Target& target : toolkitTargets()) {
        auto window = start(target.argv);
        ASSERT_EQ(runDetaching({"wl-copy", "--", "probe " + target.name}, {}), 0);
        ASSERT_TRUE(waitUntil([&] { return clipboard() == "probe " + target.name; }));
        keyboard.postSyntheticPaste(tovra::command);
        EXPECT_TRUE(printed(*window, "probe " + target.name)) << target.name << window->output();
    }
}

}  // namespace
}  // namespace tovra::test
