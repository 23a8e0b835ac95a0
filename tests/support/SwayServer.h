#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tovra::test {

/// A private headless sway for one test executable, with no input devices; XWayland starts when
/// an X client first connects. sway
/// refuses to run as root: under root it runs as nobody, in a runtime directory of its own.
/// This process and its children reach it through an absolute WAYLAND_DISPLAY, keep a runtime
/// directory of their own, and never see the display the tests were started from.
class SwayServer {
  public:
    SwayServer() = default;
    ~SwayServer() { stop(); }
    SwayServer(const SwayServer&) = delete;
    SwayServer& operator=(const SwayServer&) = delete;

    /// Starts sway and points WAYLAND_DISPLAY at it; false with a reason on failure.
    bool start(std::string& error);
    void stop();
    /// The compositor's socket, an absolute path.
    [[nodiscard]] const std::string& socket() const { return socket_; }
    /// The one this test executable runs on, while it runs.
    static inline SwayServer* current = nullptr;

    /// Runs a sway command (`swaymsg`) on this compositor; true when sway accepted it.
    [[nodiscard]] bool command(const std::string& text) const;
    /// DISPLAY and XAUTHORITY ("NAME=value") for its XWayland, or nothing.
    [[nodiscard]] std::vector<std::string> xwaylandEnvironment() const;
    /// The process whose window has the keyboard focus, or -1.
    [[nodiscard]] pid_t focusedProcess() const;

  private:
    [[nodiscard]] std::string ipcSocket() const;

    pid_t pid_ = -1;
    std::string serverDirectory_;
    std::string clientDirectory_;
    std::string socket_;
};

}  // namespace tovra::test
