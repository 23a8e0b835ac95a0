#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "QueueSettings.h"
#include "Surfaces.h"
#include "Tovra/capture/ClipboardWatcher.h"
#include "Tovra/capture/PasteController.h"
#include "Tovra/capture/PasteboardCoordinator.h"
#include "Tovra/capture/QueueLifecycleController.h"
#include "Tovra/core/StackStore.h"
#include "Tovra/core/TerminalCatalog.h"

namespace tovra {

class AccessibilityTrust;
class KeyboardTap;
class LoginItem;
class MainQueue;
class Pasteboard;
class QueueManager;
class SmartModeEngine;
class Workspace;

/// The platform services the controller runs on; main() passes the real ones, tests fakes.
struct AppEnvironment {
    Pasteboard& pasteboard;
    MainQueue& mainQueue;
    KeyboardTap& keyboardTap;
    Workspace& workspace;
    AccessibilityTrust& trust;
    LoginItem* loginItem = nullptr;
    SmartModeEngine* smartEngine = nullptr;  // the shared engine when null
    /// Hands memory an emptied queue freed back to the system, which the C library would keep.
    std::function<void()> releaseFreedMemory;
    /// The shortcuts the user chose, by command ("burst-paste" = "Ctrl+Alt+B"), read at launch
    /// and written at each change: the one setting kept across launches.
    std::function<std::map<std::string, std::string>()> loadShortcuts;
    std::function<void(const std::map<std::string, std::string>&)> saveShortcuts;
};

/// What every handler of the controller shares: the platform, the surfaces, the stacks and the
/// capture machinery, built once in dependency order, and the queue's on/off state.
struct AppContext {
    AppContext(AppEnvironment platform, AppSurfaces shown);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    [[nodiscard]] QueueManager& activeQueue() const;
    /// The frontmost application's identifier, when it has one.
    [[nodiscard]] std::optional<std::string> frontmostId() const;
    [[nodiscard]] bool overlayVisible() const;
    /// The overlay is on screen because the user asked for it (its shortcut, an edit of the
    /// stack) or points at it: only then does Escape clear, never right after a copy.
    [[nodiscard]] bool overlaySummoned() const;
    /// The frame when its services exist.
    [[nodiscard]] ApplicationFrame* services() const;
    /// Wraps `action` so that it does nothing once the controller is gone: for callbacks that
    /// surfaces and the frame keep.
    template <class Action>
    [[nodiscard]] auto guarded(Action action) const {
        return [alive = std::weak_ptr<char>(alive_), action = std::move(action)](auto&&... args) {
            if (alive.lock()) {
                action(std::forward<decltype(args)>(args)...);
            }
        };
    }

    AppEnvironment environment;
    AppSurfaces surfaces;
    SmartModeEngine& smartEngine;
    StackStore stackStore;
    ClipboardWatcher clipboardWatcher;
    PasteController pasteController;
    PasteboardCoordinator pasteboardCoordinator;
    QueueLifecycleController lifecycle;
    QueueSettings settings;
    /// Which applications are terminals and the key each pastes with.
    TerminalCatalog terminals;
    bool isStackActive = false;
    /// The overlay last appeared, and stays, because the user asked for it.
    bool overlayAskedFor = false;
    bool shortcutCaptureAvailable = false;

  private:
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace tovra
