#pragma once

// The real tovra binary on the private X server a test executable starts, with a window manager,
// driven as a person would: copies in other applications, keystrokes on the server's own keyboard
// device. Variants add a system bus with a stand-in logind, or a session bus.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <xcb/xcb.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "BackgroundProcess.h"
#include "ForeignCopy.h"
#include "PasteTargetProcess.h"
#include "PhysicalKeyboard.h"
#include "Processes.h"
#include "SeededConfiguration.h"
#include "SessionBus.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/x11/X11Connection.h"
#include "tests/x11/WindowManager.h"

namespace tovra::test {

using test::runCommand;
using test::waitUntil;

/// For waits that prove nothing happens meanwhile, and for pacing the keys as a person would.
inline void settle(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

class TovraBinaryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(windowManager.waitUntilReady());
        ASSERT_TRUE(keyboard.isOpen());
        std::string error;
        connection = X11Connection::open(nullptr, error);
        ASSERT_NE(connection, nullptr) << error;
        connection->attach(queue);
        // Keys repeat after 2 s here, as some users set it. A paste key waiting for the one
        // before is let go before the server would repeat it, and then pastes the item before
        // again: on a loaded machine, applications here can take longer than the default delay
        // to ask for a paste. The tap's own tests hold keys at the default delay.
        ASSERT_EQ(runCommand({"xset", "r", "rate", "2000", "25"}).exitCode, 0);
        setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);
        // Not a first run unless a test says so: no welcome window takes the focus from the
        // target.
        ASSERT_TRUE(seedConfiguration(configHome.path(), skipOnboarding));
        if (startTovra) {
            launchTovra();
        }
    }

    void launchTovra() {
        // It reads what is on the clipboard once its watcher runs, which starts after the tap.
        copies.push_back(std::make_unique<ForeignCopy>("before Tovra"));
        std::vector<std::string> command{TOVRA_BINARY};
        command.insert(command.end(), tovraOptions.begin(), tovraOptions.end());
        tovra = std::make_unique<BackgroundProcess>(command);
        ASSERT_TRUE(
            waitUntil([&] { return running() && copies.back()->readBy(tovra->pid()); }, 10000));
    }

    /// True once a tovra instance holds this display.
    bool running() {
        xcb_connection_t* c = connection->get();
        XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            c, xcb_get_selection_owner(c, connection->atom("_TOVRA_INSTANCE")), nullptr));
        connection->scheduleDispatch();
        return owner && owner->owner != XCB_WINDOW_NONE;
    }

    /// Starts the Qt paste target and waits until the window manager made it active.
    void startTarget(const std::string& initialText = {}) {
        target = std::make_unique<PasteTargetProcess>(TOVRA_PASTE_TARGET, initialText);
        waitUntilInFront(target->pid());
    }

    void waitUntilInFront(pid_t pid) {
        ASSERT_TRUE(waitUntil([&] { return activeWindowProcess() == pid; }, 15000))
            << "in front: " << activeWindowTitle();
    }

    /// A copy in another application; returns once Tovra has read it, unless `read` is false
    /// (Tovra off, or not running).
    void copyElsewhere(const std::string& text, bool read = true) {
        copyElsewhere(text, read && tovra ? tovra->pid() : -1);
    }
    /// The same, read by the process `reader` (none when -1).
    void copyElsewhere(const std::string& text, pid_t reader) {
        copies.push_back(std::make_unique<ForeignCopy>(text));
        ASSERT_TRUE(copies.back()->owns());
        if (reader != -1) {
            ASSERT_TRUE(waitUntil([&] { return copies.back()->readBy(reader); }, 5000))
                << "Tovra never read \"" << text << "\"";
        }
    }

    /// Keys pressed together; what they do shows in the target (`target->shows`).
    void paste(const std::vector<std::string>& keys) { keyboard.chord(keys); }

    /// The process of the window the window manager made active, or -1.
    pid_t activeWindowProcess() {
        xcb_connection_t* c = connection->get();
        const xcb_window_t window = activeWindow();
        XcbReply<xcb_get_property_reply_t> pid(
            xcb_get_property_reply(c,
                                   xcb_get_property(c, 0, window, connection->atom("_NET_WM_PID"),
                                                    XCB_ATOM_CARDINAL, 0, 1),
                                   nullptr));
        connection->scheduleDispatch();
        if (window == XCB_WINDOW_NONE || !pid || xcb_get_property_value_length(pid.get()) != 4) {
            return -1;
        }
        return static_cast<pid_t>(
            *static_cast<const std::uint32_t*>(xcb_get_property_value(pid.get())));
    }

    xcb_window_t activeWindow() {
        xcb_connection_t* c = connection->get();
        XcbReply<xcb_get_property_reply_t> active(xcb_get_property_reply(
            c,
            xcb_get_property(c, 0, connection->root(), connection->atom("_NET_ACTIVE_WINDOW"),
                             XCB_ATOM_WINDOW, 0, 1),
            nullptr));
        connection->scheduleDispatch();
        if (!active || xcb_get_property_value_length(active.get()) != 4) {
            return XCB_WINDOW_NONE;
        }
        return *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
    }

    /// The title of the window the window manager made active, or "" when there is none.
    std::string activeWindowTitle() {
        xcb_connection_t* c = connection->get();
        XcbReply<xcb_get_property_reply_t> name(xcb_get_property_reply(
            c,
            xcb_get_property(c, 0, activeWindow(), connection->atom("_NET_WM_NAME"),
                             connection->atom("UTF8_STRING"), 0, 256),
            nullptr));
        connection->scheduleDispatch();
        if (!name) {
            return {};
        }
        return {static_cast<const char*>(xcb_get_property_value(name.get())),
                static_cast<std::size_t>(xcb_get_property_value_length(name.get()))};
    }

    static std::string clipboard() {
        // Bounded: an owner that never answers must not stop the test.
        const auto result = runCommand({"timeout", "5", "xclip", "-selection", "clipboard", "-o"});
        // No owner, or one offering an empty text: nothing to paste either way.
        return result.exitCode == 0 && !result.output.empty() ? result.output : "<empty>";
    }

    WindowManager windowManager;
    PhysicalKeyboard keyboard;
    QtMainQueue queue;
    std::unique_ptr<X11Connection> connection;
    QTemporaryDir configHome;
    bool skipOnboarding = true;
    /// False for probes that show the same paste works without Tovra.
    bool startTovra = true;
    std::vector<std::string> tovraOptions;
    std::unique_ptr<BackgroundProcess> tovra;
    std::unique_ptr<PasteTargetProcess> target;
    std::vector<std::unique_ptr<ForeignCopy>> copies;
};

class TovraSleepTest : public TovraBinaryTest {
  protected:
    void SetUp() override {
        const QString socket = busDirectory.filePath(QStringLiteral("system_bus_socket"));
        QFile config(busDirectory.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            QStringLiteral("<busconfig><type>system</type><listen>unix:path=%1</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\"><allow own=\"*\"/>"
                           "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
                           "</policy></busconfig>")
                .arg(socket)
                .toUtf8());
        config.close();
        bus = std::make_unique<BackgroundProcess>(std::vector<std::string>{
            "dbus-daemon", "--nofork", "--config-file=" + config.fileName().toStdString()});
        ASSERT_TRUE(waitUntil([&] { return QFile::exists(socket); }, 5000));
        setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket.toStdString()).c_str(), 1);
        logind = std::make_unique<BackgroundProcess>(std::vector<std::string>{TOVRA_FAKE_LOGIND});
        ASSERT_TRUE(
            waitUntil([&] { return logind->output().find("ready") != std::string::npos; }, 5000));
        TovraBinaryTest::SetUp();
    }
    void TearDown() override {
        TovraBinaryTest::TearDown();
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

    QTemporaryDir busDirectory;
    std::unique_ptr<BackgroundProcess> bus;
    std::unique_ptr<BackgroundProcess> logind;
};

class TovraCommandTest : public TovraBinaryTest {
  protected:
    void SetUp() override {
        ASSERT_FALSE(bus.address().empty());
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
        TovraBinaryTest::SetUp();
        ASSERT_TRUE(waitUntil([&] { return tovraCommand({"status"}).exitCode == 0; }, 5000));
    }
    void TearDown() override {
        TovraBinaryTest::TearDown();
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    /// `tovra <arguments>`, with what it printed on either stream.
    static CommandResult tovraCommand(const std::vector<std::string>& arguments) {
        std::string line = std::string(TOVRA_BINARY);
        for (const std::string& argument : arguments) {
            line += " '" + argument + "'";
        }
        return runCommand({"sh", "-c", line + " 2>&1"});
    }
    static std::string status() { return tovraCommand({"status"}).output; }

    SessionBus bus;
};

}  // namespace tovra::test
