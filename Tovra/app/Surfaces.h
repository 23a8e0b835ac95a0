#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Tovra/core/PrivacyMode.h"
#include "Tovra/core/QueueMode.h"
#include "Tovra/core/Uuid.h"

namespace tovra {

/// Menu actions whose enabling depends on the state.
enum class MenuAction { pasteNext, clearQueue, checkForUpdates, other };

/// One queued item as a surface shows it: never the payload, only what is displayed.
struct ItemRow {
    Uuid id;
    std::string previewText;  // unmasked; the surface masks it with the privacy mode
    bool isPinned = false;
    /// "Image", "Rich text", "HTML" or "Plain text", from the item's types.
    std::string kind = "Plain text";

    friend bool operator==(const ItemRow&, const ItemRow&) = default;
};

/// The floating overlay that shows the active stack for a few seconds after each change.
class OverlaySurface {
  public:
    struct State {
        std::string title;
        std::vector<ItemRow> rows;
        PrivacyMode privacyMode = PrivacyMode::partialMask;
        bool animationsEnabled = true;
        bool ignoresMouse = false;
        /// Why the last paste key did nothing, or empty.
        std::string notice;
        /// Escape (or the key the user chose) clears the stack now: the overlay says so.
        bool escapeClears = false;
        /// The last clear can be taken back: the overlay offers it.
        bool canUndoClear = false;
        /// The key that clears, as the overlay names it: "Esc", "Ctrl+F9".
        std::string clearKey = "Esc";
    };
    virtual ~OverlaySurface() = default;
    virtual void update(const State& state) = 0;
    /// Shows it, hiding again `seconds` later.
    virtual void show(double seconds) = 0;
    [[nodiscard]] virtual bool isVisible() const = 0;
    /// The pointer rests on it.
    [[nodiscard]] virtual bool isPointerOver() const { return false; }
    /// Runs `undo` when the user takes the last clear back from the overlay.
    virtual void setUndoHandler(std::function<void()> undo) { (void)undo; }
    /// Told each time the overlay appears on screen or leaves it (it hides on its own).
    virtual void setVisibilityObserver(std::function<void(bool visible)> observer) = 0;
};

/// Receives what the user does to rows of the overlay.
class HUDWindowDragDelegate {
  public:
    virtual ~HUDWindowDragDelegate() = default;
    virtual void hudDidMoveItem(const Uuid& id, int toIndex) = 0;
    virtual void hudDidDeleteItem(const Uuid& id) = 0;
    virtual void hudDidTogglePin(const Uuid& id) = 0;
};

/// The status (tray) item with its menu, and the small control window: they show the state.
class StatusSurface {
  public:
    struct State {
        bool isActive = false;
        bool shortcutCaptureAvailable = false;
        std::size_t count = 0;
        std::vector<ItemRow> items;
        PrivacyMode privacyMode = PrivacyMode::partialMask;
        std::optional<std::string> pendingUpdateVersion;
        /// Shortcuts another program holds, as the user reads them ("Ctrl+Alt+P").
        std::vector<std::string> unavailableShortcuts;
        /// The last clear can be taken back.
        bool canUndoClear = false;
    };
    virtual ~StatusSurface() = default;
    virtual void update(const State& state) = 0;
};

/// The small window with the queue's state and its on/off and clear buttons.
class ControlSurface {
  public:
    virtual ~ControlSurface() = default;
    virtual void update(bool isActive, int stackNumber, std::size_t itemCount,
                        bool shortcutCaptureAvailable) = 0;
    /// Shows it, brought to the front.
    virtual void present() = 0;
    /// Says which shortcuts another program holds; none when the list is empty.
    virtual void showUnavailableShortcuts(const std::vector<std::string>& names) { (void)names; }
    /// The shortcuts that paste the whole stack, elsewhere and in terminals ("Ctrl+Shift+V").
    virtual void showBurstShortcuts(const std::string& everywhere, const std::string& inTerminals) {
        (void)everywhere;
        (void)inTerminals;
    }
};

/// One of Tovra's commands and the shortcut that runs it, as Preferences lists them.
struct ShortcutRow {
    /// The command's name in the settings file: "burst-paste".
    std::string action;
    std::string title;
    /// "Ctrl+Shift+V", or empty for none.
    std::string shortcut;
    /// Another program holds it.
    bool taken = false;
};

/// The settings as the preferences window starts from.
struct PreferencesValues {
    std::string mode;
    std::string queueTimeout;
    std::string burstSeparator;
    std::string privacyMode;
    int activeStackIndex = 0;
    bool hudInteractionEnabled = true;
    bool animationsEnabled = true;
    int availableStackCount = 3;
    /// Shortcuts another program holds, as the user reads them.
    std::vector<std::string> unavailableShortcuts;
    std::vector<ShortcutRow> shortcuts;
    /// What pastes the whole stack in a terminal.
    std::string terminalBurstShortcut = "Ctrl+Alt+Shift+V";
    /// False where the compositor's own key bindings run Tovra's commands.
    bool shortcutsEditable = true;
    /// Application ids the user marked as terminals, and as not terminals.
    std::vector<std::string> terminalApplications;
    std::vector<std::string> nonTerminalApplications;
    /// Scheduled update checks; none (no switch) in a build without the update checker.
    std::optional<bool> automaticUpdateChecks;
};

/// What the preferences window changes, each as the matching menu command does.
class PreferencesCommands {
  public:
    virtual ~PreferencesCommands() = default;
    virtual void selectQueueMode(std::string_view raw) = 0;
    virtual void selectQueueTimeout(std::string_view raw) = 0;
    virtual void selectBurstSeparator(std::string_view raw) = 0;
    virtual void selectPrivacyMode(std::string_view raw) = 0;
    virtual void selectStackFromMenu(std::optional<long> index) = 0;
    virtual void setHUDInteractionEnabled(bool enabled) = 0;
    virtual void setAnimationsEnabled(bool enabled) = 0;
    virtual void pinNextFromMenu() = 0;
    virtual void swapEndsFromMenu() = 0;
    virtual void clearSmartLearning() = 0;
    virtual void checkPermissionFromMenu() = 0;
    /// Replaces the user's terminal marks with these two lists of application ids.
    virtual void setTerminalApplications(const std::vector<std::string>& terminals,
                                         const std::vector<std::string>& nonTerminals) = 0;
    /// Binds a command ("burst-paste") to a shortcut ("Ctrl+Alt+B"), or back to its default
    /// when `shortcut` is empty; when refused, why, and nothing changes.
    virtual std::optional<std::string> setShortcut(std::string_view action,
                                                   std::string_view shortcut) = 0;
    [[nodiscard]] virtual std::vector<ShortcutRow> shortcutRows() const = 0;
    /// While the user records a shortcut, Tovra's own shortcuts reach the recorder as typed.
    virtual void setRecordingShortcut(bool recording) = 0;
    virtual void setAutomaticUpdateChecks(bool on) = 0;
};

/// The preferences window; re-presenting an open one brings it forward as it is.
class PreferencesSurface {
  public:
    virtual ~PreferencesSurface() = default;
    virtual void present(const PreferencesValues& values) = 0;
};

/// What the queue panel reads and does: it holds no queue data of its own.
class QueuePanelModel {
  public:
    virtual ~QueuePanelModel() = default;
    /// The active stack in hand-out order.
    [[nodiscard]] virtual std::vector<ItemRow> panelItems() const = 0;
    [[nodiscard]] virtual PrivacyMode privacyMode() const = 0;
    /// The order items leave in now, and the mode the user chose (Smart resolves to one).
    [[nodiscard]] virtual QueueMode panelQueueMode() const = 0;
    [[nodiscard]] virtual QueueMode panelSelectedMode() const = 0;
    [[nodiscard]] virtual int activeStackIndex() const = 0;
    [[nodiscard]] virtual int availableStackCount() const = 0;
    virtual void pasteItem(const Uuid& id) = 0;
    virtual void removeItem(const Uuid& id) = 0;
    virtual void togglePinItem(const Uuid& id) = 0;
    virtual void selectStackFromMenu(std::optional<long> index) = 0;
    virtual void selectPrivacyMode(std::string_view raw) = 0;
    virtual void clearFromPanel() = 0;
};

/// The queue panel: it reads everything again through the controller when told to reload.
class QueuePanelSurface {
  public:
    virtual ~QueuePanelSurface() = default;
    virtual void reload() = 0;
    virtual void open() = 0;
    virtual void close() = 0;
};

/// The window that explains the missing permission; "Retry" runs the handler.
class PermissionSurface {
  public:
    virtual ~PermissionSurface() = default;
    virtual void show(std::function<void()> retry) = 0;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isShown() const = 0;
};

/// The modal questions the controller asks.
class Alerts {
  public:
    virtual ~Alerts() = default;
    /// "Clear queue?": true for "Clear queue".
    virtual bool confirmClearQueue() = 0;
    /// "Custom Burst Separator": the text for "Use Separator", nothing for "Cancel".
    virtual std::optional<std::string> askCustomSeparator(const std::string& current) = 0;
    virtual void showError(const std::string& message) = 0;
};

/// The maker's application frame as the controller uses it: the identity and update services,
/// the About and Support windows, diagnostics, the Edit menu and first-run onboarding.
class ApplicationFrame {
  public:
    virtual ~ApplicationFrame() = default;
    virtual void installEditMenu() = 0;
    /// Builds the identity and the update services; false when they cannot be built (the
    /// commands that need them then do nothing).
    virtual bool buildServices() = 0;
    [[nodiscard]] virtual bool hasServices() const = 0;
    virtual void startUpdates() = 0;
    [[nodiscard]] virtual bool canCheckForUpdates() const = 0;
    /// A check the user asked for: the updates page shows its outcome.
    virtual void checkForUpdates() = 0;
    /// Whether scheduled checks are on; none in a build without the update checker.
    [[nodiscard]] virtual std::optional<bool> automaticUpdateChecks() const = 0;
    /// Turns scheduled checks on or off, kept across launches.
    virtual void setAutomaticUpdateChecks(bool on) = 0;
    [[nodiscard]] virtual std::optional<std::string> pendingUpdateVersion() const = 0;
    /// `changed` runs after each change of the update state.
    virtual void observeUpdates(std::function<void()> changed) = 0;
    virtual void showAbout() = 0;
    virtual void showSupport() = 0;
    virtual void copyDiagnostics() = 0;
    /// Shows the welcome on the first run; its primary action runs `openQueue`.
    virtual void offerOnboarding(std::function<void()> openQueue) = 0;
};

/// What exists so far; a surface that is absent is simply not shown.
struct AppSurfaces {
    OverlaySurface* overlay = nullptr;
    StatusSurface* status = nullptr;
    QueuePanelSurface* panel = nullptr;
    ControlSurface* control = nullptr;
    PreferencesSurface* preferences = nullptr;
    PermissionSurface* permission = nullptr;
    Alerts* alerts = nullptr;
    ApplicationFrame* frame = nullptr;
};

}  // namespace tovra
