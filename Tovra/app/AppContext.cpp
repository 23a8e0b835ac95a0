#include "AppContext.h"

#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"
#include "platform/Workspace.h"

namespace tovra {

AppContext::AppContext(AppEnvironment platform, AppSurfaces shown)
    : environment(platform),
      surfaces(shown),
      smartEngine(platform.smartEngine != nullptr ? *platform.smartEngine
                                                  : SmartModeEngine::shared()),
      stackStore(StackStore::applicationStackCount, smartEngine),
      clipboardWatcher(platform.pasteboard, platform.mainQueue),
      pasteController(platform.keyboardTap, platform.mainQueue),
      pasteboardCoordinator(platform.pasteboard, clipboardWatcher),
      lifecycle(stackStore, pasteboardCoordinator, platform.mainQueue) {}

QueueManager& AppContext::activeQueue() const {
    return stackStore.activeQueue();
}

std::optional<std::string> AppContext::frontmostId() const {
    const auto front = environment.workspace.frontmostApplication();
    return front ? front->id : std::nullopt;
}

bool AppContext::overlayVisible() const {
    return surfaces.overlay != nullptr && surfaces.overlay->isVisible();
}

bool AppContext::overlaySummoned() const {
    return overlayVisible() && (overlayAskedFor || surfaces.overlay->isPointerOver());
}

ApplicationFrame* AppContext::services() const {
    ApplicationFrame* frame = surfaces.frame;
    return frame != nullptr && frame->hasServices() ? frame : nullptr;
}

}  // namespace tovra
