#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/TaskHandle.h"

struct zwp_virtual_keyboard_manager_v1;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_manager_v1_listener;
struct org_kde_kwin_fake_input;
struct org_kde_plasma_window_management;
struct org_kde_plasma_window_management_listener;

namespace tovra {

class MainQueue;

/// Which data-control protocol the compositor offers: the standard one, or wlroots' own.
enum class DataControlFlavor { none, ext, wlr };

/// One connection to the compositor, shared by the Wayland backends: the globals Tovra uses,
/// bound once, and the descriptor read by the main loop. Requests are flushed after each
/// dispatch and whenever a backend asks.
class WaylandConnection {
  public:
    /// Connects to the compositor named (null: $WAYLAND_DISPLAY) and binds what it offers;
    /// null with a reason when it cannot be reached.
    static std::unique_ptr<WaylandConnection> open(const char* displayName, std::string& error);
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    [[nodiscard]] wl_display* display() const { return display_; }
    [[nodiscard]] wl_seat* seat() const { return seat_; }
    [[nodiscard]] DataControlFlavor dataControlFlavor() const { return dataControlFlavor_; }
    /// The data-control manager of `dataControlFlavor()`, or null.
    [[nodiscard]] wl_proxy* dataControlManager() const { return dataControlManager_; }
    [[nodiscard]] zwp_virtual_keyboard_manager_v1* virtualKeyboardManager() const {
        return virtualKeyboardManager_;
    }
    /// KWin's fake input, when it offers it to us (the desktop entry asks for it) at a version
    /// that types keys; null otherwise.
    [[nodiscard]] org_kde_kwin_fake_input* fakeInput() const { return fakeInput_; }
    /// Binds the compositor's list of windows for `listener`, once (null when it has none, or
    /// on a second call). It announces every window open now as soon as it is bound, so it is
    /// bound only when its listener is there to hear them.
    zwlr_foreign_toplevel_manager_v1* bindToplevelManager(
        const zwlr_foreign_toplevel_manager_v1_listener* listener, void* data);
    /// KWin's list of windows, as `bindToplevelManager` (which it does not offer).
    org_kde_plasma_window_management* bindPlasmaWindowManagement(
        const org_kde_plasma_window_management_listener* listener, void* data);
    /// The global interfaces this compositor offers, by name, for telling what is missing.
    [[nodiscard]] bool offers(const std::string& interfaceName) const;
    /// Runs when the seat in use went (`seat()` is then another one, or null) or one came while
    /// there was none; devices made from the old seat are finished by the compositor.
    [[nodiscard]] TaskHandle onSeatChanged(std::function<void()> changed);

    /// Starts reading events from the main loop; `lost` runs once when the compositor goes.
    void attach(MainQueue& mainQueue, std::function<void()> lost);
    /// Sends the requests made so far.
    void flush();
    /// Waits until the compositor has handled every request sent so far, without running any
    /// event handler meanwhile (their events wait for the next dispatch). False when it is gone.
    bool sync();
    [[nodiscard]] bool isLost() const;
    /// Main thread: dispatches on a later turn what was read meanwhile (by another thread, or
    /// by a wait that ran no handler).
    void scheduleDispatch();

  private:
    /// Binds the global `interface` for `listener` at the highest version offered up to
    /// `highest`; null when it is not offered at `lowest` or above.
    wl_proxy* bindListened(const wl_interface& interface, std::uint32_t lowest,
                           std::uint32_t highest, const void* listener, void* data);
    struct Global {
        std::string interface;
        std::uint32_t version;
    };
    struct SeatObserver {
        std::weak_ptr<TaskState> state;
        std::function<void()> changed;
    };
    static const wl_registry_listener registryListener;

    explicit WaylandConnection(wl_display* display);
    void onGlobal(std::uint32_t name, const char* interface, std::uint32_t version);
    void onGlobalRemove(std::uint32_t name);
    void bindGlobal(std::uint32_t name, const char* interface, std::uint32_t version);
    void tellSeatChanged();
    void dispatch();
    void checkLost();

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    /// Every global announced and not removed, by name.
    std::map<std::uint32_t, Global> globals_;
    /// Once the first list is in: later globals are bound as they come.
    bool listed_ = false;
    wl_seat* seat_ = nullptr;
    std::uint32_t seatName_ = 0;
    std::vector<SeatObserver> seatObservers_;
    DataControlFlavor dataControlFlavor_ = DataControlFlavor::none;
    wl_proxy* dataControlManager_ = nullptr;
    zwp_virtual_keyboard_manager_v1* virtualKeyboardManager_ = nullptr;
    zwlr_foreign_toplevel_manager_v1* toplevelManager_ = nullptr;
    org_kde_kwin_fake_input* fakeInput_ = nullptr;
    org_kde_plasma_window_management* plasmaWindowManagement_ = nullptr;
    MainQueue* mainQueue_ = nullptr;
    TaskHandle readWatch_;
    std::function<void()> lost_;
    bool lostReported_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tovra
