#pragma once

#include <string>

namespace tovra::test {

/// Points the XDG base directories of this process and its children at a fresh temporary
/// folder for as long as it lives: no test reads or writes the user's settings, autostart
/// entries or caches, and the system's autostart entries ($XDG_CONFIG_DIRS) are out of view.
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
