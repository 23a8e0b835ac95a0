#include "WaylandConnection.h"

#include <poll.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "ext-data-control-v1-client.h"
#include "fake-input-client.h"
#include "plasma-window-management-client.h"
#include "platform/MainQueue.h"
#include "virtual-keyboard-unstable-v1-client.h"
#include "wlr-data-control-unstable-v1-client.h"
#include "wlr-foreign-toplevel-management-unstable-v1-client.h"

namespace tovra {

// The registry speaks for the connection's whole life: outputs and seats come and go with
// monitors, docks and sleep.
const wl_registry_listener WaylandConnection::registryListener{
    [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
        static_cast<WaylandConnection*>(data)->onGlobal(name, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t name) {
        static_cast<WaylandConnection*>(data)->onGlobalRemove(name);
    },
};

std::unique_ptr<WaylandConnection> WaylandConnection::open(const char* displayName,
                                                           std::string& error) {
    wl_display* display = wl_display_connect(displayName);
    if (display == nullptr) {
        error = "cannot reach the Wayland compositor";
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
    connection->registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(connection->registry_, &registryListener, connection.get());
    if (wl_display_roundtrip(display) < 0) {
        error = "the Wayland compositor closed the connection";
        return nullptr;
    }
    // Binding after the whole list is known: the standard protocol wins over wlroots' own.
    connection->listed_ = true;
    for (const auto& [name, global] : connection->globals_) {
        connection->bindGlobal(name, global.interface.c_str(), global.version);
    }
    if (wl_display_roundtrip(display) < 0) {
        error = "the Wayland compositor closed the connection";
        return nullptr;
    }
    return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {}

WaylandConnection::~WaylandConnection() {
    readWatch_.cancel();
    if (toplevelManager_ != nullptr) {
        zwlr_foreign_toplevel_manager_v1_destroy(toplevelManager_);
    }
    if (plasmaWindowManagement_ != nullptr) {
        org_kde_plasma_window_management_destroy(plasmaWindowManagement_);
    }
    if (fakeInput_ != nullptr) {
        org_kde_kwin_fake_input_destroy(fakeInput_);
    }
    if (virtualKeyboardManager_ != nullptr) {
        zwp_virtual_keyboard_manager_v1_destroy(virtualKeyboardManager_);
    }
    if (dataControlManager_ != nullptr) {
        wl_proxy_destroy(dataControlManager_);
    }
    if (seat_ != nullptr) {
        wl_seat_destroy(seat_);
    }
    if (registry_ != nullptr) {
        wl_registry_destroy(registry_);
    }
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

void WaylandConnection::onGlobal(std::uint32_t name, const char* interface, std::uint32_t version) {
    globals_[name] = Global{interface, version};
    // Outputs and the like need nothing from us; the managers the backends hold stay as bound.
    if (listed_ && std::strcmp(interface, wl_seat_interface.name) == 0) {
        bindGlobal(name, interface, version);
    }
}

void WaylandConnection::onGlobalRemove(std::uint32_t name) {
    globals_.erase(name);
    if (seat_ == nullptr || name != seatName_) {
        return;
    }
    // Its devices hear `finished`; a seat that comes back is bound anew.
    wl_seat_destroy(seat_);
    seat_ = nullptr;
    seatName_ = 0;
    for (const auto& [otherName, global] : globals_) {
        if (global.interface == wl_seat_interface.name) {
            bindGlobal(otherName, global.interface.c_str(), global.version);
            break;
        }
    }
    if (seat_ == nullptr) {
        tellSeatChanged();
    }
}

TaskHandle WaylandConnection::onSeatChanged(std::function<void()> changed) {
    auto state = std::make_shared<TaskState>();
    seatObservers_.push_back({state, std::move(changed)});
    return TaskHandle(state);
}

void WaylandConnection::tellSeatChanged() {
    std::erase_if(seatObservers_, [](const SeatObserver& observer) {
        const auto state = observer.state.lock();
        return !state || state->cancelled;
    });
    const auto observers = seatObservers_;
    for (const auto& observer : observers) {
        if (const auto state = observer.state.lock(); state && !state->cancelled) {
            observer.changed();
        }
    }
}

void WaylandConnection::bindGlobal(std::uint32_t name, const char* interface,
                                   std::uint32_t version) {
    auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(registry_, name, type, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_seat_interface.name) == 0) {
        if (seat_ == nullptr) {
            seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 1));
            seatName_ = name;
            if (listed_) {
                flush();
                tellSeatChanged();
            }
        }
    } else if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
        if (dataControlFlavor_ == DataControlFlavor::wlr) {
            wl_proxy_destroy(dataControlManager_);
        }
        dataControlManager_ =
            static_cast<wl_proxy*>(bind(&ext_data_control_manager_v1_interface, 1));
        dataControlFlavor_ = DataControlFlavor::ext;
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 &&
               dataControlFlavor_ == DataControlFlavor::none) {
        dataControlManager_ =
            static_cast<wl_proxy*>(bind(&zwlr_data_control_manager_v1_interface, 1));
        dataControlFlavor_ = DataControlFlavor::wlr;
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        virtualKeyboardManager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
            bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    } else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 &&
               version >= ORG_KDE_KWIN_FAKE_INPUT_KEYBOARD_KEY_SINCE_VERSION) {
        fakeInput_ = static_cast<org_kde_kwin_fake_input*>(
            bind(&org_kde_kwin_fake_input_interface,
                 ORG_KDE_KWIN_FAKE_INPUT_KEYBOARD_KEY_SINCE_VERSION));
    }
}

wl_proxy* WaylandConnection::bindListened(const wl_interface& interface, std::uint32_t lowest,
                                          std::uint32_t highest, const void* listener, void* data) {
    for (const auto& [name, global] : globals_) {
        if (global.interface == interface.name && global.version >= lowest) {
            auto* proxy = static_cast<wl_proxy*>(
                wl_registry_bind(registry_, name, &interface, std::min(global.version, highest)));
            // NOLINTNEXTLINE(cppcoreguidelines-pro-type-const-cast): libwayland's C signature
            wl_proxy_add_listener(proxy, reinterpret_cast<void (**)()>(const_cast<void*>(listener)),
                                  data);
            flush();
            return proxy;
        }
    }
    return nullptr;
}

zwlr_foreign_toplevel_manager_v1* WaylandConnection::bindToplevelManager(
    const zwlr_foreign_toplevel_manager_v1_listener* listener, void* data) {
    if (toplevelManager_ != nullptr) {
        return nullptr;
    }
    toplevelManager_ = reinterpret_cast<zwlr_foreign_toplevel_manager_v1*>(
        bindListened(zwlr_foreign_toplevel_manager_v1_interface, 1, 1, listener, data));
    return toplevelManager_;
}

org_kde_plasma_window_management* WaylandConnection::bindPlasmaWindowManagement(
    const org_kde_plasma_window_management_listener* listener, void* data) {
    if (plasmaWindowManagement_ != nullptr) {
        return nullptr;
    }
    // Version 4 has all we use (a window's pid, its state, destroy). Windows are named by
    // uuid from version 13 on, and newer KWins may drop the older names: the highest is taken.
    plasmaWindowManagement_ = reinterpret_cast<org_kde_plasma_window_management*>(bindListened(
        org_kde_plasma_window_management_interface, 4,
        ORG_KDE_PLASMA_WINDOW_MANAGEMENT_WINDOW_WITH_UUID_SINCE_VERSION, listener, data));
    return plasmaWindowManagement_;
}

bool WaylandConnection::offers(const std::string& interfaceName) const {
    return std::any_of(globals_.begin(), globals_.end(),
                       [&](const auto& entry) { return entry.second.interface == interfaceName; });
}

void WaylandConnection::attach(MainQueue& mainQueue, std::function<void()> lost) {
    mainQueue_ = &mainQueue;
    lost_ = std::move(lost);
    readWatch_ = mainQueue.watchReadable(wl_display_get_fd(display_), [this] { dispatch(); });
    // Events read during the set-up wait in the queue: the descriptor will not announce them.
    scheduleDispatch();
}

void WaylandConnection::scheduleDispatch() {
    if (mainQueue_ == nullptr) {
        return;
    }
    mainQueue_->post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (const auto stillAlive = alive.lock(); stillAlive && !isLost()) {
            dispatch();
        }
    });
}

void WaylandConnection::dispatch() {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) {
            checkLost();
            return;
        }
    }
    // Reads only what has arrived. Another thread reading this connection (our sources')
    // waits in the same read while the descriptor is quiet: reading then would wait for it.
    pollfd descriptor{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&descriptor, 1, 0) > 0) {
        wl_display_read_events(display_);
    } else {
        wl_display_cancel_read(display_);
    }
    wl_display_dispatch_pending(display_);
    flush();
}

void WaylandConnection::flush() {
    wl_display_flush(display_);
    checkLost();
}

bool WaylandConnection::sync() {
    wl_event_queue* queue = wl_display_create_queue(display_);
    const bool done = wl_display_roundtrip_queue(display_, queue) >= 0;
    wl_event_queue_destroy(queue);
    // The wait may have read others' events off the descriptor.
    scheduleDispatch();
    checkLost();
    return done;
}

bool WaylandConnection::isLost() const {
    return wl_display_get_error(display_) != 0;
}

void WaylandConnection::checkLost() {
    if (lostReported_ || !isLost()) {
        return;
    }
    lostReported_ = true;
    readWatch_.cancel();
    if (lost_) {
        mainQueue_->post(lost_);
    }
}

}  // namespace tovra
