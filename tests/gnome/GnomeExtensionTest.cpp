// Tovra's GNOME Shell extension in a private headless GNOME Shell: the bridge it serves answers
// the one program it trusts and refuses any other, and a newer connection of that program
// replaces the older one.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "GnomeShellServer.h"
#include "Processes.h"
#include "ServerTestMain.h"

namespace tovra::test {
namespace {

GnomeShellServer* shell = nullptr;

/// One connection to the bridge, read line by line.
class BridgeClient {
  public:
    BridgeClient() : fd_(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = shell->bridgeSocket();
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~BridgeClient() { close(fd_); }
    BridgeClient(const BridgeClient&) = delete;
    BridgeClient& operator=(const BridgeClient&) = delete;

    /// The next line, "<closed>" when the shell closed the connection, "<silent>" when it
    /// said nothing within 10 s.
    std::string line() {
        std::string text;
        for (;;) {
            pollfd descriptor{fd_, POLLIN, 0};
            if (!connected_ || poll(&descriptor, 1, 10000) <= 0) {
                return "<silent>";
            }
            char c = 0;
            if (read(fd_, &c, 1) != 1) {
                return "<closed>";
            }
            if (c == '\n') {
                return text;
            }
            text += c;
        }
    }

  private:
    int fd_;
    bool connected_ = false;
};

TEST(GnomeExtension, TheBridgeAnswersTheProgramItTrustsAndRefusesAnyOther) {
    BridgeClient trusted;
    EXPECT_EQ(trusted.line(), "hello 1");

    // Same user, another program: told so, then dropped.
    const std::string probe =
        "import socket\n"
        "s = socket.socket(socket.AF_UNIX)\n"
        "s.connect('" +
        shell->bridgeSocket() +
        "')\n"
        "s.settimeout(10)\n"
        "print(s.makefile().read(), end='')\n";
    const CommandResult stranger = runCommand({"/usr/bin/python3", "-c", probe});
    EXPECT_EQ(stranger.output, "refused\n");

    // The trusted program's newer connection takes over; the older one is closed.
    BridgeClient newer;
    EXPECT_EQ(newer.line(), "hello 1");
    std::string last;
    while ((last = trusted.line()).rfind("focus ", 0) == 0) {
    }
    EXPECT_EQ(last, "<closed>");
}

}  // namespace
}  // namespace tovra::test

int main(int argc, char** argv) {
    tovra::test::GnomeShellServer server;
    return tovra::test::runTestsBesideServer(
        argc, argv,
        [&](std::string& error) {
            tovra::test::shell = &server;
            const std::string self = std::filesystem::canonical("/proc/self/exe").string();
            return server.start(TOVRA_GNOME_TEST_EXTENSION, self, error);
        },
        [&] {
            tovra::test::shell = nullptr;
            server.stop();
        });
}
