// The real tovra binary on a private X server with a window manager, driven as a person would:
// copies in other applications, keystrokes on the server's own keyboard device.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TovraBinaryFixture.h"
#include "XvfbServer.h"

namespace tovra {
namespace {

using test::runCommand;
using test::seedConfiguration;
using test::settle;
using test::TovraBinaryTest;
using test::TovraCommandTest;
using test::TovraSleepTest;
using test::waitUntil;

TEST_F(TovraBinaryTest, CopiesArePastedInOrderAndRowsCellByCell) {
    startTarget();
    for (const char* text : {"one ", "two ", "three "}) {
        copyElsewhere(text);
    }
    copyElsewhere("A1\tB1\tC1\n");
    for (int i = 0; i < 6; ++i) {
        paste({"Control_L", "v"});
    }
    EXPECT_EQ(target->shows("onetwothreeA1B1C1"), "onetwothreeA1B1C1");
}

TEST_F(TovraBinaryTest, TenCopiesInQuickSuccessionAreAllKeptInOrder) {
    startTarget();
    // A script or a click-to-copy button: no copy keystroke, a copy every 50 ms, faster than
    // any poll would see.
    for (int i = 0; i < 10; ++i) {
        copyElsewhere("c" + std::to_string(i), false);
        settle(50);
    }
    ASSERT_TRUE(waitUntil([&] { return copies.back()->readBy(tovra->pid()); }));
    for (int i = 0; i < 10; ++i) {
        paste({"Control_L", "v"});
    }
    EXPECT_EQ(target->shows("c0c1c2c3c4c5c6c7c8c9"), "c0c1c2c3c4c5c6c7c8c9");
}

TEST_F(TovraBinaryTest, BurstPastesTheWholeStackJoinedByTabs) {
    startTarget();
    copyElsewhere("x\ny\nz");
    paste({"Control_L", "Shift_L", "v"});
    EXPECT_EQ(target->shows("x\ty\tz"), "x\ty\tz");
}

TEST_F(TovraBinaryTest, SwitchingOffWipesOurClipboardAndStopsTheQueue) {
    startTarget();
    copyElsewhere("a\nb");
    paste({"Control_L", "v"});  // pastes "a": the clipboard is ours now
    ASSERT_EQ(target->shows("a"), "a");
    EXPECT_EQ(clipboard(), "a");
    paste({"Control_L", "Shift_L", "s"});
    EXPECT_TRUE(waitUntil([] { return clipboard() == "<empty>"; }));
    copyElsewhere("plain", false);
    paste({"Control_L", "v"});  // the queue is off: an ordinary paste
    ASSERT_EQ(target->shows("aplain"), "aplain");
    paste({"Control_L", "Shift_L", "s"});
    copyElsewhere("queued");  // read: the queue is on again
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("aplainqueued"), "aplainqueued");
}

TEST_F(TovraBinaryTest, QuittingAfterAPasteEmptiesTheClipboardButKeepsACopy) {
    startTarget();
    copyElsewhere("secret\nother");
    paste({"Control_L", "v"});
    ASSERT_EQ(target->shows("secret"), "secret");
    ASSERT_EQ(clipboard(), "secret");
    tovra->stop();  // SIGTERM: it has quit once this returns
    EXPECT_EQ(clipboard(), "<empty>");

    launchTovra();
    copyElsewhere("the user's copy");
    tovra->stop();
    EXPECT_EQ(clipboard(), "the user's copy");
}

TEST_F(TovraBinaryTest, CtrlCInTheApplicationIsQueued) {
    startTarget("typed here");
    keyboard.chord({"Control_L", "c"});  // the target's text is selected
    ASSERT_TRUE(waitUntil([] { return clipboard() == "typed here"; }));
    copyElsewhere("other");  // read after the copy before it, in order
    keyboard.chord({"End"});
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("typed heretyped hereother"), "typed heretyped hereother");
}

TEST_F(TovraBinaryTest, ASecondLaunchOnTheSameDisplayLeaves) {
    const auto second = runCommand({TOVRA_BINARY});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(tovra->isRunning());
}

/// A real application of each toolkit family to paste into.
struct Toolkit {
    std::string name;
    std::vector<std::string> argv;
};

std::vector<Toolkit> toolkits() {
    const std::string gtk = TOVRA_GTK_TARGET;
    // Debian's interpreter: GTK's bindings come from Debian, not from another Python on PATH.
    const std::string python = "/usr/bin/python3";
    return {{"Qt6LineEdit", {TOVRA_PASTE_TARGET, ""}},
            {"Gtk3Entry", {python, gtk, "3", "entry"}},
            {"Gtk3TextView", {python, gtk, "3", "textview"}},
            {"Gtk4Entry", {python, gtk, "4", "entry"}}};
}

void PrintTo(const Toolkit& toolkit, std::ostream* out) {
    *out << toolkit.name;
}

std::string toolkitName(const ::testing::TestParamInfo<Toolkit>& info) {
    return info.param.name;
}

class ToolkitPasteTest : public TovraBinaryTest, public ::testing::WithParamInterface<Toolkit> {
  protected:
    void startToolkitTarget() {
        target = std::make_unique<test::PasteTargetProcess>(GetParam().argv);
        waitUntilInFront(target->pid());
    }
};

TEST_P(ToolkitPasteTest, EachPasteKeyDeliversTheNextQueuedItem) {
    copyElsewhere("one\ntwo\nthree\nfour\nfive");
    startToolkitTarget();
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    // Typed as fast as the keys come: each waits until the one before was taken.
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("onetwothreefourfive"), "onetwothreefourfive");
}

INSTANTIATE_TEST_SUITE_P(Toolkits, ToolkitPasteTest, ::testing::ValuesIn(toolkits()), toolkitName);

/// The same probe with no Tovra running: it must pass there, or it proves nothing with Tovra.
class ToolkitPasteWithoutTovraTest : public ToolkitPasteTest {
  protected:
    ToolkitPasteWithoutTovraTest() { startTovra = false; }
};

TEST_P(ToolkitPasteWithoutTovraTest, ThePasteKeyPastesTheClipboard) {
    copyElsewhere("plain copy");
    startToolkitTarget();
    for (int i = 0; i < 3; ++i) {
        paste({"Control_L", "v"});
    }
    EXPECT_EQ(target->shows("plain copyplain copyplain copy"), "plain copyplain copyplain copy");
}

INSTANTIATE_TEST_SUITE_P(Toolkits, ToolkitPasteWithoutTovraTest, ::testing::ValuesIn(toolkits()),
                         toolkitName);

/// A real terminal whose shell copies every character it receives to a file as it comes: its
/// line discipline is raw, so nothing waits for a Return (a terminal pastes in its own time).
/// Keys typed before it is raw would be read as line editing (^V quotes the next key).
class TerminalTarget {
  public:
    explicit TerminalTarget(const std::string& terminal) {
        const std::string script =
            "stty -icanon -echo && : > " + output() + " && exec cat >> " + output();
        // A session bus of its own, as on a desktop: without one GLib starts a bus through the
        // X server for the terminal's settings, which can stall a start. Its errors go with its
        // output, for when it never runs the shell.
        EXPECT_FALSE(bus_.address().empty());
        std::vector<std::string> argv{"sh", "-c",  "exec \"$@\" 2>&1",
                                      "sh", "env", "DBUS_SESSION_BUS_ADDRESS=" + bus_.address()};
        if (terminal == "xterm") {
            argv.insert(argv.end(), {"xterm", "-e", "sh", "-c", script});
        } else {
            argv.insert(argv.end(), {terminal, "--disable-server", "-x", "sh", "-c", script});
        }
        process_ = std::make_unique<test::BackgroundProcess>(argv);
        EXPECT_TRUE(
            waitUntil([&] { return QFile::exists(QString::fromStdString(output())); }, 15000))
            << terminal << " never ran its shell (" << (process_->isRunning() ? "running" : "ended")
            << "): " << process_->output();
    }
    [[nodiscard]] pid_t pid() const { return process_->pid(); }
    /// Waits until the shell received `expected`, then a moment more in which nothing else may
    /// arrive; returns what it received.
    std::string shows(const std::string& expected) {
        if (waitUntil([&] { return received() == expected; }, 5000)) {
            waitUntil([&] { return received() != expected; }, 300);
        }
        return received();
    }

  private:
    [[nodiscard]] std::string output() const {
        return directory_.filePath(QStringLiteral("received")).toStdString();
    }
    [[nodiscard]] std::string received() const {
        QFile file(QString::fromStdString(output()));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "";
    }

    QTemporaryDir directory_;
    test::SessionBus bus_;
    std::unique_ptr<test::BackgroundProcess> process_;
};

TEST_F(TovraBinaryTest, AVteTerminalPastesAndBurstsWithItsOwnKeysAndCtrlVTakesNothing) {
    copyElsewhere("one\ntwo\nx\ny");
    TerminalTarget terminal("xfce4-terminal");
    waitUntilInFront(terminal.pid());
    paste({"Control_L", "v"});  // the terminal's own ^V: it passes, and no item is taken
    paste({"Control_L", "Shift_L", "v"});
    paste({"Control_L", "Shift_L", "v"});
    paste({"Control_L", "Alt_L", "Shift_L", "v"});  // the burst moves off the paste key
    EXPECT_EQ(terminal.shows("\x16onetwox\ty"), "\x16onetwox\ty");
}

TEST_F(TovraBinaryTest, XtermHasNoPasteKeySoNothingIsStaged) {
    copyElsewhere("a\nb");
    TerminalTarget terminal("xterm");
    waitUntilInFront(terminal.pid());
    // Both keys reach the shell untouched, as they do without Tovra.
    paste({"Control_L", "v"});
    paste({"Control_L", "Shift_L", "v"});
    paste({"x"});
    EXPECT_EQ(terminal.shows("\x16\x16x"), "\x16\x16x");
    EXPECT_EQ(clipboard(), "a\nb");  // still the user's own copy: nothing was staged
}

/// The terminal probes with no Tovra running.
class TerminalWithoutTovraTest : public TovraBinaryTest {
  protected:
    TerminalWithoutTovraTest() { startTovra = false; }
};

TEST_F(TerminalWithoutTovraTest, AVteTerminalPastesTheClipboardWithCtrlShiftV) {
    copyElsewhere("plain copy");
    TerminalTarget terminal("xfce4-terminal");
    waitUntilInFront(terminal.pid());
    paste({"Control_L", "v"});
    paste({"Control_L", "Shift_L", "v"});
    EXPECT_EQ(terminal.shows("\x16plain copy"), "\x16plain copy");
}

TEST_F(TerminalWithoutTovraTest, XtermPastesNothingWithCtrlVOrCtrlShiftV) {
    copyElsewhere("plain copy");
    TerminalTarget terminal("xterm");
    waitUntilInFront(terminal.pid());
    paste({"Control_L", "v"});
    paste({"Control_L", "Shift_L", "v"});
    paste({"x"});
    EXPECT_EQ(terminal.shows("\x16\x16x"), "\x16\x16x");
}

/// A private system bus whose logind is a stand-in the test can make announce sleep.
TEST_F(TovraSleepTest, SleepEmptiesTheStacksAndOurClipboardWhileTheQueueStaysOn) {
    startTarget();
    copyElsewhere("a\nb\nc");
    paste({"Control_L", "v"});
    ASSERT_EQ(target->shows("a"), "a");
    ASSERT_EQ(clipboard(), "a");
    kill(logind->pid(), SIGUSR1);
    // Tovra lets the machine sleep only once it has emptied everything.
    ASSERT_TRUE(
        waitUntil([&] { return logind->output().find("released") != std::string::npos; }, 5000));
    EXPECT_EQ(clipboard(), "<empty>");
    paste({"Control_L", "v"});  // nothing queued any more: an ordinary (empty) paste
    EXPECT_EQ(target->shows("a"), "a");
    copyElsewhere("after waking");
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("aafter waking"), "aafter waking");
}

/// How many top-level windows with this title exist.
int windowsTitled(X11Connection& connection, const std::string& title) {
    int found = 0;
    xcb_connection_t* c = connection.get();
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, connection.root()), nullptr));
    if (!tree) {
        return 0;
    }
    const xcb_window_t* frames = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        XcbReply<xcb_query_tree_reply_t> inner(
            xcb_query_tree_reply(c, xcb_query_tree(c, frames[i]), nullptr));
        std::vector<xcb_window_t> candidates{frames[i]};
        if (inner) {
            const xcb_window_t* children = xcb_query_tree_children(inner.get());
            candidates.insert(candidates.end(), children,
                              children + xcb_query_tree_children_length(inner.get()));
        }
        for (const xcb_window_t window : candidates) {
            XcbReply<xcb_get_property_reply_t> name(xcb_get_property_reply(
                c,
                xcb_get_property(c, 0, window, connection.atom("_NET_WM_NAME"),
                                 XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
                nullptr));
            if (name && std::string(static_cast<const char*>(xcb_get_property_value(name.get())),
                                    static_cast<std::size_t>(
                                        xcb_get_property_value_length(name.get()))) == title) {
                ++found;
                break;  // the frame and the client carry the same title
            }
        }
    }
    connection.scheduleDispatch();
    return found;
}

bool windowTitled(X11Connection& connection, const std::string& title) {
    return windowsTitled(connection, title) > 0;
}

TEST(TovraUnderWayland, StartsAndSaysWhatItNeeds) {
    test::WindowManager windowManager;
    ASSERT_TRUE(windowManager.waitUntilReady());
    QtMainQueue queue;
    std::string error;
    auto connection = X11Connection::open(nullptr, error);
    connection->attach(queue);
    QTemporaryDir configHome;
    ASSERT_TRUE(seedConfiguration(configHome.path(), false));
    setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);
    setenv("XDG_SESSION_TYPE", "wayland", 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    test::BackgroundProcess tovra({TOVRA_BINARY});
    const bool shown =
        waitUntil([&] { return windowTitled(*connection, "Tovra Permissions"); }, 10000);
    unsetenv("XDG_SESSION_TYPE");
    unsetenv("QT_QPA_PLATFORM");
    EXPECT_TRUE(shown);
    EXPECT_TRUE(tovra.isRunning());
}

TEST(TovraVersion, IsTheProjectVersionWithTheBuildNumberFollowingFromIt) {
    const auto result = runCommand({TOVRA_BINARY, "--version"});
    EXPECT_EQ(result.exitCode, 0);
    // 0.1.0 is build 100, 1.2.3 would be 10203: every release is newer than the one before.
    const QStringList parts = QString::fromLatin1(TOVRA_PROJECT_VERSION).split('.');
    ASSERT_EQ(parts.size(), 3);
    const int build = parts[0].toInt() * 10000 + parts[1].toInt() * 100 + parts[2].toInt();
    EXPECT_EQ(result.output, "tovra " + std::string(TOVRA_PROJECT_VERSION) + " (build " +
                                 std::to_string(build) + ")\n");
}

TEST(TovraWithoutDisplay, ExitsWithAClearMessage) {
    const std::string display = getenv("DISPLAY");
    unsetenv("DISPLAY");
    const auto result = runCommand({"sh", "-c", std::string(TOVRA_BINARY) + " 2>&1"});
    setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("no graphical session"), std::string::npos);
}

/// A first launch: no flag in the configuration yet.
class TovraFirstRunTest : public TovraBinaryTest {
  protected:
    void SetUp() override {
        skipOnboarding = false;
        TovraBinaryTest::SetUp();
    }
    [[nodiscard]] bool completed() const {
        QFile flag(configHome.filePath(QStringLiteral("moxworks/tovra.conf")));
        return flag.open(QIODevice::ReadOnly) &&
               flag.readAll().contains("moxworks.tovra.firstRunCompleted=true");
    }
};

TEST_F(TovraFirstRunTest, TheWelcomeShowsUntilItIsDismissed) {
    // Without a tray the control window is there too, under the same name.
    ASSERT_TRUE(waitUntil([&] { return windowsTitled(*connection, "Tovra") == 2; }, 10000));
    EXPECT_FALSE(completed());

    // Quitting with the welcome open shows it again next time.
    tovra->stop();
    launchTovra();
    EXPECT_TRUE(waitUntil([&] { return windowsTitled(*connection, "Tovra") == 2; }, 10000));
    EXPECT_FALSE(completed());

    waitUntilInFront(tovra->pid());  // the control window never takes the focus
    keyboard.chord({"Tab"});         // from the login switch to "Done"
    keyboard.chord({"space"});
    ASSERT_TRUE(waitUntil([&] { return completed(); }, 5000));
    EXPECT_TRUE(waitUntil([&] { return windowsTitled(*connection, "Tovra") == 1; }, 5000));
}

/// The command line against a running Tovra on a private session bus, as a window manager's
/// key binding or a script drives it.
TEST_F(TovraCommandTest, EveryCommandReachesTheRunningTovra) {
    // Nothing about what was copied, not even its length: any client on the bus may ask.
    EXPECT_EQ(status(), "state: on\nstack: 1\nitems: 0\nmode: FIFO\n");
    copyElsewhere("x\ny");
    EXPECT_TRUE(status().starts_with("state: on\nstack: 1\nitems: 2\nmode: FIFO\n"));
    EXPECT_EQ(tovraCommand({"stack", "2"}).exitCode, 0);
    EXPECT_TRUE(status().starts_with("state: on\nstack: 2\nitems: 0\nmode: FIFO\n"));
    EXPECT_EQ(tovraCommand({"stack", "1"}).exitCode, 0);
    EXPECT_EQ(tovraCommand({"clear"}).exitCode, 0);  // no question asked
    EXPECT_TRUE(status().starts_with("state: on\nstack: 1\nitems: 0\nmode: FIFO\n"));

    EXPECT_EQ(tovraCommand({"off"}).exitCode, 0);
    EXPECT_TRUE(status().starts_with("state: off\n"));
    const auto refused = tovraCommand({"paste-next"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.output.find("Tovra is off"), std::string::npos) << refused.output;
    EXPECT_EQ(tovraCommand({"toggle"}).exitCode, 0);
    EXPECT_TRUE(status().starts_with("state: on\n"));
    EXPECT_EQ(tovraCommand({"toggle"}).exitCode, 0);
    EXPECT_EQ(tovraCommand({"on"}).exitCode, 0);
    EXPECT_TRUE(status().starts_with("state: on\n"));

    // Into the focused window, as the menu pastes: what a key binding of the window manager does.
    startTarget();
    copyElsewhere("a\nb\nc");
    EXPECT_EQ(tovraCommand({"paste-next"}).exitCode, 0);
    ASSERT_EQ(target->shows("a"), "a");
    EXPECT_EQ(tovraCommand({"paste-all"}).exitCode, 0);
    EXPECT_EQ(target->shows("ab\tc"), "ab\tc");

    EXPECT_EQ(tovraCommand({"show-overlay"}).exitCode, 0);
    EXPECT_EQ(tovraCommand({"show-queue"}).exitCode, 0);
    EXPECT_TRUE(
        waitUntil([&] { return windowsTitled(*connection, "Tovra \u2014 Queue") == 1; }, 5000));
    EXPECT_EQ(tovraCommand({"preferences"}).exitCode, 0);
    EXPECT_TRUE(
        waitUntil([&] { return windowsTitled(*connection, "Tovra Preferences") == 1; }, 5000));

    EXPECT_EQ(tovraCommand({"quit"}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return !tovra->isRunning(); }, 5000));
    const auto gone = tovraCommand({"status"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_NE(gone.output.find("Tovra is not running"), std::string::npos) << gone.output;
}

/// Two displays of one user on one session bus: each command reaches the Tovra of its own
/// display, and a command given with --start (as the desktop entry's actions give it) starts
/// one where none runs.
TEST_F(TovraCommandTest, ACommandReachesTheTovraOfItsOwnDisplayAndStartsOneWhenAsked) {
    const std::string first = getenv("DISPLAY");
    test::XvfbServer otherServer;
    std::string error;
    ASSERT_TRUE(otherServer.start(error)) << error;
    setenv("DISPLAY", first.c_str(), 1);
    const std::string other = otherServer.display();

    const auto none = tovraCommand({"-display", other, "status"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.output.find("not running on display " + other), std::string::npos)
        << none.output;

    test::BackgroundProcess started({TOVRA_BINARY, "-display", other, "--start", "off"});
    EXPECT_TRUE(waitUntil(
        [&] {
            return tovraCommand({"-display", other, "status"}).output.starts_with("state: off\n");
        },
        15000));
    EXPECT_TRUE(status().starts_with("state: on\n"));  // this display's own is untouched

    EXPECT_EQ(tovraCommand({"-display", other, "quit"}).exitCode, 0);
    EXPECT_TRUE(waitUntil([&] { return !started.isRunning(); }, 5000));
    EXPECT_TRUE(tovra->isRunning());
    EXPECT_TRUE(status().starts_with("state: on\n"));
}

TEST_F(TovraCommandTest, EscapeAfterACopyReachesTheApplicationAndClearsOnlyASummonedOverlay) {
    TerminalTarget terminal("xterm");
    waitUntilInFront(terminal.pid());
    copyElsewhere("a\nb");  // the overlay shows for a moment, not asked for
    paste({"Escape"});      // leaving a dialog or an editor's insert mode
    EXPECT_EQ(terminal.shows("\x1b"), "\x1b");
    EXPECT_NE(status().find("items: 2\n"), std::string::npos) << status();

    paste({"Control_L", "Alt_L", "p"});  // summoned
    paste({"Escape"});
    EXPECT_TRUE(waitUntil([&] { return status().find("items: 0\n") != std::string::npos; }))
        << status();
    EXPECT_EQ(terminal.shows("\x1b"), "\x1b");  // that one was Tovra's
}

TEST_F(TovraCommandTest, AnItemAWindowIgnoresGoesBackToTheQueue) {
    copyElsewhere("first\nsecond");
    {
        // A window without a text field: Ctrl+V reaches it and nobody asks for the item.
        test::BackgroundProcess ignoring({"/usr/bin/python3", TOVRA_GTK_TARGET, "3", "label"});
        waitUntilInFront(ignoring.pid());
        paste({"Control_L", "v"});
        ASSERT_TRUE(waitUntil([&] { return status().find("items: 1\n") != std::string::npos; }));
        // Past the time an application has to ask for it.
        EXPECT_TRUE(
            waitUntil([&] { return status().find("items: 2\n") != std::string::npos; }, 6000));
    }
    startTarget();
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("firstsecond"), "firstsecond");
}

TEST_F(TovraBinaryTest, WithoutASessionBusCommandsSayWhyAndTovraRunsOn) {
    const auto result = runCommand({"sh", "-c", std::string(TOVRA_BINARY) + " status 2>&1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("no D-Bus session bus"), std::string::npos) << result.output;
    EXPECT_TRUE(tovra->isRunning());
    copyElsewhere("still\nworks");
    startTarget();
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("still"), "still");
}

TEST(TovraCommandLine, HelpAndVersionNeedNoDisplayAndAWrongLineExitsTwo) {
    const std::string display = getenv("DISPLAY");
    unsetenv("DISPLAY");
    const auto help = runCommand({TOVRA_BINARY, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.output.starts_with("Usage: tovra [OPTIONS] [COMMAND]")) << help.output;
    EXPECT_NE(help.output.find("paste-next"), std::string::npos);
    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--bogus"}, {"frobnicate"}, {"stack", "9"}, {"status", "x"}}) {
        std::string line = std::string(TOVRA_BINARY);
        for (const std::string& argument : wrong) {
            line += " " + argument;
        }
        const auto result = runCommand({"sh", "-c", line + " 2>&1 >/dev/null"});
        EXPECT_EQ(result.exitCode, 2) << line;
        EXPECT_NE(result.output.find("Usage: tovra"), std::string::npos) << result.output;
    }
    setenv("DISPLAY", display.c_str(), 1);
}

/// The processes whose environment holds `marker`: the ones a program started, daemons included.
std::vector<std::string> processesMarked(const std::string& marker) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream environment(entry.path() / "environ", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(environment)),
                               std::istreambuf_iterator<char>());
        if (text.find(marker) != std::string::npos) {
            std::ifstream name(entry.path() / "comm");
            std::string command;
            std::getline(name, command);
            found.push_back(command);
        }
    }
    return found;
}

class TovraWithoutSessionBusTest : public TovraBinaryTest {
  protected:
    void SetUp() override {
        setenv("TOVRA_TEST_MARKER", marker.c_str(), 1);
        TovraBinaryTest::SetUp();
        unsetenv("TOVRA_TEST_MARKER");
    }
    const std::string marker = "TOVRA_TEST_MARKER=" + std::to_string(getpid());
};

TEST_F(TovraWithoutSessionBusTest, NoBusOrAccessibilityDaemonIsStartedForIt) {
    // Up, its windows shown: the tray, the menu and accessibility have looked for a bus. Then
    // nothing else appears for a while.
    ASSERT_TRUE(waitUntil([&] { return windowsTitled(*connection, "Tovra") >= 1; }, 10000));
    EXPECT_FALSE(waitUntil(
        [&] { return processesMarked(marker) != std::vector<std::string>{"tovra"}; }, 2000))
        << testing::PrintToString(processesMarked(marker));
    tovra->stop();
    EXPECT_TRUE(waitUntil([&] { return processesMarked(marker).empty(); }, 2000))
        << testing::PrintToString(processesMarked(marker));  // nothing outlives it
}

}  // namespace
}  // namespace tovra
