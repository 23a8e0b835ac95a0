// Faults around the running binary: its X server or session bus dying, sleep announced twice
// and never followed by waking, termination with a paste key held, two launches racing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QDirIterator>
#include <QFileInfo>
#include <map>

#include "TovraBinaryFixture.h"

namespace tovra {
namespace {

using test::BackgroundProcess;
using test::settle;
using test::TovraBinaryTest;
using test::TovraCommandTest;
using test::TovraSleepTest;
using test::waitUntil;

/// Every file under `directory` with its size and modification time.
std::map<QString, std::pair<qint64, QDateTime>> filesUnder(const QString& directory) {
    std::map<QString, std::pair<qint64, QDateTime>> files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files[info.filePath()] = {info.size(), info.lastModified()};
    }
    return files;
}

bool ownsInstance(X11Connection& connection) {
    xcb_connection_t* c = connection.get();
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, connection.atom("_TOVRA_INSTANCE")), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

TEST(TovraFaults, AnXServerThatDiesEndsTovraWithoutACoreAHangOrAFile) {
    // A server of its own: the one the other tests share must live on.
    BackgroundProcess server(
        {"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "800x600x24"});
    ASSERT_TRUE(waitUntil([&] { return server.output().find('\n') != std::string::npos; }, 10000));
    const std::string display = ":" + server.output().substr(0, server.output().find('\n'));
    std::string error;
    auto connection = X11Connection::open(display.c_str(), error);
    ASSERT_NE(connection, nullptr) << error;

    // A home of its own, where everything it may write goes.
    QTemporaryDir home;
    const QString configHome = home.filePath(QStringLiteral(".config"));
    QDir().mkpath(configHome);
    ASSERT_TRUE(test::seedConfiguration(configHome, true));
    const std::string root = home.path().toStdString();
    BackgroundProcess tovra(
        {"env", "DISPLAY=" + display, "HOME=" + root, "XDG_CONFIG_HOME=" + root + "/.config",
         "XDG_CACHE_HOME=" + root + "/.cache", "XDG_DATA_HOME=" + root + "/.local/share",
         "XDG_STATE_HOME=" + root + "/.local/state", TOVRA_BINARY});
    ASSERT_TRUE(waitUntil([&] { return ownsInstance(*connection); }, 10000));
    ASSERT_EQ(
        test::runDetaching({"env", "DISPLAY=" + display, "xclip", "-selection", "clipboard", "-i"},
                           "held\nin\nthe queue"),
        0);
    // Once it has written what it writes at start (caches under load can take a while).
    auto before = filesUnder(home.path());
    for (int i = 0; i < 20; ++i) {
        settle(500);
        auto now = filesUnder(home.path());
        if (now == before) {
            break;
        }
        before = std::move(now);
    }

    connection.reset();
    kill(server.pid(), SIGKILL);
    const auto status = tovra.waitForExit(10000);
    ASSERT_TRUE(status.has_value()) << "still running after its X server died";
    EXPECT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_TRUE(filesUnder(home.path()) == before) << "a file was written as it ended";
}

TEST_F(TovraSleepTest, SleepAnnouncedTwiceAndNeverEndedStillLetsTheQueueWork) {
    startTarget();
    copyElsewhere("a\nb");
    kill(logind->pid(), SIGUSR1);
    ASSERT_TRUE(
        waitUntil([&] { return logind->output().find("released") != std::string::npos; }, 5000));
    kill(logind->pid(), SIGUSR1);  // again, with nothing left to let go of
    EXPECT_FALSE(waitUntil([&] { return !tovra->isRunning(); }, 500));

    // The machine never says it woke: copies are still queued and pasted.
    copyElsewhere("c\nd");
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});

    // When it does, the next sleep is delayed again.
    kill(logind->pid(), SIGUSR2);
    EXPECT_TRUE(
        waitUntil([&] { return logind->output().find("inhibited 2") != std::string::npos; }, 5000));
    EXPECT_EQ(target->shows("cd"), "cd");
}

TEST_F(TovraBinaryTest, TerminatedWithThePasteKeyDownItLeavesTheKeyboardFree) {
    startTarget();
    copyElsewhere("queued");
    keyboard.press("Control_L");
    keyboard.press("v");
    kill(tovra->pid(), SIGTERM);
    keyboard.release("v");
    keyboard.release("Control_L");
    const auto status = tovra->waitForExit(5000);
    ASSERT_TRUE(status.has_value());
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    tovra.reset();

    // Nothing grabbed or held is left behind: keys reach the application.
    for (const char* key : {"o", "k"}) {
        keyboard.chord({key});
    }
    // The paste went through once, or not at all if it came too late.
    const std::string text =
        target->shows(target->shows("ok") == "ok" ? std::string("ok") : std::string("queuedok"));
    EXPECT_TRUE(text == "queuedok" || text == "ok") << text;
}

TEST_F(TovraCommandTest, ASessionBusThatGoesAwayLeavesTheQueueWorking) {
    startTarget();
    bus.stop();
    ASSERT_FALSE(waitUntil([&] { return !tovra->isRunning(); }, 500));
    copyElsewhere("one\ntwo");
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("onetwo"), "onetwo");
}

class TovraLaunchRaceTest : public TovraBinaryTest {
  protected:
    TovraLaunchRaceTest() { startTovra = false; }
};

TEST_F(TovraLaunchRaceTest, TwoLaunchesAtOnceLeaveOneQueue) {
    BackgroundProcess first({TOVRA_BINARY});
    BackgroundProcess second({TOVRA_BINARY});
    // Two starts at once on a starved machine take a while.
    ASSERT_TRUE(waitUntil([&] { return !first.isRunning() || !second.isRunning(); }, 30000));
    // The other one stays.
    EXPECT_FALSE(waitUntil([&] { return !first.isRunning() && !second.isRunning(); }, 1000));
    ASSERT_NE(first.isRunning(), second.isRunning());
    const pid_t survivor = first.isRunning() ? first.pid() : second.pid();

    // One queue: each copy is queued and pasted once.
    startTarget();
    copyElsewhere("x\ny", survivor);
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("xyy"), "xyy");
}

}  // namespace
}  // namespace tovra
