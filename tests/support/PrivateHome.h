#pragma once

#include <string>

namespace tovra::test {

/// Points the XDG base directories of this process and its children at a fresh temporary
/// folder for as long as it lives: no test reads or writes the user's settings, autostart
/// entries or caches, the system's autostart entries ($XDG_CONFIG_DIRS) are out of view, and
/// there is no D-Bus session bus (the user's would be found at $XDG_RUNTIME_DIR/bus).
class PrivateHome {
  public:
    PrivateHome();
    ~PrivateHome();
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    [[nodiscard]] const std::string& path() const { return root_; }

  private:
    std::string root_;
};

}  // namespace tovra::test
