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
#include "PasteTargetProcess.h"
#include "PhysicalKeyboard.h"
#include "Processes.h"
#include "SeededConfiguration.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/x11/X11Connection.h"
#include "tests/x11/WindowManager.h"

namespace tovra::test {

using test::runCommand;
using test::waitUntil;

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
        setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);
        // Not a first run unless a test says so: no welcome window takes the focus from the
        // target.
        ASSERT_TRUE(seedConfiguration(configHome.path(), skipOnboarding));
        if (!startTovra) {
            return;
        }
        tovra = std::make_unique<BackgroundProcess>(std::vector<std::string>{TOVRA_BINARY});
        ASSERT_TRUE(waitUntil([&] { return running(); }, 10000));
        settle(300);  // the tap and the watcher start right after the instance is claimed
    }

    void TearDown() override {
        if (tovra) {
            tovra->stop();
        }
    }

    /// True once a tovra instance holds this display.
    bool running() {
        xcb_connection_t* c = connection->get();
        XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
            c, xcb_get_selection_owner(c, connection->atom("_TOVRA_INSTANCE")), nullptr));
        connection->scheduleDispatch();
        return owner && owner->owner != XCB_WINDOW_NONE;
    }

    void startTarget(const std::string& initialText = {}) {
        target = std::make_unique<PasteTargetProcess>(TOVRA_PASTE_TARGET, initialText);
        settle(1000);  // mapped, managed and focused
    }

    std::string finishTarget() { return target->finish(keyboard); }

    void copyElsewhere(const std::string& text) {
        ASSERT_EQ(runDetaching({"xclip", "-selection", "clipboard", "-i"}, text), 0);
        settle(600);  // captured by the next poll
    }

    void paste(std::vector<std::string> keys) {
        keyboard.chord(keys);
        settle(400);
    }

    static std::string clipboard() {
        const auto result = runCommand({"xclip", "-selection", "clipboard", "-o"});
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
    std::unique_ptr<BackgroundProcess> tovra;
    std::unique_ptr<PasteTargetProcess> target;
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
        bus = std::make_unique<BackgroundProcess>(
            std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(waitUntil([&] { return bus->output().find('\n') != std::string::npos; }, 5000));
        const std::string address = bus->output().substr(0, bus->output().find('\n'));
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
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

    std::unique_ptr<BackgroundProcess> bus;
};

}  // namespace tovra::test
