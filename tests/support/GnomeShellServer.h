#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tovra::test {

/// A private headless GNOME Shell (Debian's gnome-shell, Wayland only, one virtual monitor) for
/// one test executable: its own system and session buses, runtime directory and home, where
/// Tovra's extension is installed and enabled, serving the program named at start.
class GnomeShellServer {
  public:
    GnomeShellServer() = default;
    ~GnomeShellServer() { stop(); }
    GnomeShellServer(const GnomeShellServer&) = delete;
    GnomeShellServer& operator=(const GnomeShellServer&) = delete;

    /// Installs the extension configured in `extension` to serve `trustedProgram`, starts the
    /// shell and waits until the extension listens; false with a reason on failure.
    bool start(const std::string& extension, const std::string& trustedProgram, std::string& error);
    void stop();
    /// What a client of this shell needs in its environment ("NAME=value").
    [[nodiscard]] std::vector<std::string> clientEnvironment() const;
    [[nodiscard]] std::string sessionBusAddress() const;
    /// The socket the extension serves.
    [[nodiscard]] std::string bridgeSocket() const;

  private:
    pid_t systemBus_ = -1;
    pid_t sessionBus_ = -1;
    pid_t shell_ = -1;
    std::string directory_;
};

}  // namespace tovra::test
