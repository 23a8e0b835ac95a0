#include "PasteHandler.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

#include "AppContext.h"
#include "SurfaceRefresher.h"
#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {
constexpr std::chrono::milliseconds activationPoll{25};
}  // namespace

bool PasteHandler::stageRecordingSmartChoice(
    const std::function<bool(QueueManager&, const std::optional<std::string>&)>& stage) {
    const auto context = context_.frontmostId();
    QueueManager& queue = context_.activeQueue();
    queue.setSmartContext(context);
    const QueueMode mode = queue.mode();
    const QueueMode resolved =
        mode == QueueMode::smart ? context_.smartEngine.resolve(context) : mode;
    if (!stage(queue, context)) {
        return false;
    }
    if (mode == QueueMode::smart) {
        context_.smartEngine.recordPaste(resolved, context);
    }
    return true;
}

PasteKeyStyle PasteHandler::pasteKeyStyle() const {
    return context_.terminals.styleFor(context_.frontmostId());
}

void PasteHandler::pasteUnavailable() {
    const auto front = context_.frontmostId();
    surfaces_.showNotice((front ? *front : std::string("This application")) +
                         " has no key that pastes the clipboard: nothing was taken from the "
                         "queue.");
}

bool PasteHandler::canTypePasteInto(const std::optional<std::string>& target) {
    if (context_.terminals.styleFor(target) != PasteKeyStyle::none) {
        return true;
    }
    pasteUnavailable();
    return false;
}

bool PasteHandler::redeliverPending() {
    context_.environment.pasteboard.settleDeliveries();
    if (!pending_ || pending_->restored ||
        pending_->stackIndex != context_.stackStore.activeIndex()) {
        return false;
    }
    const Uuid id = pending_->taken.item.id;
    return context_.environment.pasteboard.watchPasteDelivery(
        deliveryWindow,
        context_.guarded([this, id](PasteDelivery delivery) { onDelivery(id, delivery); }));
}

void PasteHandler::settlePending() {
    context_.environment.pasteboard.settleDeliveries();
    if (pending_ && !pending_->restored) {
        // Nobody asked for it, and what is written next takes it off the clipboard.
        context_.stackStore.queue(static_cast<std::size_t>(pending_->stackIndex))
            .putBack(pending_->taken);
    }
    pending_.reset();
}

bool PasteHandler::pasteNext(bool triggerPaste) {
    const auto target = context_.frontmostId();
    if (triggerPaste && !canTypePasteInto(target)) {
        return false;
    }
    if (redeliverPending()) {
        // The item before was never asked for: this paste is the one that delivers it.
        surfaces_.rescheduleTimeout();
        surfaces_.refresh(false);
        if (triggerPaste) {
            typePasteLater(target);
        }
        return true;
    }
    settlePending();
    std::optional<QueueManager::TakenItem> taken;
    const bool staged = stageRecordingSmartChoice(
        [this, &taken](QueueManager& queue, const std::optional<std::string>& context) {
            taken = context_.pasteboardCoordinator.stageNext(queue, context);
            return taken.has_value();
        });
    if (!staged) {
        surfaces_.refresh(false);
        return false;
    }
    watchDelivery(std::move(*taken));
    surfaces_.rescheduleTimeout();
    surfaces_.refresh(false);
    if (triggerPaste) {
        typePasteLater(target);
    }
    return true;
}

bool PasteHandler::burstPaste() {
    if (!context_.isStackActive || context_.activeQueue().isEmpty()) {
        return false;
    }
    settlePending();
    const QueueSettings& settings = context_.settings;
    const std::string separator =
        separatorText(settings.burstSeparator, settings.customBurstSeparator);
    const bool written =
        stageRecordingSmartChoice([&](QueueManager& queue, const std::optional<std::string>&) {
            auto payload = queue.makeBurstPayload(separator);
            if (payload) {
                context_.pasteboardCoordinator.write(*payload);
            }
            return payload.has_value();
        });
    if (written) {
        // Once the stack is read, the next paste need not wait out the pacing cap.
        context_.environment.pasteboard.watchPasteDelivery(
            deliveryWindow, context_.guarded([this](PasteDelivery delivery) {
                if (delivery == PasteDelivery::doneReading ||
                    delivery == PasteDelivery::takenElsewhere) {
                    context_.environment.mainQueue.post(
                        context_.guarded([this] { context_.pasteController.pasteDelivered(); }));
                }
            }));
        surfaces_.refresh(false);
    }
    return written;
}

bool PasteHandler::burstPasteFromMenu() {
    const auto target = context_.frontmostId();
    if (!context_.isStackActive || context_.activeQueue().isEmpty() || !canTypePasteInto(target) ||
        !burstPaste()) {
        return false;
    }
    typePasteLater(target);
    return true;
}

bool PasteHandler::pasteQueueItemFromMenu(std::optional<long> position) {
    const auto& items = context_.activeQueue().items();
    if (!position || *position < 0 || static_cast<std::size_t>(*position) >= items.size()) {
        return false;
    }
    pasteChosen(items[static_cast<std::size_t>(*position)].id, context_.frontmostId());
    return true;
}

void PasteHandler::pasteChosen(const Uuid& id, const std::optional<std::string>& target) {
    if (!canTypePasteInto(target)) {
        return;  // the item stays where it is
    }
    settlePending();
    QueueManager& queue = context_.activeQueue();
    const auto found = std::find_if(queue.items().begin(), queue.items().end(),
                                    [&](const StackItem& item) { return item.id == id; });
    if (found == queue.items().end()) {
        return;
    }
    QueueManager::TakenItem taken{*found, static_cast<std::size_t>(found - queue.items().begin())};
    queue.remove(id);
    context_.pasteboardCoordinator.write(taken.item.payload);
    watchDelivery(std::move(taken));
    surfaces_.rescheduleTimeout();
    surfaces_.refresh(false);
    typePasteLater(target);
}

void PasteHandler::watchDelivery(QueueManager::TakenItem taken) {
    const Uuid id = taken.item.id;
    pending_ = PendingPaste{context_.stackStore.activeIndex(), std::move(taken)};
    const bool watched = context_.environment.pasteboard.watchPasteDelivery(
        deliveryWindow,
        context_.guarded([this, id](PasteDelivery delivery) { onDelivery(id, delivery); }));
    if (!watched) {
        pending_.reset();  // nobody can tell: the item counts as pasted
    }
}

void PasteHandler::onDelivery(const Uuid& id, PasteDelivery delivery) {
    if (delivery == PasteDelivery::doneReading || delivery == PasteDelivery::takenElsewhere) {
        // Read, or served by whoever holds the clipboard now: the next paste may stage.
        context_.environment.mainQueue.post(
            context_.guarded([this] { context_.pasteController.pasteDelivered(); }));
    }
    if (!pending_ || pending_->taken.item.id != id) {
        return;
    }
    QueueManager& stack = context_.stackStore.queue(static_cast<std::size_t>(pending_->stackIndex));
    switch (delivery) {
        case PasteDelivery::requested:
            if (pending_->restored) {
                stack.remove(id);  // asked for late: pasted after all
                surfaces_.rescheduleTimeout();
                surfaces_.refresh(false);
            }
            pending_.reset();
            return;
        case PasteDelivery::takenElsewhere:
            pending_.reset();
            return;
        case PasteDelivery::doneReading:
            return;
        case PasteDelivery::notRequested:
            if (pending_->restored) {
                return;
            }
            pending_->restored = true;
            stack.putBack(pending_->taken);
            surfaces_.rescheduleTimeout();
            surfaces_.showNotice("Nothing was pasted: the item is back in the queue.");
            return;
    }
}

void PasteHandler::typePasteLater(const std::optional<std::string>& target) {
    const PasteKeyStyle style = context_.terminals.styleFor(target);
    context_.environment.mainQueue.post(context_.guarded(
        [this, style] { context_.pasteController.scheduleSyntheticPaste(style); }));
}

void PasteHandler::pasteItem(const Uuid& id) {
    if (context_.surfaces.panel != nullptr) {
        context_.surfaces.panel->close();
    }
    const auto previous = std::exchange(applicationBeforePanel_, std::nullopt);
    if (!previous) {
        pasteChosen(id, context_.frontmostId());
        return;
    }
    if (!context_.environment.workspace.activate(*previous)) {
        surfaces_.showNotice((previous->id ? *previous->id : std::string("The application")) +
                             " is gone: nothing was pasted, and the item stays in the queue.");
        return;
    }
    pasteOnceInFront(*previous, id);
}

void PasteHandler::pasteOnceInFront(const FrontmostApplication& target, const Uuid& id) {
    // A paste typed before the window manager gives the focus back lands in the wrong window.
    MainQueue& mainQueue = context_.environment.mainQueue;
    const auto deadline = mainQueue.now() + activationDeadline;
    reactivation_ = mainQueue.every(activationPoll, [this, &mainQueue, target, id, deadline] {
        const auto front = context_.environment.workspace.frontmostApplication();
        if (front && front->window == target.window) {
            reactivation_.cancel();
            pasteChosen(id, target.id);
        } else if (mainQueue.now() >= deadline) {
            reactivation_.cancel();
            surfaces_.showNotice((target.id ? *target.id : std::string("The application")) +
                                 " did not come back to the front: nothing was pasted, and the "
                                 "item stays in the queue.");
        }
    });
}

void PasteHandler::openQueueFromMenu() {
    // Opened while one of our own windows is in front: keep the application remembered before.
    const auto front = context_.environment.workspace.frontmostApplication();
    if (front && front->pid != static_cast<std::int64_t>(::getpid())) {
        applicationBeforePanel_ = front;
    }
    if (context_.surfaces.panel != nullptr) {
        context_.surfaces.panel->open();
    }
}

}  // namespace tovra
