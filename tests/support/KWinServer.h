#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace tovra {
class WaylandConnection;
class WaylandWorkspace;
}  // namespace tovra

namespace tovra::test {

/// A private headless KWin (Debian's kwin_wayland, virtual backend) for one test executable, in
/// a bus, runtime, data and configuration directories of its own. KWin grants its fake input
/// and window list to the programs of desktop entries in its data directory: to the programs
/// named here and to this test executable (which reads the window list to tell the focus).
/// This process and its children reach it through an absolute WAYLAND_DISPLAY.
class KWinServer {
  public:
    KWinServer();
    ~KWinServer();
    KWinServer(const KWinServer&) = delete;
    KWinServer& operator=(const KWinServer&) = delete;

    /// Starts KWin and points WAYLAND_DISPLAY at it; false with a reason on failure.
    bool start(const std::vector<std::string>& trustedPrograms, std::string& error);
    void stop();
    /// The one this test executable runs on, while it runs.
    static inline KWinServer* current = nullptr;

    /// The process whose window is active, or -1.
    [[nodiscard]] pid_t focusedProcess();

  private:
    pid_t pid_ = -1;
    std::string directory_;
    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<WaylandWorkspace> windows_;
};

}  // namespace tovra::test
