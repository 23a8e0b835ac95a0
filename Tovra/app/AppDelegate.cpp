#include "AppDelegate.h"

#include "Tovra/base/SecureAllocator.h"

#include "platform/MainQueue.h"

namespace tovra {

std::shared_ptr<AppDelegate> AppDelegate::create(AppEnvironment environment, AppSurfaces surfaces) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(environment, surfaces));
}

AppDelegate::AppDelegate(AppEnvironment environment, AppSurfaces surfaces)
    : context_(environment, surfaces) {
    context_.lifecycle.setClearObserver([this](std::optional<int> stack) {
        paste_.forgetStaged(stack);
        if (context_.environment.releaseFreedMemory) {
            // After this turn, once everything the clear dropped is freed.
            context_.environment.mainQueue.post(
                context_.guarded([this] { context_.environment.releaseFreedMemory(); }));
        }
    });
}

AppDelegate::~AppDelegate() = default;

std::shared_ptr<HUDWindowDragDelegate> AppDelegate::overlayRowsDelegate() {
    // Shares the controller's lifetime, so a weak reference to it expires with the controller.
    return {shared_from_this(), &edits_};
}

void AppDelegate::applicationDidFinishLaunching() {
    context_.clipboardWatcher.setDelegate(
        std::shared_ptr<ClipboardWatcherDelegate>(shared_from_this(), &capture_));
    context_.pasteController.setDelegate(weak_from_this());
    settings_.loadShortcuts();
    if (context_.surfaces.overlay != nullptr) {
        context_.surfaces.overlay->setUndoHandler(context_.guarded([this] { edits_.undoClear(); }));
    }
    // When the chance to take a clear back lapses, the menu and the overlay stop offering it.
    context_.lifecycle.setUndoLapsedObserver(context_.guarded([this] {
        if (context_.environment.releaseFreedMemory) {
            context_.environment.releaseFreedMemory();  // the kept items are freed now
        }
        if (context_.overlayVisible()) {
            refresher_.refresh(false);
        } else {
            refresher_.refreshStatus();
        }
    }));
    activation_.applicationDidFinishLaunching([this] { paste_.openQueueFromMenu(); });
}

std::optional<std::string> AppDelegate::pasteNextFromCommandLine() {
    if (!context_.isStackActive) {
        return "Tovra is off: nothing was pasted (tovra on switches it on)";
    }
    if (context_.activeQueue().isEmpty()) {
        return "the queue is empty: nothing was pasted";
    }
    if (!paste_.pasteNext(true)) {
        return "nothing was pasted: the window in front has no key that pastes the clipboard";
    }
    return stagedForTheUsersPaste();
}

std::optional<std::string> AppDelegate::pasteAllFromCommandLine() {
    if (!context_.isStackActive) {
        return "Tovra is off: nothing was pasted (tovra on switches it on)";
    }
    if (context_.activeQueue().isEmpty()) {
        return "the queue is empty: nothing was pasted";
    }
    if (!paste_.burstPasteFromMenu()) {
        return "nothing was pasted: the window in front has no key that pastes the clipboard";
    }
    return stagedForTheUsersPaste();
}

std::optional<std::string> AppDelegate::stagedForTheUsersPaste() const {
    if (context_.environment.keyboardTap.canTypeKeys()) {
        return std::nullopt;
    }
    return "the item is on the clipboard, not pasted: this desktop does not let Tovra type keys, "
           "so paste it with your own paste key (Ctrl+V)";
}

std::optional<std::string> AppDelegate::showOverlayFromCommandLine() {
    if (!edits_.revealOverlay()) {
        return "Tovra is off: the overlay shows the queue while it is on";
    }
    return std::nullopt;
}

std::optional<std::string> AppDelegate::selectStackFromCommandLine(int number) {
    if (number < 1 || number > availableStackCount()) {
        return "there is no stack " + std::to_string(number);
    }
    edits_.selectStackFromMenu(number - 1);
    return std::nullopt;
}

std::string AppDelegate::commandLineStatus(bool withHeldBytes) const {
    const QueueMode selected = panelSelectedMode();
    std::string mode(rawValue(selected));
    if (selected == QueueMode::smart) {
        mode += " (" + std::string(rawValue(panelQueueMode())) + ")";
    }
    std::string status = std::string("state: ") + (context_.isStackActive ? "on" : "off") +
                         "\nstack: " + std::to_string(activeStackIndex() + 1) +
                         "\nitems: " + std::to_string(context_.activeQueue().count()) +
                         "\nmode: " + mode + "\n";
    if (withHeldBytes) {
        // Every copy of captured content still in memory, staged items included.
        status += "held: " + std::to_string(secureLiveBytes()) + " bytes\n";
    }
    return status;
}

}  // namespace tovra
