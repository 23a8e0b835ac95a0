#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Surfaces.h"
#include "Tovra/capture/ClipboardWatcher.h"
#include "Tovra/capture/PasteController.h"
#include "Tovra/core/BurstSeparator.h"
#include "Tovra/core/PrivacyMode.h"
#include "Tovra/core/QueueMode.h"
#include "Tovra/core/QueueTimeout.h"
#include "platform/Workspace.h"

namespace tovra {

class AccessibilityTrust;
class KeyboardTap;
class LoginItem;
class MainQueue;
class Pasteboard;
class PasteboardCoordinator;
class QueueLifecycleController;
class QueueManager;
class SmartModeEngine;
class StackStore;

/// The platform services the controller runs on; main() passes the real ones, tests fakes.
struct AppEnvironment {
    Pasteboard& pasteboard;
    MainQueue& mainQueue;
    KeyboardTap& keyboardTap;
    Workspace& workspace;
    AccessibilityTrust& trust;
    LoginItem* loginItem = nullptr;
    SmartModeEngine* smartEngine = nullptr;  // the shared engine when null
};

/// The application's hub: it owns the stacks, the watcher and the paste controller, turns every
/// copy into queued items and every paste into the next item, carries out every command, and
/// refreshes every surface after each change. Settings live in memory only.
class AppDelegate final : public ClipboardWatcherDelegate,
                          public PasteControllerDelegate,
                          public HUDWindowDragDelegate,
                          public std::enable_shared_from_this<AppDelegate> {
  public:
    /// Menu actions whose enabling depends on the state.
    enum class MenuAction { pasteNext, clearQueue, checkForUpdates, other };

    static std::shared_ptr<AppDelegate> create(AppEnvironment environment, AppSurfaces surfaces);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Lifecycle
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void workspaceWillSleep();

    // The queue
    void setStackActive(bool active);
    void handleCapturedPayload(ClipboardPayload payload);
    bool pasteNext(bool triggerPaste);
    void refresh(bool revealOverlay);
    void refreshStatus();
    void applyQueueLimits();
    void rescheduleTimeout();
    bool checkPermission(bool prompt);
    void showPermissionWindow();

    // ClipboardWatcherDelegate / PasteControllerDelegate
    void clipboardWatcherDidCapture(ClipboardWatcher& watcher, ClipboardPayload payload) override;
    void toggleQueue() override;
    void captureAfterCopy() override;
    bool pasteNext() override;
    bool burstPaste() override;
    bool clearFromOverlay() override;
    bool dropNext() override;
    bool revealOverlay() override;
    bool moveNextUp() override;
    bool moveNextDown() override;
    bool swapEnds() override;
    bool togglePinNext() override;
    bool selectStack(int index) override;

    // HUDWindowDragDelegate: the overlay's rows
    void hudDidMoveItem(const Uuid& id, int toIndex) override;
    void hudDidDeleteItem(const Uuid& id) override;
    void hudDidTogglePin(const Uuid& id) override;

    // Menu and window commands
    [[nodiscard]] bool validateMenuItem(MenuAction action) const;
    void toggleStackFromMenu();
    void pasteNextFromMenu();
    bool pasteQueueItemFromMenu(std::optional<long> position);
    void clearQueueFromMenu();
    void openQueueFromMenu();
    void openPreferencesFromMenu();
    /// The preferences' switches set a value rather than flip it.
    void setHUDInteractionEnabled(bool enabled);
    void setAnimationsEnabled(bool enabled);
    void selectQueueMode(std::string_view raw);
    void selectStackFromMenu(std::optional<long> index);
    void selectPrivacyMode(std::string_view raw);
    void selectBurstSeparator(std::string_view raw);
    void selectQueueTimeout(std::string_view raw);
    void pinNextFromMenu();
    void swapEndsFromMenu();
    void toggleHUDInteraction();
    void toggleAnimations();
    void clearSmartLearning();
    void toggleLaunchAtLogin();
    void checkPermissionFromMenu();
    /// The control window's clear: no confirmation.
    void clearFromControlWindow();
    /// Shows the control window.
    void showStackFromMenu();
    /// The frame's windows and update commands; nothing without its services.
    void showAboutFromMenu();
    void showSupportFromMenu();
    void checkForUpdatesFromMenu();
    void installPendingUpdateFromMenu();
    void copyDiagnosticsFromMenu();
    /// A text Tovra's own windows copy: on the clipboard, and queued as one item while on.
    void copyText(const std::string& text);

    // Queue panel providers and handlers
    [[nodiscard]] std::vector<ItemRow> panelItems() const;
    [[nodiscard]] QueueMode panelQueueMode() const;
    [[nodiscard]] QueueMode panelSelectedMode() const;
    [[nodiscard]] int activeStackIndex() const;
    [[nodiscard]] static int availableStackCount() { return 3; }
    void pasteItem(const Uuid& id);
    void removeItem(const Uuid& id);
    void togglePinItem(const Uuid& id);
    void moveItem(const Uuid& id, long index);
    void clearFromPanel();
    /// Remembered when the panel opens, so a paste from it goes back to that application.
    void setApplicationBeforePanel(std::optional<FrontmostApplication> application) {
        applicationBeforePanel_ = std::move(application);
    }

    // State
    [[nodiscard]] bool isStackActive() const { return isStackActive_; }
    [[nodiscard]] bool shortcutCaptureAvailable() const { return shortcutCaptureAvailable_; }
    [[nodiscard]] PrivacyMode privacyMode() const { return privacyMode_; }
    [[nodiscard]] BurstSeparator burstSeparator() const { return burstSeparator_; }
    [[nodiscard]] const std::string& customBurstSeparator() const { return customBurstSeparator_; }
    [[nodiscard]] QueueTimeout queueTimeout() const { return queueTimeout_; }
    [[nodiscard]] bool hudInteractionEnabled() const { return hudInteractionEnabled_; }
    [[nodiscard]] bool animationsEnabled() const { return animationsEnabled_; }
    [[nodiscard]] StackStore& stackStore() const { return *stackStore_; }
    [[nodiscard]] QueueManager& activeQueue() const;
    [[nodiscard]] PasteController& pasteController() { return pasteController_; }
    [[nodiscard]] PasteboardCoordinator& pasteboardCoordinator();
    /// "Tovra 2 · Smart / LIFO (3)".
    [[nodiscard]] std::string overlayTitle() const;

  private:
    AppDelegate(AppEnvironment environment, AppSurfaces surfaces);
    QueueLifecycleController& lifecycle();
    /// The frame when its services exist.
    [[nodiscard]] ApplicationFrame* services() const;
    [[nodiscard]] std::optional<std::string> pendingUpdateVersion() const;
    std::optional<std::string> frontmostId();
    [[nodiscard]] bool overlayVisible() const;
    /// Overlay commands act, and swallow their keystroke, only while the overlay is on screen.
    bool whileOverlayVisible(const std::function<void()>& action);
    [[nodiscard]] std::vector<ItemRow> rows(bool ordered) const;
    void pasteChosen(const Uuid& id);
    void clearActiveQueue();
    std::function<void()> weakly(void (AppDelegate::*method)());

    AppEnvironment environment_;
    AppSurfaces surfaces_;
    SmartModeEngine& smartEngine_;
    std::shared_ptr<StackStore> stackStore_;
    std::shared_ptr<ClipboardWatcher> clipboardWatcher_;
    PasteController pasteController_;
    std::shared_ptr<PasteboardCoordinator> pasteboardCoordinator_;
    std::unique_ptr<QueueLifecycleController> queueLifecycleController_;

    bool isStackActive_ = false;
    PrivacyMode privacyMode_ = PrivacyMode::partialMask;
    BurstSeparator burstSeparator_ = BurstSeparator::tab;
    std::string customBurstSeparator_{defaultCustomBurstSeparator};
    QueueTimeout queueTimeout_ = QueueTimeout::never;
    bool hudInteractionEnabled_ = true;
    bool animationsEnabled_ = true;
    bool shortcutCaptureAvailable_ = false;
    std::optional<FrontmostApplication> applicationBeforePanel_;
    std::vector<TaskHandle> pendingWork_;
};

}  // namespace tovra
