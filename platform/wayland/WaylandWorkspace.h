#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "KWinWindowList.h"
#include "platform/Workspace.h"

struct zwlr_foreign_toplevel_handle_v1;

namespace tovra {

class WaylandConnection;

/// The application in front, as wlroots compositors tell every client through the foreign
/// toplevel protocol (the activated toplevel's app id), or KWin through its own window list.
/// Without either (GNOME, a KWin that does not grant its list) there is no application in
/// front, and smart mode keeps its default.
class WaylandWorkspace final : public Workspace {
  public:
    explicit WaylandWorkspace(WaylandConnection& connection);
    ~WaylandWorkspace() override;

    [[nodiscard]] std::optional<FrontmostApplication> frontmostApplication() override;
    bool activate(const FrontmostApplication& application) override;

  private:
    friend struct WaylandWorkspaceEvents;
    struct Toplevel {
        std::uint64_t id = 0;
        std::string appId;
        bool activated = false;
        /// Changes wait for the compositor's "done" to count together.
        std::string pendingAppId;
        bool pendingActivated = false;
    };
    static void onToplevel(void* data, void* manager, zwlr_foreign_toplevel_handle_v1* handle);
    static void onFinished(void* data, void* manager);

    WaylandConnection& connection_;
    std::map<zwlr_foreign_toplevel_handle_v1*, Toplevel> toplevels_;
    std::uint64_t nextId_ = 1;
    bool managerFinished_ = false;
    std::unique_ptr<KWinWindowList> kwinWindows_;
};

}  // namespace tovra
