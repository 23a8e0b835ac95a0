#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/Workspace.h"

struct org_kde_plasma_window;

namespace tovra {

class WaylandConnection;

/// KWin's list of windows (its task manager's protocol), which it grants to the program of our
/// desktop entry: the active window's app id and process, and activating a window again.
class KWinWindowList {
  public:
    /// Null when KWin does not grant the list to this program.
    static std::unique_ptr<KWinWindowList> bind(WaylandConnection& connection);
    ~KWinWindowList();
    KWinWindowList(const KWinWindowList&) = delete;
    KWinWindowList& operator=(const KWinWindowList&) = delete;

    [[nodiscard]] std::optional<FrontmostApplication> frontmostApplication() const;
    /// Asks KWin to activate the window; false when it is gone.
    bool activate(std::uint64_t window);

  private:
    friend struct KWinWindowListEvents;
    struct Window {
        std::uint64_t id = 0;
        std::string appId;
        std::optional<std::int64_t> pid;
        bool active = false;
    };

    explicit KWinWindowList(WaylandConnection& connection) : connection_(connection) {}

    WaylandConnection& connection_;
    std::map<org_kde_plasma_window*, Window> windows_;
    std::uint64_t nextId_ = 1;
};

}  // namespace tovra
