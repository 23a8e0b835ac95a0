#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "Tovra/core/QueueManager.h"
#include "Tovra/core/TerminalCatalog.h"
#include "Tovra/core/Uuid.h"
#include "platform/Pasteboard.h"
#include "platform/TaskHandle.h"
#include "platform/Workspace.h"

namespace tovra {

struct AppContext;
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
    /// The whole stack typed into the application in front, as the menu pastes one item.
    bool burstPasteFromMenu();
    /// The menu's rows of the first items, by position in the stack as stored.
    bool pasteQueueItemFromMenu(std::optional<long> position);
    /// A row of the panel: back to the application in front before the panel, then pasted.
    void pasteItem(const Uuid& id);
    void openQueueFromMenu();
    /// How the application in front pastes the clipboard.
    [[nodiscard]] PasteKeyStyle pasteKeyStyle() const;
    /// A paste key in an application with no key that pastes the clipboard: say so.
    void pasteUnavailable();
    /// A stack (none: every stack) was emptied: nothing staged from it comes back, and its
    /// bytes go now.
    void forgetStaged(std::optional<int> stack) {
        if (pending_ && (!stack || pending_->stackIndex == *stack)) {
            pending_.reset();
        }
        reactivation_.cancel();
    }
    /// Remembered when the panel opens, so a paste from it goes back to that application.
    void setApplicationBeforePanel(std::optional<FrontmostApplication> application) {
        applicationBeforePanel_ = std::move(application);
    }

    /// How long the application in front has to ask for a staged item before it goes back.
    static constexpr std::chrono::milliseconds deliveryWindow{3000};
    /// How long a paste from the panel waits for its application to be in front again.
    static constexpr std::chrono::milliseconds activationDeadline{1500};

  private:
    /// An item staged for a paste, until the application in front asks for it.
    struct PendingPaste {
        int stackIndex;
        QueueManager::TakenItem taken;
        bool restored = false;
    };

    /// Watches what becomes of `taken`: back in its stack if nobody asks for it.
    void watchDelivery(QueueManager::TakenItem taken);
    /// A paste while the item staged before was never asked for delivers that item again;
    /// false when there is none to deliver.
    bool redeliverPending();
    /// Puts an item nobody asked for back in its stack before anything else is written.
    void settlePending();
    void onDelivery(const Uuid& id, PasteDelivery delivery);
    /// Smart order is resolved for the frontmost application before `stage` takes from the
    /// queue, and recorded as that application's choice only when something was staged.
    bool stageRecordingSmartChoice(
        const std::function<bool(QueueManager&, const std::optional<std::string>&)>& stage);
    void pasteChosen(const Uuid& id, const std::optional<std::string>& target);
    /// False, and the overlay says why, when `target` has no key that pastes the clipboard.
    bool canTypePasteInto(const std::optional<std::string>& target);
    void typePasteLater(const std::optional<std::string>& target);
    /// Pastes `id` once `target` is really in front again; keeps it, saying why, if it never is.
    void pasteOnceInFront(const FrontmostApplication& target, const Uuid& id);

    AppContext& context_;
    SurfaceRefresher& surfaces_;
    std::optional<FrontmostApplication> applicationBeforePanel_;
    TaskHandle reactivation_;
    std::optional<PendingPaste> pending_;
};

}  // namespace tovra
