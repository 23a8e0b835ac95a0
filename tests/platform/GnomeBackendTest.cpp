// The GNOME backends against a stand-in for the shell's extension on a socket of the test's own:
// what Tovra asks the shell and what it makes of the answers.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/gnome/Base64.h"
#include "platform/gnome/GnomePlatform.h"
#include "platform/posix/PollMainQueue.h"

namespace tovra {
namespace {

/// The shell's end: one listening socket, one accepted connection, read line by line.
class FakeShell {
  public:
    explicit FakeShell(const std::string& path) : listener_(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
        listen(listener_, 4);
    }
    ~FakeShell() {
        close(peer_);
        close(listener_);
    }
    void accept(const std::string& greeting = "hello 1") {
        peer_ = ::accept(listener_, nullptr, nullptr);
        say(greeting);
    }
    void say(const std::string& line) {
        const std::string message = line + "\n";
        ASSERT_EQ(write(peer_, message.data(), message.size()),
                  static_cast<ssize_t>(message.size()));
    }
    /// The next line Tovra sent, while `queue` runs; "<none>" after `turns` turns of 10 ms.
    std::string heard(PollMainQueue& queue, int turns = 500) {
        for (; turns > 0; --turns) {
            if (const auto end = input_.find('\n'); end != std::string::npos) {
                std::string line = input_.substr(0, end);
                input_.erase(0, end + 1);
                return line;
            }
            pollfd readable{peer_, POLLIN, 0};
            char buffer[4096];
            if (poll(&readable, 1, 0) > 0) {
                const ssize_t n = read(peer_, buffer, sizeof buffer);
                if (n <= 0) {
                    return "<closed>";
                }
                input_.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            queue.runOnce(std::chrono::milliseconds(10));
        }
        return "<none>";
    }
    /// Skips what Tovra sets up on a greeting (its shortcuts) up to the first other line.
    std::string heardBeyondGrabs(PollMainQueue& queue) {
        std::string line;
        while ((line = heard(queue)).rfind("grab ", 0) == 0 || line == "ungrab-all") {
        }
        return line;
    }

  private:
    int listener_;
    int peer_ = -1;
    std::string input_;
};

class GnomeBackend : public ::testing::Test {
  protected:
    GnomeBackend() : path(directory() + "/bridge"), shell(path) {}
    ~GnomeBackend() override {
        std::filesystem::remove_all(std::filesystem::path(path).parent_path());
    }

    static std::string directory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tovra-gnome-XXXXXX").string();
        return mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }

    std::unique_ptr<GnomePlatform> connect(std::size_t maxBytes = 0) {
        GnomePlatform::Options options;
        options.socketPath = path;
        options.pasteboard.maxBytes = maxBytes;
        // The platform waits for the greeting on its own: the shell accepts meanwhile.
        std::thread accepting([this] { shell.accept(); });
        auto platform = std::make_unique<GnomePlatform>(queue, std::move(options));
        accepting.join();
        return platform;
    }

    std::string path;
    FakeShell shell;
    PollMainQueue queue;
};

TEST_F(GnomeBackend, ACopyIsReadTypeByTypeWithinTheBudgetAndOverItIsNoCopy) {
    auto platform = connect(8);
    ASSERT_TRUE(platform->trust().isTrusted());
    std::vector<std::string> texts;
    platform->pasteboard().observeChanges([&](const PasteboardChange& change) {
        texts.push_back(change.contents->empty()
                            ? "<nothing>"
                            : std::string(change.contents->back().data.view()));
    });
    shell.say("selection 7 image/png text/plain;charset=utf-8");
    // The budget left, and a byte more to tell an overrun.
    EXPECT_EQ(shell.heard(queue), "read 7 text/plain;charset=utf-8 9");
    shell.say("data 7 text/plain;charset=utf-8 " + gnome::base64Encode("héllo"));
    EXPECT_EQ(shell.heard(queue), "read 7 image/png 3");
    shell.say("nodata 7 image/png");
    shell.say("selection 8 text/plain;charset=utf-8");
    EXPECT_EQ(shell.heard(queue), "read 8 text/plain;charset=utf-8 9");
    shell.say("data 8 text/plain;charset=utf-8 " + gnome::base64Encode("nine byte"));
    for (int turns = 0; turns < 500 && texts.size() < 2; ++turns) {
        queue.runOnce(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"héllo", "<nothing>"}));
}

TEST_F(GnomeBackend, OurWriteGoesAsTextAndAWipeOnlyWhileItIsStillOurs) {
    auto platform = connect();
    Pasteboard& pasteboard = platform->pasteboard();
    pasteboard.clearContents();
    pasteboard.setString("<b>x</b>", "public.html");
    pasteboard.setString("x", "public.utf8-plain-text");
    EXPECT_TRUE(pasteboard.publishWrites());
    EXPECT_EQ(shell.heard(queue), "set 1 text/plain;charset=utf-8 " + gnome::base64Encode("x"));
    pasteboard.clearContents();
    pasteboard.commitPendingWrites();
    EXPECT_EQ(shell.heard(queue), "wipe 1");

    pasteboard.clearContents();
    pasteboard.setString("y", "public.utf8-plain-text");
    pasteboard.commitPendingWrites();
    EXPECT_EQ(shell.heard(queue), "set 2 text/plain;charset=utf-8 " + gnome::base64Encode("y"));
    shell.say("replaced 2");  // someone copied since
    EXPECT_EQ(shell.heard(queue, 20), "<none>");
    pasteboard.clearContents();
    pasteboard.commitPendingWrites();
    EXPECT_EQ(shell.heard(queue, 20), "<none>");
}

TEST_F(GnomeBackend, APressIsAnsweredAndThePasteTypedWithTheTerminalsModifiers) {
    auto platform = connect();
    KeyboardTap& tap = platform->keyboardTap();
    tap.setShortcuts({{{Key::v, command}, {Key::v, command | shift}}, {{Key::escape, noModifier}}});
    std::vector<KeyPress> presses;
    ASSERT_TRUE(tap.start([&](const KeyPress& press) {
        presses.push_back(press);
        return press.modifiers == command ? KeyAnswer::hold : KeyAnswer::pass;
    }));
    EXPECT_EQ(shell.heard(queue), "ungrab-all");
    EXPECT_EQ(shell.heard(queue), "grab v ctrl");
    shell.say("press 4 v ctrl+shift");
    EXPECT_EQ(shell.heardBeyondGrabs(queue), "replay 4");
    shell.say("press 5 v ctrl");
    EXPECT_EQ(shell.heard(queue, 20), "<none>");  // held
    ASSERT_TRUE(tap.isHeld(5));
    tap.postSyntheticPaste(command | shift);
    EXPECT_EQ(shell.heard(queue), "type ctrl+shift");
    tap.swallowHeld(5);
    EXPECT_EQ(shell.heard(queue), "swallow 5");
    ASSERT_EQ(presses.size(), 2U);
    EXPECT_EQ(presses[0].modifiers, command | shift);
    EXPECT_EQ(presses[0].key, Key::v);

    // Shortcuts the user chose are taken at once, under the names the extension binds.
    tap.setShortcuts({{{Key::v, command}, {Key::f5, command | option}}, {}});
    EXPECT_EQ(shell.heard(queue), "ungrab-all");
    EXPECT_EQ(shell.heard(queue), "grab v ctrl");
    EXPECT_EQ(shell.heard(queue), "grab f5 ctrl+alt");
    shell.say("press 6 f5 ctrl+alt");
    EXPECT_EQ(shell.heard(queue), "replay 6");
    ASSERT_EQ(presses.size(), 3U);
    EXPECT_EQ(presses[2].key, Key::f5);
}

TEST_F(GnomeBackend, AnotherProgramsExtensionRefusesAndNothingIsTrusted) {
    GnomePlatform::Options options;
    options.socketPath = path;
    std::thread refusing([this] { shell.accept("refused"); });
    GnomePlatform platform(queue, std::move(options));
    refusing.join();
    EXPECT_FALSE(platform.trust().isTrusted());
    EXPECT_NE(platform.trust().explanation().find("/usr/bin/tovra"), std::string::npos);
}

TEST(GnomeBase64, RoundTripsEveryLengthAndRejectsWhatIsNotBase64) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) {
        const auto decoded = gnome::base64Decode(gnome::base64Encode(bytes));
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->view(), bytes);
        bytes.push_back(static_cast<char>(i * 37));
    }
    for (const char* invalid : {"abc", "ab=c", "a===", "****", "YQ==YQ=="}) {
        EXPECT_FALSE(gnome::base64Decode(invalid)) << invalid;
    }
}

}  // namespace
}  // namespace tovra
