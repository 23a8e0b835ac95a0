#pragma once
// The real tovra binary on a private Wayland compositor, as a Wayland user runs it: copies made
// by other clients, and paste next and paste all from the command line (what a compositor key
// binding runs). The compositor's own test main starts it; a fixture says who has the focus.
#include <gtest/gtest.h>

#include <sys/types.h>

#include <QTemporaryDir>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "BackgroundProcess.h"
#include "NativeTargets.h"
#include "Processes.h"
#include "SeededConfiguration.h"
#include "SessionBus.h"

namespace tovra::test {

inline void settle(int milliseconds) {
    waitUntil([] { return false; }, milliseconds);
}

inline std::string clipboard() {
    const auto result = runCommand({"wl-paste", "--no-newline"});
    return result.exitCode == 0 ? result.output : "<none>";
}

/// The process whose window has the keyboard focus, or -1: each compositor's tests tell.
pid_t focusedProcess();

/// What a program typed into a file holds so far.
inline std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class TovraOnWayland : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(bus.address().empty());
        setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
        setenv("XDG_CONFIG_HOME", configHome.path().toUtf8().constData(), 1);
        setenv("TOVRA_TARGET_REPORT_CHANGES", "1", 1);
        ASSERT_TRUE(seedConfiguration(configHome.path(), true));
        if (startTovra) {
            launchTovra();
        }
    }
    /// Tovra in this session, with `environment` ("NAME=value") added, run from `binary`.
    void launchTovra(const std::vector<std::string>& environment = {"QT_QPA_PLATFORM=offscreen"},
                     const std::string& binary = TOVRA_BINARY) {
        std::vector<std::string> argv{"env", "-u", "QT_QPA_PLATFORM"};
        argv.insert(argv.end(), environment.begin(), environment.end());
        argv.push_back(binary);
        tovra = std::make_unique<BackgroundProcess>(argv);
        ASSERT_TRUE(waitUntil([&] { return command({"status"}).exitCode == 0; }, 10000));
    }
    void TearDown() override {
        tovra.reset();
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    static CommandResult command(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv{TOVRA_BINARY};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return runCommand(argv);
    }
    static int items() { return queuedItems(); }
    /// Another client's copy, captured once the queue holds `expected` items.
    static void copy(const std::string& text, int expected) {
        ASSERT_EQ(runDetaching({"wl-copy", "--", text}, {}), 0);
        ASSERT_TRUE(waitUntil([&] { return items() == expected; }, 3000)) << text;
    }
    /// Starts a window and waits until it has the keyboard focus.
    static std::unique_ptr<BackgroundProcess> start(const std::vector<std::string>& argv) {
        auto process = std::make_unique<BackgroundProcess>(argv);
        EXPECT_TRUE(waitUntil([&] { return focusedProcess() == process->pid(); }, 15000))
            << argv.back() << " never came in front";
        return process;
    }
    static bool printed(BackgroundProcess& process, const std::string& text) {
        return waitUntil(
            [&] { return process.output().find('"' + text + "\"\n") != std::string::npos; }, 3000);
    }

    QTemporaryDir configHome;
    bool startTovra = true;
    SessionBus bus;
    std::unique_ptr<BackgroundProcess> tovra;
};

}  // namespace tovra::test
