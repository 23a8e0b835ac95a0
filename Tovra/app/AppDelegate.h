#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ActivationController.h"
#include "AppContext.h"
#include "CaptureHandler.h"
#include "FrameCommands.h"
#include "PasteHandler.h"
#include "QueueEditCommands.h"
#include "SettingsCommands.h"
#include "SurfaceRefresher.h"
#include "Surfaces.h"

namespace tovra {

/// The application controller: it builds the shared context and one handler per concern, and
/// is what the platform and the surfaces talk to. Every method forwards to the handler that
/// owns the concern; settings live in memory only.
class AppDelegate final : public PasteControllerDelegate,
                          public PreferencesCommands,
                          public QueuePanelModel,
                          public std::enable_shared_from_this<AppDelegate> {
  public:
    using MenuAction = tovra::MenuAction;

    static std::shared_ptr<AppDelegate> create(AppEnvironment environment, AppSurfaces surfaces);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // The handlers, for callers that need only one concern.
    [[nodiscard]] SurfaceRefresher& surfaceRefresher() { return refresher_; }
    [[nodiscard]] ActivationController& activation() { return activation_; }
    [[nodiscard]] CaptureHandler& capture() { return capture_; }
    [[nodiscard]] PasteHandler& paste() { return paste_; }
    [[nodiscard]] QueueEditCommands& edits() { return edits_; }
    [[nodiscard]] SettingsCommands& settings() { return settings_; }
    [[nodiscard]] FrameCommands& frameCommands() { return frameCommands_; }
    /// The overlay's rows report here; the pointer lives as long as the controller.
    [[nodiscard]] std::shared_ptr<HUDWindowDragDelegate> overlayRowsDelegate();

    // Lifecycle
    void applicationDidFinishLaunching();
    void applicationWillTerminate() { activation_.applicationWillTerminate(); }
    void workspaceWillSleep() { activation_.workspaceWillSleep(); }
    void setStackActive(bool active) { activation_.setStackActive(active); }
    void toggleStackFromMenu() { activation_.toggleQueue(); }
    void toggleLaunchAtLogin() { activation_.toggleLaunchAtLogin(); }

    // PasteControllerDelegate: the global shortcuts
    void toggleQueue() override { activation_.toggleQueue(); }
    void captureAfterCopy() override { capture_.captureAfterCopy(); }
    bool pasteNext() override { return context_.isStackActive && paste_.pasteNext(false); }
    bool burstPaste() override { return paste_.burstPaste(); }
    bool clearFromOverlay() override { return edits_.clearFromOverlay(); }
    bool dropNext() override { return edits_.dropNext(); }
    bool revealOverlay() override { return edits_.revealOverlay(); }
    bool moveNextUp() override { return edits_.moveNextUp(); }
    bool moveNextDown() override { return edits_.moveNextDown(); }
    bool swapEnds() override { return edits_.swapEnds(); }
    bool togglePinNext() override { return edits_.togglePinNext(); }
    bool selectStack(int index) override { return edits_.selectStack(index); }
    PasteKeyStyle pasteKeyStyle() override { return paste_.pasteKeyStyle(); }
    void pasteUnavailable() override { paste_.pasteUnavailable(); }

    // The overlay's rows
    void hudDidMoveItem(const Uuid& id, int toIndex) { edits_.hudDidMoveItem(id, toIndex); }
    void hudDidDeleteItem(const Uuid& id) { edits_.hudDidDeleteItem(id); }
    void hudDidTogglePin(const Uuid& id) { edits_.hudDidTogglePin(id); }

    // PreferencesCommands: changes made in Tovra's own windows leave the overlay down.
    void selectQueueMode(std::string_view raw) override {
        fromOwnWindow([&] { settings_.selectQueueMode(raw); });
    }
    void selectQueueTimeout(std::string_view raw) override {
        fromOwnWindow([&] { settings_.selectQueueTimeout(raw); });
    }
    void selectBurstSeparator(std::string_view raw) override {
        fromOwnWindow([&] { settings_.selectBurstSeparator(raw); });
    }
    void selectPrivacyMode(std::string_view raw) override {
        fromOwnWindow([&] { settings_.selectPrivacyMode(raw); });
    }
    void selectStackFromMenu(std::optional<long> index) override {
        fromOwnWindow([&] { edits_.selectStackFromMenu(index); });
    }
    void setHUDInteractionEnabled(bool enabled) override {
        fromOwnWindow([&] { settings_.setHUDInteractionEnabled(enabled); });
    }
    void setAnimationsEnabled(bool enabled) override {
        fromOwnWindow([&] { settings_.setAnimationsEnabled(enabled); });
    }
    void pinNextFromMenu() override {
        fromOwnWindow([&] { edits_.pinNextFromMenu(); });
    }
    void swapEndsFromMenu() override {
        fromOwnWindow([&] { edits_.swapEndsFromMenu(); });
    }
    void clearSmartLearning() override { settings_.clearSmartLearning(); }
    void checkPermissionFromMenu() override { activation_.checkPermissionFromMenu(); }
    void setTerminalApplications(const std::vector<std::string>& terminals,
                                 const std::vector<std::string>& nonTerminals) override {
        settings_.setTerminalApplications(terminals, nonTerminals);
    }
    std::optional<std::string> setShortcut(std::string_view action,
                                           std::string_view shortcut) override {
        return settings_.setShortcut(action, shortcut);
    }
    [[nodiscard]] std::vector<ShortcutRow> shortcutRows() const override {
        return settings_.shortcutRows();
    }
    void setAutomaticUpdateChecks(bool on) override {
        if (ApplicationFrame* frame = context_.services()) {
            frame->setAutomaticUpdateChecks(on);
        }
    }
    void setRecordingShortcut(bool recording) override {
        context_.pasteController.setRecordingShortcut(recording);
    }
    void markApplicationAsTerminal(std::string_view applicationId, bool isTerminal) {
        settings_.markApplicationAsTerminal(applicationId, isTerminal);
    }
    void toggleHUDInteraction() { settings_.toggleHUDInteraction(); }
    void toggleAnimations() { settings_.toggleAnimations(); }
    void openPreferencesFromMenu() { settings_.openPreferencesFromMenu(); }
    [[nodiscard]] bool validateMenuItem(MenuAction action) const {
        return refresher_.validateMenuItem(action);
    }
    void pasteNextFromMenu() { paste_.pasteNextFromMenu(); }
    bool pasteQueueItemFromMenu(std::optional<long> position) {
        return paste_.pasteQueueItemFromMenu(position);
    }
    void clearQueueFromMenu() { edits_.clearQueueFromMenu(); }
    /// From the menu and the overlay, for a few seconds after a clear made without asking.
    void undoClear() { edits_.undoClear(); }
    void clearFromControlWindow() { edits_.clearFromControlWindow(); }

    // The command line's commands (`tovra paste-next` and the rest): a failure comes back as
    // the sentence the terminal shows, and nothing here ever names an item's text.
    std::optional<std::string> pasteNextFromCommandLine();
    std::optional<std::string> pasteAllFromCommandLine();
    std::optional<std::string> showOverlayFromCommandLine();
    std::optional<std::string> selectStackFromCommandLine(int number);
    /// Without asking: the command was typed on purpose, and a script has nobody to answer.
    void clearFromCommandLine() { edits_.clearFromControlWindow(); }
    /// "state: on", "stack: 1", "items: 3", "mode: Smart (LIFO)", a line each. With
    /// `withHeldBytes` (an instance started with --debug) also "held: N bytes": any client
    /// on the bus could otherwise learn the length of a copied password.
    [[nodiscard]] std::string commandLineStatus(bool withHeldBytes = false) const;
    void openQueueFromMenu() { paste_.openQueueFromMenu(); }
    void showStackFromMenu() { frameCommands_.showStackFromMenu(); }
    void showAboutFromMenu() { frameCommands_.showAboutFromMenu(); }
    void showSupportFromMenu() { frameCommands_.showSupportFromMenu(); }
    void checkForUpdatesFromMenu() { frameCommands_.checkForUpdatesFromMenu(); }
    void installPendingUpdateFromMenu() { frameCommands_.installPendingUpdateFromMenu(); }
    void copyDiagnosticsFromMenu() { frameCommands_.copyDiagnosticsFromMenu(); }
    void copyText(const std::string& text) { capture_.copyText(text); }

    // QueuePanelModel
    [[nodiscard]] std::vector<ItemRow> panelItems() const override {
        return refresher_.panelItems();
    }
    [[nodiscard]] PrivacyMode privacyMode() const override { return context_.settings.privacyMode; }
    [[nodiscard]] QueueMode panelQueueMode() const override { return refresher_.panelQueueMode(); }
    [[nodiscard]] QueueMode panelSelectedMode() const override {
        return refresher_.panelSelectedMode();
    }
    [[nodiscard]] int activeStackIndex() const override {
        return context_.stackStore.activeIndex();
    }
    [[nodiscard]] int availableStackCount() const override {
        return StackStore::applicationStackCount;
    }
    void pasteItem(const Uuid& id) override { paste_.pasteItem(id); }
    void removeItem(const Uuid& id) override {
        fromOwnWindow([&] { edits_.removeItem(id); });
    }
    void togglePinItem(const Uuid& id) override {
        fromOwnWindow([&] { edits_.togglePinItem(id); });
    }
    void clearFromPanel() override {
        fromOwnWindow([&] { edits_.clearFromPanel(); });
    }
    void moveItem(const Uuid& id, long index) { edits_.moveItem(id, index); }

    // State
    [[nodiscard]] bool isStackActive() const { return context_.isStackActive; }
    [[nodiscard]] bool shortcutCaptureAvailable() const {
        return context_.shortcutCaptureAvailable;
    }
    [[nodiscard]] BurstSeparator burstSeparator() const { return context_.settings.burstSeparator; }
    [[nodiscard]] const std::string& customBurstSeparator() const {
        return context_.settings.customBurstSeparator;
    }
    [[nodiscard]] QueueTimeout queueTimeout() const { return context_.settings.queueTimeout; }
    [[nodiscard]] bool hudInteractionEnabled() const {
        return context_.settings.hudInteractionEnabled;
    }
    [[nodiscard]] bool animationsEnabled() const { return context_.settings.animationsEnabled; }
    [[nodiscard]] StackStore& stackStore() { return context_.stackStore; }
    [[nodiscard]] QueueManager& activeQueue() const { return context_.activeQueue(); }
    [[nodiscard]] PasteController& pasteController() { return context_.pasteController; }
    [[nodiscard]] PasteboardCoordinator& pasteboardCoordinator() {
        return context_.pasteboardCoordinator;
    }
    [[nodiscard]] std::string overlayTitle() const { return refresher_.overlayTitle(); }

  private:
    template <class Change>
    void fromOwnWindow(Change change) {
        const auto quiet = refresher_.quietly();
        change();
    }

    /// Where no program may type keys, why a paste the command line staged was not delivered.
    [[nodiscard]] std::optional<std::string> stagedForTheUsersPaste() const;
    AppDelegate(AppEnvironment environment, AppSurfaces surfaces);

    AppContext context_;
    SurfaceRefresher refresher_{context_};
    ActivationController activation_{context_, refresher_};
    CaptureHandler capture_{context_, refresher_};
    PasteHandler paste_{context_, refresher_};
    QueueEditCommands edits_{context_, refresher_};
    SettingsCommands settings_{context_, refresher_};
    FrameCommands frameCommands_{context_};
};

}  // namespace tovra
