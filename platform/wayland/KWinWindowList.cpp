#include "KWinWindowList.h"

#include "WaylandConnection.h"
#include "plasma-window-management-client.h"

namespace tovra {

// The window's events find it through the list's map; the list is the listeners' data.
struct KWinWindowListEvents {
    static KWinWindowList::Window& window(void* data, org_kde_plasma_window* window) {
        return static_cast<KWinWindowList*>(data)->windows_[window];
    }
    static void appId(void* data, org_kde_plasma_window* handle, const char* appId) {
        window(data, handle).appId = appId;
    }
    static void state(void* data, org_kde_plasma_window* handle, std::uint32_t flags) {
        window(data, handle).active = (flags & ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE) != 0;
    }
    static void pid(void* data, org_kde_plasma_window* handle, std::uint32_t pid) {
        window(data, handle).pid = pid;
    }
    static void unmapped(void* data, org_kde_plasma_window* handle) {
        static_cast<KWinWindowList*>(data)->windows_.erase(handle);
        org_kde_plasma_window_destroy(handle);
    }
    static void mapped(void* data, org_kde_plasma_window_management* manager, std::uint32_t id);
    static void mappedWithUuid(void* data, org_kde_plasma_window_management* manager,
                               std::uint32_t id, const char* uuid);
    static void listen(void* data, org_kde_plasma_window* handle);
};

namespace {

// Every event has a handler, the ones we ignore and the ones of later versions included: KWin
// 5.27 sends some of those whatever version was bound.
const org_kde_plasma_window_listener windowListener{
    .title_changed = [](void*, org_kde_plasma_window*, const char*) {},
    .app_id_changed = KWinWindowListEvents::appId,
    .state_changed = KWinWindowListEvents::state,
    .virtual_desktop_changed = [](void*, org_kde_plasma_window*, std::int32_t) {},
    .themed_icon_name_changed = [](void*, org_kde_plasma_window*, const char*) {},
    .unmapped = KWinWindowListEvents::unmapped,
    .initial_state = [](void*, org_kde_plasma_window*) {},
    .parent_window = [](void*, org_kde_plasma_window*, org_kde_plasma_window*) {},
    .geometry = [](void*, org_kde_plasma_window*, std::int32_t, std::int32_t, std::uint32_t,
                   std::uint32_t) {},
    .icon_changed = [](void*, org_kde_plasma_window*) {},
    .pid_changed = KWinWindowListEvents::pid,
    .virtual_desktop_entered = [](void*, org_kde_plasma_window*, const char*) {},
    .virtual_desktop_left = [](void*, org_kde_plasma_window*, const char*) {},
    .application_menu = [](void*, org_kde_plasma_window*, const char*, const char*) {},
    .activity_entered = [](void*, org_kde_plasma_window*, const char*) {},
    .activity_left = [](void*, org_kde_plasma_window*, const char*) {},
    .resource_name_changed = [](void*, org_kde_plasma_window*, const char*) {},
};

const org_kde_plasma_window_management_listener managementListener{
    .show_desktop_changed = [](void*, org_kde_plasma_window_management*, std::uint32_t) {},
    .window = KWinWindowListEvents::mapped,
    .stacking_order_changed = [](void*, org_kde_plasma_window_management*, wl_array*) {},
    .stacking_order_uuid_changed = [](void*, org_kde_plasma_window_management*, const char*) {},
    .window_with_uuid = KWinWindowListEvents::mappedWithUuid,
};

}  // namespace

void KWinWindowListEvents::mapped(void* data, org_kde_plasma_window_management* manager,
                                  std::uint32_t id) {
    // From version 13 on every window is announced twice, by number and by uuid.
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(manager)) <
        ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION) {
        listen(data, org_kde_plasma_window_management_get_window(manager, id));
    }
}

void KWinWindowListEvents::mappedWithUuid(void* data, org_kde_plasma_window_management* manager,
                                          std::uint32_t /*id*/, const char* uuid) {
    listen(data, org_kde_plasma_window_management_get_window_by_uuid(manager, uuid));
}

void KWinWindowListEvents::listen(void* data, org_kde_plasma_window* handle) {
    auto* list = static_cast<KWinWindowList*>(data);
    window(data, handle).id = list->nextId_++;
    org_kde_plasma_window_add_listener(handle, &windowListener, data);
}

std::unique_ptr<KWinWindowList> KWinWindowList::bind(WaylandConnection& connection) {
    std::unique_ptr<KWinWindowList> list(new KWinWindowList(connection));
    if (connection.bindPlasmaWindowManagement(&managementListener, list.get()) == nullptr) {
        return nullptr;
    }
    return list;
}

KWinWindowList::~KWinWindowList() {
    for (const auto& [handle, window] : windows_) {
        org_kde_plasma_window_destroy(handle);
    }
}

std::optional<FrontmostApplication> KWinWindowList::frontmostApplication() const {
    for (const auto& [handle, window] : windows_) {
        if (window.active) {
            FrontmostApplication front;
            if (!window.appId.empty()) {
                front.id = window.appId;
            }
            front.pid = window.pid;
            front.window = window.id;
            return front;
        }
    }
    return std::nullopt;
}

bool KWinWindowList::activate(std::uint64_t window) {
    for (const auto& [handle, entry] : windows_) {
        if (entry.id == window) {
            org_kde_plasma_window_set_state(handle, ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE,
                                            ORG_KDE_PLASMA_WINDOW_MANAGEMENT_STATE_ACTIVE);
            connection_.flush();
            return true;
        }
    }
    return false;
}

}  // namespace tovra
