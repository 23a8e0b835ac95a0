#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;

/// The connection to Tovra's GNOME Shell extension: one line per message, space-separated
/// fields. The extension serves only the installed tovra and says "refused" to anyone else.
/// While it is not there (not installed, disabled, the shell restarting) the bridge knocks
/// again every few seconds; each "hello" tells the listeners to set up anew.
class GnomeBridge {
  public:
    using Fields = std::vector<std::string_view>;

    GnomeBridge(MainQueue& mainQueue, std::string socketPath);
    ~GnomeBridge();
    GnomeBridge(const GnomeBridge&) = delete;
    GnomeBridge& operator=(const GnomeBridge&) = delete;

    /// Where the extension listens: in the user's runtime directory.
    static std::string defaultSocketPath();

    /// Connects now and whenever the connection is lost.
    void start();
    /// Waits up to `timeoutMs` for the extension's greeting on a connection just made, so a
    /// start finds it there rather than a moment later.
    void waitForGreeting(int timeoutMs);
    /// True once the extension greeted us, until the connection ends.
    [[nodiscard]] bool isConnected() const { return greeted_; }
    /// The extension answered that it serves another program.
    [[nodiscard]] bool wasRefused() const { return refused_; }
    /// Sends one message; dropped while not connected. A shell that takes nothing for a while
    /// ends the connection rather than freeze Tovra.
    void send(std::string_view line);
    /// Runs `handler` for every message whose first field is `command`.
    void on(std::string command, std::function<void(const Fields&)> handler);
    /// Runs `changed` with the new state each time the extension greets us or goes away.
    void onConnectionChanged(std::function<void(bool connected)> changed);

    /// How long the shell may leave a message unread before the connection is given up.
    static constexpr int sendTimeoutMs = 2000;
    /// The longest message taken: a full clipboard budget in base64, and some.
    static constexpr std::size_t maxLineBytes = 64U << 20U;

  private:
    void connect();
    void onReadable();
    void dispatch(std::string_view received);
    void disconnect();

    MainQueue& mainQueue_;
    std::string socketPath_;
    int fd_ = -1;
    bool greeted_ = false;
    bool refused_ = false;
    std::string input_;
    TaskHandle readWatch_;
    TaskHandle knock_;
    std::map<std::string, std::vector<std::function<void(const Fields&)>>, std::less<>> handlers_;
    std::vector<std::function<void(bool)>> connectionChanged_;
};

}  // namespace tovra
