#include "ActivationController.h"

#include "AppContext.h"
#include "SurfaceRefresher.h"
#include "platform/AccessibilityTrust.h"
#include "platform/LoginItem.h"
#include "platform/Pasteboard.h"

namespace tovra {

void ActivationController::applicationDidFinishLaunching(std::function<void()> openQueue) {
    ApplicationFrame* frame = context_.surfaces.frame;
    if (frame != nullptr) {
        frame->installEditMenu();
        if (frame->buildServices()) {
            frame->startUpdates();
        }
    }
    context_.pasteController.setCopyObserver(
        [&pasteboard = context_.environment.pasteboard] { pasteboard.recheck(); });
    context_.pasteController.setPublishWrites(
        [&pasteboard = context_.environment.pasteboard] { return pasteboard.publishWrites(); });
    if (context_.surfaces.overlay != nullptr) {
        context_.surfaces.overlay->setVisibilityObserver(
            context_.guarded([this, &tap = context_.environment.keyboardTap](bool visible) {
                tap.setOverlayShortcutsActive(visible);
                if (!visible) {
                    context_.overlayAskedFor = false;
                }
            }));
    }
    context_.environment.keyboardTap.setShortcutsChangedHandler(
        context_.guarded([this] { surfaces_.refreshStatus(); }));
    setStackActive(true);
    surfaces_.applyQueueLimits();
    if (frame != nullptr) {
        frame->offerOnboarding(context_.guarded(std::move(openQueue)));
    }
    surfaces_.refreshStatus();
    if (frame != nullptr && frame->hasServices()) {
        frame->observeUpdates(context_.guarded([this] { surfaces_.refreshStatus(); }));
    }
}

void ActivationController::applicationWillTerminate() {
    context_.lifecycle.clearAllQueues();
    context_.environment.pasteboard.commitPendingWrites();
    surfaces_.refresh(false);
    context_.clipboardWatcher.stop();
    context_.pasteController.stop();
}

void ActivationController::workspaceWillSleep() {
    // No captured content survives a sleep; the queue stays on. The system may sleep as soon
    // as this returns: the wipe must have reached the display server by then.
    context_.lifecycle.clearAllQueues();
    context_.environment.pasteboard.commitPendingWrites();
    surfaces_.refresh(false);
}

void ActivationController::setStackActive(bool active) {
    if (!active) {
        context_.isStackActive = false;
        context_.clipboardWatcher.stop();
        context_.pasteController.settlePacing();  // paste keys are the applications' now
        context_.lifecycle.clearAllQueues();
        surfaces_.refresh(false);
        surfaces_.refreshStatus();
        return;
    }
    if (!context_.environment.trust.isTrusted()) {
        context_.isStackActive = false;
        context_.shortcutCaptureAvailable = false;
        context_.clipboardWatcher.stop();
        surfaces_.refreshStatus();
        showPermissionWindow();
        return;
    }
    context_.shortcutCaptureAvailable = context_.pasteController.start();
    context_.isStackActive = context_.shortcutCaptureAvailable;
    if (context_.isStackActive) {
        context_.clipboardWatcher.start();
    } else {
        context_.clipboardWatcher.stop();
    }
    surfaces_.refreshStatus();
}

void ActivationController::toggleQueue() {
    setStackActive(!context_.isStackActive);
}

bool ActivationController::checkPermission(bool prompt) {
    AccessibilityTrust& trust = context_.environment.trust;
    if (trust.isTrusted()) {
        setStackActive(true);
        return context_.isStackActive && context_.shortcutCaptureAvailable;
    }
    return prompt && trust.isTrustedWithPrompt();
}

void ActivationController::showPermissionWindow() {
    PermissionSurface* permission = context_.surfaces.permission;
    if (permission == nullptr) {
        return;
    }
    permission->show(context_.guarded([this, permission] {
        if (!context_.environment.trust.isTrusted()) {
            return;  // still missing: the window stays as it is, and no prompt
        }
        setStackActive(true);
        if (context_.isStackActive && context_.shortcutCaptureAvailable) {
            permission->close();
        }
    }));
}

void ActivationController::checkPermissionFromMenu() {
    PermissionSurface* permission = context_.surfaces.permission;
    if (!checkPermission(true)) {
        showPermissionWindow();
    } else if (permission != nullptr && permission->isShown()) {
        permission->close();
    }
}

void ActivationController::toggleLaunchAtLogin() {
    LoginItem* item = context_.environment.loginItem;
    if (item == nullptr) {
        return;
    }
    const auto error = item->isEnabled() ? item->disable() : item->enable();
    if (!error) {
        surfaces_.refreshStatus();
    } else if (context_.surfaces.alerts != nullptr) {
        context_.surfaces.alerts->showError(*error);
    }
}

}  // namespace tovra
