// The real tovra binary on a private headless KWin (Plasma's compositor, without the rest of
// Plasma): copies read through data control, pastes typed through KWin's fake input, terminal
// keys chosen from KWin's window list, and the item left staged where KWin refuses to let
// Tovra type.
#include <QTemporaryDir>
#include <filesystem>

#include "KWinServer.h"
#include "ServerTestMain.h"
#include "TovraOnWayland.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandKeyboardTap.h"

namespace tovra::test {

pid_t focusedProcess() {
    return KWinServer::current->focusedProcess();
}

namespace {

using TovraOnKWin = TovraOnWayland;

TEST_F(TovraOnKWin, CopiesArePastedThroughFakeInputIntoEachToolkit) {
    for (const Target& target : {toolkitTargets()[0], toolkitTargets()[2]}) {
        SCOPED_TRACE(target.name);
        auto window = start(target.argv);
        copy("first " + target.name, 1);
        copy("second", 2);
        ASSERT_EQ(command({"paste-next"}).exitCode, 0);
        EXPECT_TRUE(printed(*window, "first " + target.name)) << window->output();
        ASSERT_EQ(command({"paste-all"}).exitCode, 0);
        EXPECT_TRUE(printed(*window, "first " + target.name + "second")) << window->output();
        EXPECT_EQ(items(), 0);
    }
}

TEST_F(TovraOnKWin, ATerminalOpenBeforeTovraStartedIsPastedWithItsOwnKey) {
    QTemporaryDir directory;
    const std::string file = directory.filePath("typed").toStdString();
    const std::string ready = directory.filePath("ready").toStdString();
    tovra.reset();
    // A VTE terminal: Ctrl+V there types a control character, Ctrl+Shift+V pastes.
    auto terminal =
        start({"env", "GDK_BACKEND=wayland", "xfce4-terminal", "--disable-server", "-x", "sh", "-c",
               "stty raw -echo; : > '" + ready + "'; exec cat > '" + file + "'"});
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(ready); }, 10000));
    launchTovra();
    copy("into the terminal", 1);
    ASSERT_EQ(command({"paste-next"}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return fileText(file) == "into the terminal"; }, 3000))
        << fileText(file);
}

TEST_F(TovraOnKWin, WhereKWinRefusesToLetItTypeTheItemWaitsForTheUsersPaste) {
    // A copy of the program that no desktop entry names: KWin grants it nothing.
    QTemporaryDir directory;
    const std::string untrusted = directory.filePath("tovra").toStdString();
    ASSERT_TRUE(std::filesystem::copy_file(TOVRA_BINARY, untrusted));
    std::filesystem::permissions(untrusted, std::filesystem::perms::owner_all);
    tovra.reset();
    launchTovra({"QT_QPA_PLATFORM=offscreen"}, untrusted);
    auto window = start(toolkitTargets()[0].argv);
    copy("staged", 1);
    const CommandResult pasted = runCommand({"sh", "-c", untrusted + " paste-next 2>&1"});
    EXPECT_NE(pasted.exitCode, 0);
    EXPECT_NE(pasted.output.find("paste it with your own paste key"), std::string::npos)
        << pasted.output;
    EXPECT_TRUE(waitUntil([] { return clipboard() == "staged"; }, 3000)) << clipboard();
    settle(300);
    EXPECT_EQ(window->output().find("staged"), std::string::npos) << window->output();  // no paste
}

class TovraOnKWinProbe : public TovraOnKWin {
  protected:
    TovraOnKWinProbe() { startTovra = false; }
};

TEST_F(TovraOnKWinProbe, WithoutTovraACopyAndACtrlVTypedThroughFakeInputPaste) {
    std::string error;
    auto connection = WaylandConnection::open(nullptr, error);
    ASSERT_NE(connection, nullptr) << error;
    WaylandKeyboardTap keyboard(*connection);
    ASSERT_TRUE(keyboard.canTypeKeys());
    for (const Target& target : {toolkitTargets()[0], toolkitTargets()[2]}) {
        auto window = start(target.argv);
        ASSERT_EQ(runDetaching({"wl-copy", "--", "probe " + target.name}, {}), 0);
        ASSERT_TRUE(waitUntil([&] { return clipboard() == "probe " + target.name; }, 3000));
        keyboard.postSyntheticPaste(tovra::command);
        EXPECT_TRUE(printed(*window, "probe " + target.name)) << target.name << window->output();
    }
}

}  // namespace
}  // namespace tovra::test

int main(int argc, char** argv) {
    tovra::test::KWinServer server;
    return tovra::test::runTestsBesideServer(
        argc, argv,
        [&](std::string& error) {
            tovra::test::KWinServer::current = &server;
            return server.start({TOVRA_BINARY}, error);
        },
        [&] {
            tovra::test::KWinServer::current = nullptr;
            server.stop();
        });
}
