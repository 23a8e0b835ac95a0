#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tovra {

/// The application the user works in, as far as the desktop tells.
struct FrontmostApplication {
    /// Its application id ("org.gnome.Terminal"), when it has one.
    std::optional<std::string> id;
    std::optional<std::int64_t> pid;
    /// A platform window handle, for activating it again later.
    std::uint64_t window = 0;

    friend bool operator==(const FrontmostApplication&, const FrontmostApplication&) = default;
};

class Workspace {
  public:
    Workspace() = default;
    virtual ~Workspace() = default;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    [[nodiscard]] virtual std::optional<FrontmostApplication> frontmostApplication() = 0;
    /// Brings that application's window to the front; false when it is gone.
    virtual bool activate(const FrontmostApplication& application) = 0;
};

}  // namespace tovra
