#pragma once

#include <functional>
#include <optional>
#include <string>

#include "Tovra/core/TerminalCatalog.h"
#include "Tovra/core/Uuid.h"
#include "platform/TaskHandle.h"
#include "platform/Workspace.h"

namespace tovra {

struct AppContext;
class QueueManager;
class SurfaceRefresher;

/// Every way an item leaves the queue for an application: the paste key, burst, the menu and
/// the queue panel.
class PasteHandler {
  public:
    PasteHandler(AppContext& context, SurfaceRefresher& surfaces)
        : context_(context), surfaces_(surfaces) {}

    /// Stages the next item; with `triggerPaste` also types the paste (menu), since no held
    /// keystroke will. False when the queue had nothing to give.
    bool pasteNext(bool triggerPaste);
    /// Stages the whole stack joined by the separator; the stack stays as it is.
    bool burstPaste();
    void pasteNextFromMenu() { pasteNext(true); }
    /// The menu's rows of the first items, by position in the stack as stored.
    bool pasteQueueItemFromMenu(std::optional<long> position);
    /// A row of the panel: back to the application in front before the panel, then pasted.
    void pasteItem(const Uuid& id);
    void openQueueFromMenu();
    /// How the application in front pastes the clipboard.
    [[nodiscard]] PasteKeyStyle pasteKeyStyle() const;
    /// A paste key in an application with no key that pastes the clipboard: say so.
    void pasteUnavailable();
    /// Remembered when the panel opens, so a paste from it goes back to that application.
    void setApplicationBeforePanel(std::optional<FrontmostApplication> application) {
        applicationBeforePanel_ = std::move(application);
    }

  private:
    /// Smart order is resolved for the frontmost application before `stage` takes from the
    /// queue, and recorded as that application's choice only when something was staged.
    bool stageRecordingSmartChoice(
        const std::function<bool(QueueManager&, const std::optional<std::string>&)>& stage);
    void pasteChosen(const Uuid& id, const std::optional<std::string>& target);
    /// False, and the overlay says why, when `target` has no key that pastes the clipboard.
    bool canTypePasteInto(const std::optional<std::string>& target);
    void typePasteLater(const std::optional<std::string>& target);

    AppContext& context_;
    SurfaceRefresher& surfaces_;
    std::optional<FrontmostApplication> applicationBeforePanel_;
    TaskHandle reactivation_;
};

}  // namespace tovra
