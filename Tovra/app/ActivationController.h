#pragma once

#include <functional>

namespace tovra {

struct AppContext;
class SurfaceRefresher;

/// The queue's life: launch, switching on and off, the missing permission, sleep and quitting,
/// and launch at login.
class ActivationController {
  public:
    ActivationController(AppContext& context, SurfaceRefresher& surfaces)
        : context_(context), surfaces_(surfaces) {}

    /// Starts the frame and the queue; the welcome's primary action runs `openQueue`.
    void applicationDidFinishLaunching(std::function<void()> openQueue);
    void applicationWillTerminate();
    void workspaceWillSleep();

    /// On: only with the permission and the shortcuts; off empties every stack.
    void setStackActive(bool active);
    void toggleQueue();
    /// True when the queue could be switched on; asks the system when `prompt`.
    bool checkPermission(bool prompt);
    void showPermissionWindow();
    void checkPermissionFromMenu();
    void toggleLaunchAtLogin();

  private:
    AppContext& context_;
    SurfaceRefresher& surfaces_;
};

}  // namespace tovra
