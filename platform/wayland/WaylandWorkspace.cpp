#include "WaylandWorkspace.h"

#include <cstring>

#include "WaylandConnection.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client.h"

namespace tovra {

namespace {

using Handle = zwlr_foreign_toplevel_handle_v1;

}  // namespace

// The handle's events find their toplevel through the workspace's map; the map's owner is
// passed as the listener's data.
struct WaylandWorkspaceEvents {
    static std::map<Handle*, WaylandWorkspace::Toplevel>& toplevels(void* data) {
        return static_cast<WaylandWorkspace*>(data)->toplevels_;
    }
    static void title(void*, Handle*, const char*) {}
    static void appId(void* data, Handle* handle, const char* appId) {
        toplevels(data)[handle].pendingAppId = appId;
    }
    static void outputEnter(void*, Handle*, wl_output*) {}
    static void outputLeave(void*, Handle*, wl_output*) {}
    static void state(void* data, Handle* handle, wl_array* states) {
        bool activated = false;
        const auto* values = static_cast<const std::uint32_t*>(states->data);
        for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i) {
            activated = activated || values[i] == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
        }
        toplevels(data)[handle].pendingActivated = activated;
    }
    static void done(void* data, Handle* handle) {
        auto& toplevel = toplevels(data)[handle];
        toplevel.appId = toplevel.pendingAppId;
        toplevel.activated = toplevel.pendingActivated;
    }
    static void closed(void* data, Handle* handle) {
        toplevels(data).erase(handle);
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
};

namespace {
const zwlr_foreign_toplevel_handle_v1_listener handleListener{
    WaylandWorkspaceEvents::title,       WaylandWorkspaceEvents::appId,
    WaylandWorkspaceEvents::outputEnter, WaylandWorkspaceEvents::outputLeave,
    WaylandWorkspaceEvents::state,       WaylandWorkspaceEvents::done,
    WaylandWorkspaceEvents::closed,
};
}  // namespace

WaylandWorkspace::WaylandWorkspace(WaylandConnection& connection) : connection_(connection) {
    static const zwlr_foreign_toplevel_manager_v1_listener managerListener{
        [](void* data, zwlr_foreign_toplevel_manager_v1* manager, Handle* handle) {
            onToplevel(data, manager, handle);
        },
        [](void* data, zwlr_foreign_toplevel_manager_v1* manager) { onFinished(data, manager); },
    };
    if (connection.bindToplevelManager(&managerListener, this) == nullptr) {
        kwinWindows_ = KWinWindowList::bind(connection);
    }
}

WaylandWorkspace::~WaylandWorkspace() {
    for (const auto& [handle, toplevel] : toplevels_) {
        zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
}

void WaylandWorkspace::onToplevel(void* data, void* /*manager*/, Handle* handle) {
    auto* workspace = static_cast<WaylandWorkspace*>(data);
    workspace->toplevels_[handle].id = workspace->nextId_++;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, workspace);
}

void WaylandWorkspace::onFinished(void* data, void* /*manager*/) {
    static_cast<WaylandWorkspace*>(data)->managerFinished_ = true;
}

std::optional<FrontmostApplication> WaylandWorkspace::frontmostApplication() {
    if (kwinWindows_) {
        return kwinWindows_->frontmostApplication();
    }
    for (const auto& [handle, toplevel] : toplevels_) {
        if (toplevel.activated) {
            FrontmostApplication front;
            if (!toplevel.appId.empty()) {
                front.id = toplevel.appId;
            }
            front.window = toplevel.id;
            return front;
        }
    }
    return std::nullopt;
}

bool WaylandWorkspace::activate(const FrontmostApplication& application) {
    if (kwinWindows_) {
        return kwinWindows_->activate(application.window);
    }
    for (const auto& [handle, toplevel] : toplevels_) {
        if (toplevel.id == application.window && connection_.seat() != nullptr) {
            zwlr_foreign_toplevel_handle_v1_activate(handle, connection_.seat());
            connection_.flush();
            return true;
        }
    }
    return false;
}

}  // namespace tovra
