#include "AppDelegate.h"

#include "platform/MainQueue.h"

namespace tovra {

std::shared_ptr<AppDelegate> AppDelegate::create(AppEnvironment environment, AppSurfaces surfaces) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(environment, surfaces));
}

AppDelegate::AppDelegate(AppEnvironment environment, AppSurfaces surfaces)
    : context_(environment, surfaces) {
    context_.lifecycle.setClearObserver([this] {
        paste_.forgetStaged();
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
    activation_.applicationDidFinishLaunching([this] { paste_.openQueueFromMenu(); });
}

}  // namespace tovra
