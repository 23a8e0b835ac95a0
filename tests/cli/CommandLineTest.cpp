#include "Tovra/cli/CommandLine.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "Tovra/cli/BusName.h"
#include "Tovra/cli/SessionBus.h"

namespace tovra::cli {
namespace {

using Kind = Invocation::Kind;

TEST(CommandLine, ReadsEveryCommandByItsName) {
    EXPECT_EQ(parse({}).kind, Kind::run);
    EXPECT_EQ(parse({"--help"}).kind, Kind::help);
    EXPECT_EQ(parse({"-h"}).kind, Kind::help);
    EXPECT_EQ(parse({"--version"}).kind, Kind::version);
    for (const Command command :
         {Command::toggle, Command::on, Command::off, Command::pasteNext, Command::pasteAll,
          Command::showQueue, Command::showOverlay, Command::preferences, Command::clear,
          Command::quit, Command::status}) {
        const Invocation invocation = parse({std::string(commandName(command))});
        EXPECT_EQ(invocation.kind, Kind::command) << commandName(command);
        EXPECT_EQ(invocation.command, command);
        EXPECT_NE(usage().find(commandName(command)), std::string::npos) << commandName(command);
    }
    const Invocation stack = parse({"stack", "3"});
    EXPECT_EQ(stack.command, Command::stack);
    EXPECT_EQ(stack.stack, 3);
}

TEST(CommandLine, SaysWhatIsWrongWithALine) {
    const auto error = [](std::vector<std::string> arguments) {
        const Invocation invocation = parse(arguments);
        EXPECT_EQ(invocation.kind, Kind::usageError);
        return invocation.error;
    };
    EXPECT_EQ(error({"--verbose"}), "unknown option '--verbose'");
    EXPECT_EQ(error({"paste"}), "unknown command 'paste'");
    EXPECT_EQ(error({"status", "now"}), "'status' takes no arguments");
    for (const std::vector<std::string>& stack : {std::vector<std::string>{"stack"},
                                                  {"stack", "0"},
                                                  {"stack", "4"},
                                                  {"stack", "12"},
                                                  {"stack", "x"},
                                                  {"stack", "1", "2"}}) {
        EXPECT_EQ(error(stack), "'stack' takes the stack's number: 1, 2 or 3");
    }
    EXPECT_EQ(error({"--version", "x"}), "--version takes no arguments");
    EXPECT_EQ(error({"-display"}), "'-display' needs a value");
    EXPECT_EQ(error({"--start"}), "--start goes before a command: tovra --start show-queue");
    EXPECT_EQ(error({"--start", "quit"}),
              "--start is for commands that show or change something, not 'quit'");
    EXPECT_EQ(error({"--debug", "status"}), "--debug is for starting Tovra, not for a command");
}

TEST(CommandLine, TakesQtsOwnOptionsAndTheDisplayACommandGoesTo) {
    const Invocation started = parse({"-platform", "xcb", "--style=Fusion", "-reverse", "--debug"});
    EXPECT_EQ(started.kind, Kind::run);
    EXPECT_TRUE(started.debug);
    const Invocation elsewhere = parse({"-display", ":7", "--start", "show-queue"});
    EXPECT_EQ(elsewhere.kind, Kind::command);
    EXPECT_EQ(elsewhere.command, Command::showQueue);
    EXPECT_TRUE(elsewhere.startIfNeeded);
    EXPECT_EQ(elsewhere.display, ":7");
    EXPECT_EQ(parse({"--display=:8", "stack", "2"}).display, ":8");
    EXPECT_FALSE(parse({"status"}).startIfNeeded);
}

TEST(BusName, EachDisplayHasItsOwnAndSpellingsOfOneDisplayShareIt) {
    const std::string zero = busNameFor(":0", "", false);
    EXPECT_EQ(zero, "invalid.moxworks.tovra.x11_0");
    EXPECT_EQ(busNameFor(":0.1", "", false), zero);
    EXPECT_EQ(busNameFor("unix:0", "", false), zero);
    EXPECT_NE(busNameFor(":78", "", false), busNameFor(":77", "", false));
    EXPECT_EQ(busNameFor("host-a.example:10.0", "", false),
              "invalid.moxworks.tovra.x11_host_a_example_10");
    // A Wayland session goes by its compositor's socket, never by XWayland's display.
    EXPECT_EQ(busNameFor(":0", "wayland-1", true), "invalid.moxworks.tovra.wayland_wayland_1");
    EXPECT_EQ(busNameFor(":0", "wayland-1", false), zero);
    const std::string path = busNameFor("", "/run/user/1000/" + std::string(300, 'w'), true);
    EXPECT_LE(path.size(), 255U);
    EXPECT_EQ(
        path.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_."),
        std::string::npos);
}

/// A listening socket at `path`, as a user bus is.
int listenAt(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    return fd;
}

TEST(SessionBus, FoundAsLibdbusFindsItButNeverStarted) {
    const std::filesystem::path runtime =
        std::filesystem::temp_directory_path() / ("tovra-runtime-" + std::to_string(getpid()));
    std::filesystem::create_directories(runtime);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(sessionBusAddress(), std::nullopt);
    settleSessionBus();
    EXPECT_STREQ(std::getenv("DBUS_SESSION_BUS_ADDRESS"), "disabled:");  // no autolaunch
    EXPECT_EQ(sessionBusAddress(), std::nullopt);

    setenv("DBUS_SESSION_BUS_ADDRESS", "autolaunch:", 1);
    EXPECT_EQ(sessionBusAddress(), std::nullopt);

    const int fd = listenAt((runtime / "bus").string());
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(sessionBusAddress(), "unix:path=" + (runtime / "bus").string());
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:abstract=/tmp/dbus-x", 1);
    EXPECT_EQ(sessionBusAddress(), "unix:abstract=/tmp/dbus-x");  // what the session says
    close(fd);
    std::filesystem::remove_all(runtime);
}

}  // namespace
}  // namespace tovra::cli
