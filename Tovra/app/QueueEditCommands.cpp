#include "QueueEditCommands.h"

#include "AppContext.h"
#include "SurfaceRefresher.h"
#include "Tovra/core/QueueManager.h"

namespace tovra {

bool QueueEditCommands::whileOverlayVisible(const std::function<void()>& action) {
    if (!context_.isStackActive || !context_.overlayVisible()) {
        return false;  // the keystroke reaches the application unchanged
    }
    action();
    return true;
}

void QueueEditCommands::edited(bool revealOverlay) {
    surfaces_.rescheduleTimeout();
    surfaces_.refresh(revealOverlay);
}

void QueueEditCommands::clearActiveQueue(bool keepForUndo) {
    context_.lifecycle.clearActiveQueue(keepForUndo);
    surfaces_.refresh(keepForUndo);  // the overlay offers the undo
}

bool QueueEditCommands::clearFromOverlay() {
    // Only an overlay the user summoned: one that shows after a copy must not turn the Escape
    // meant for a dialog or an editor into a cleared stack.
    if (!context_.isStackActive || !context_.overlaySummoned()) {
        return false;
    }
    clearActiveQueue(true);
    return true;
}

void QueueEditCommands::undoClear() {
    if (context_.lifecycle.undoClear()) {
        edited(true);
    } else {
        surfaces_.refresh(false);
    }
}

bool QueueEditCommands::dropNext() {
    return whileOverlayVisible([this] {
        (void)context_.activeQueue().takeNext();
        edited(true);
    });
}

bool QueueEditCommands::revealOverlay() {
    if (!context_.isStackActive) {
        return false;
    }
    surfaces_.refresh(true);
    return true;
}

bool QueueEditCommands::moveNextUp() {
    return whileOverlayVisible([this] {
        context_.activeQueue().moveNextUp();
        surfaces_.refresh(true);
    });
}

bool QueueEditCommands::moveNextDown() {
    return whileOverlayVisible([this] {
        context_.activeQueue().moveNextDown();
        surfaces_.refresh(true);
    });
}

bool QueueEditCommands::swapEnds() {
    return whileOverlayVisible([this] { swapEndsFromMenu(); });
}

bool QueueEditCommands::togglePinNext() {
    return whileOverlayVisible([this] { pinNextFromMenu(); });
}

bool QueueEditCommands::selectStack(int index) {
    if (!context_.isStackActive || !context_.stackStore.selectStack(index)) {
        return false;
    }
    surfaces_.refresh(true);
    return true;
}

void QueueEditCommands::hudDidMoveItem(const Uuid& id, int toIndex) {
    moveItem(id, toIndex);
}

void QueueEditCommands::hudDidDeleteItem(const Uuid& id) {
    context_.activeQueue().remove(id);
    edited(true);
}

void QueueEditCommands::hudDidTogglePin(const Uuid& id) {
    togglePinItem(id);
}

void QueueEditCommands::removeItem(const Uuid& id) {
    context_.activeQueue().remove(id);
    edited(false);
}

void QueueEditCommands::togglePinItem(const Uuid& id) {
    context_.activeQueue().togglePin(id);
    edited(true);
}

void QueueEditCommands::moveItem(const Uuid& id, long index) {
    context_.activeQueue().move(id, index);
    edited(true);
}

void QueueEditCommands::pinNextFromMenu() {
    context_.activeQueue().togglePinNext();
    surfaces_.refresh(true);
}

void QueueEditCommands::swapEndsFromMenu() {
    context_.activeQueue().swapEnds();
    surfaces_.refresh(true);
}

void QueueEditCommands::selectStackFromMenu(std::optional<long> index) {
    if (!index || *index < 0 || *index > StackStore::highestSelectableIndex) {
        return;
    }
    if (context_.stackStore.selectStack(static_cast<int>(*index))) {
        surfaces_.refresh(true);
    }
}

void QueueEditCommands::clearQueueFromMenu() {
    clearIfConfirmed();
}

void QueueEditCommands::clearFromPanel() {
    // The panel's "Clear all" asks as the menu does: cleared bytes are gone at once, no undo.
    clearIfConfirmed();
}

void QueueEditCommands::clearIfConfirmed() {
    Alerts* alerts = context_.surfaces.alerts;
    if (context_.activeQueue().isEmpty() || alerts == nullptr) {
        return;  // never cleared without the confirmation
    }
    if (alerts->confirmClearQueue()) {
        clearActiveQueue();
    }
}

void QueueEditCommands::clearFromControlWindow() {
    clearActiveQueue(true);  // unconfirmed, so it can be taken back
}

}  // namespace tovra
