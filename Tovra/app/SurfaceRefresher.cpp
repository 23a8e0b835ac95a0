#include "SurfaceRefresher.h"

#include <algorithm>
#include <utility>

#include "AppContext.h"
#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/core/QueueManager.h"

namespace tovra {

namespace {

constexpr double overlaySeconds = 2.5;
constexpr double revealedOverlaySeconds = 6.0;

std::string kindOf(const ClipboardPayload& payload) {
    auto has = [&](std::string_view type) {
        return std::any_of(payload.representations.begin(), payload.representations.end(),
                           [type](const ClipboardRepresentation& r) { return r.type == type; });
    };
    if (has(pasteboardType::png) || has(pasteboardType::tiff)) {
        return "Image";
    }
    if (has(pasteboardType::rtf)) {
        return "Rich text";
    }
    if (has(pasteboardType::html)) {
        return "HTML";
    }
    return "Plain text";
}

ItemRow rowOf(const StackItem& item) {
    return {item.id, item.payload.previewText, item.isPinned, kindOf(item.payload)};
}

}  // namespace

std::vector<ItemRow> SurfaceRefresher::rows(bool ordered) const {
    std::vector<ItemRow> result;
    const QueueManager& queue = context_.activeQueue();
    if (ordered) {
        for (const StackItem* item : queue.orderedItems()) {
            result.push_back(rowOf(*item));
        }
    } else {
        for (const StackItem& item : queue.items()) {
            result.push_back(rowOf(item));
        }
    }
    return result;
}

std::string SurfaceRefresher::overlayTitle() const {
    const QueueManager& queue = context_.activeQueue();
    std::string modeLabel(rawValue(queue.mode()));
    if (queue.mode() == QueueMode::smart) {
        modeLabel += " / ";
        modeLabel += rawValue(queue.effectiveMode());
    }
    return "Tovra " + std::to_string(context_.stackStore.activeIndex() + 1) + " \u00B7 " +
           modeLabel + " (" + std::to_string(queue.count()) + ")";
}

void SurfaceRefresher::refresh(bool revealOverlay) {
    applyQueueLimits();
    const QueueSettings& settings = context_.settings;
    if (OverlaySurface* overlay = context_.surfaces.overlay) {
        // Asked for once, it stays asked for while it shows (a copy meanwhile does not undo it).
        context_.overlayAskedFor =
            (revealOverlay && quiet_ == 0) || (context_.overlayAskedFor && overlay->isVisible());
        // The overlay lists the stack as stored; the panel lists it in hand-out order.
        overlay->update({overlayTitle(), rows(false), settings.privacyMode,
                         settings.animationsEnabled, !settings.hudInteractionEnabled,
                         std::exchange(notice_, {}),
                         context_.overlayAskedFor && !context_.activeQueue().isEmpty(),
                         context_.lifecycle.canUndoClear(), clearKeyName()});
        if (quiet_ == 0) {
            overlay->show(revealOverlay ? revealedOverlaySeconds : overlaySeconds);
        }
    }
    refreshStatus();
    if (QueuePanelSurface* panel = context_.surfaces.panel) {
        panel->reload();
    }
}

void SurfaceRefresher::showNotice(std::string notice) {
    notice_ = std::move(notice);
    refresh(true);
}

std::vector<std::string> SurfaceRefresher::unavailableShortcuts() const {
    std::vector<std::string> names;
    if (context_.pasteController.isRunning()) {
        for (const auto& shortcut : context_.pasteController.unavailableShortcuts()) {
            names.push_back(shortcutName(shortcut));
        }
    }
    return names;
}

std::string SurfaceRefresher::clearKeyName() const {
    const auto key =
        context_.pasteController.shortcutBindings().of(ShortcutAction::clearFromOverlay);
    return key == KeyboardTap::Shortcut{Key::escape, noModifier} ? "Esc" : shortcutName(key);
}

void SurfaceRefresher::refreshStatus() {
    const std::size_t count = context_.activeQueue().count();
    const auto unavailable = unavailableShortcuts();
    if (StatusSurface* status = context_.surfaces.status) {
        ApplicationFrame* services = context_.services();
        status->update({context_.isStackActive, context_.shortcutCaptureAvailable, count,
                        rows(false), context_.settings.privacyMode,
                        services != nullptr ? services->pendingUpdateVersion() : std::nullopt,
                        unavailable, context_.lifecycle.canUndoClear()});
    }
    if (ControlSurface* control = context_.surfaces.control) {
        control->update(context_.isStackActive, context_.stackStore.activeIndex() + 1, count,
                        context_.shortcutCaptureAvailable);
        control->showUnavailableShortcuts(unavailable);
        const auto burst =
            context_.pasteController.shortcutBindings().of(ShortcutAction::burstPaste);
        control->showBurstShortcuts(
            shortcutName(burst),
            shortcutName(pasteChordsFor(PasteKeyStyle::controlShiftV, burst).burst));
    }
}

void SurfaceRefresher::applyQueueLimits() {
    StackStore& store = context_.stackStore;
    for (std::size_t i = 0; i < store.count(); ++i) {
        QueueManager& queue = store.queue(i);
        queue.setMaxItems(QueueManager::defaultMaxItems);
        queue.trimToMaxItems();
    }
    if (store.count() > 0) {
        store.clampActiveIndex();
    }
}

void SurfaceRefresher::rescheduleTimeout() {
    context_.lifecycle.refreshTimeout(interval(context_.settings.queueTimeout),
                                      context_.guarded([this] { refresh(false); }));
}

bool SurfaceRefresher::validateMenuItem(MenuAction action) const {
    switch (action) {
        case MenuAction::pasteNext:
            return context_.isStackActive && context_.shortcutCaptureAvailable &&
                   !context_.activeQueue().isEmpty();
        case MenuAction::clearQueue:
            return !context_.activeQueue().isEmpty();
        case MenuAction::checkForUpdates:
            return context_.services() != nullptr && context_.services()->canCheckForUpdates();
        case MenuAction::other:
            break;
    }
    return true;
}

QueueMode SurfaceRefresher::panelQueueMode() const {
    return context_.activeQueue().effectiveMode();
}

QueueMode SurfaceRefresher::panelSelectedMode() const {
    return context_.activeQueue().mode();
}

}  // namespace tovra
