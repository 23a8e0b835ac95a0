#include "AppDelegate.h"

#include <unistd.h>

#include <algorithm>
#include <utility>

#include "Tovra/capture/PasteboardCoordinator.h"
#include "Tovra/capture/QueueLifecycleController.h"
#include "Tovra/core/Pasteboard.h"
#include "Tovra/core/PasteboardTypes.h"
#include "Tovra/core/QueueManager.h"
#include "Tovra/core/SmartModeEngine.h"
#include "Tovra/core/StackStore.h"
#include "platform/AccessibilityTrust.h"
#include "platform/LoginItem.h"
#include "platform/MainQueue.h"
#include "platform/Workspace.h"

namespace tovra {

namespace {
constexpr double overlaySeconds = 2.5;
constexpr double revealedOverlaySeconds = 6.0;
constexpr double reactivationDelay = 0.2;
}  // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(AppEnvironment environment, AppSurfaces surfaces) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(environment, surfaces));
}

AppDelegate::AppDelegate(AppEnvironment environment, AppSurfaces surfaces)
    : environment_(environment),
      surfaces_(surfaces),
      smartEngine_(environment.smartEngine != nullptr ? *environment.smartEngine
                                                      : SmartModeEngine::shared()),
      stackStore_(std::make_shared<StackStore>(StackStore::applicationStackCount, smartEngine_)),
      clipboardWatcher_(
          std::make_shared<ClipboardWatcher>(environment.pasteboard, environment.mainQueue)),
      pasteController_(environment.keyboardTap, environment.mainQueue) {}

AppDelegate::~AppDelegate() = default;

std::function<void()> AppDelegate::weakly(void (AppDelegate::*method)()) {
    return [weak = weak_from_this(), method] {
        if (const auto self = weak.lock()) {
            ((*self).*method)();
        }
    };
}

PasteboardCoordinator& AppDelegate::pasteboardCoordinator() {
    if (!pasteboardCoordinator_) {
        pasteboardCoordinator_ =
            std::make_shared<PasteboardCoordinator>(environment_.pasteboard, clipboardWatcher_);
    }
    return *pasteboardCoordinator_;
}

QueueLifecycleController& AppDelegate::lifecycle() {
    if (!queueLifecycleController_) {
        (void)pasteboardCoordinator();
        queueLifecycleController_ = std::make_unique<QueueLifecycleController>(
            stackStore_, pasteboardCoordinator_, environment_.mainQueue);
    }
    return *queueLifecycleController_;
}

QueueManager& AppDelegate::activeQueue() const {
    return stackStore_->activeQueue();
}

int AppDelegate::activeStackIndex() const {
    return stackStore_->activeIndex();
}

std::optional<std::string> AppDelegate::frontmostId() {
    const auto front = environment_.workspace.frontmostApplication();
    return front ? front->id : std::nullopt;
}

bool AppDelegate::overlayVisible() const {
    return surfaces_.overlay != nullptr && surfaces_.overlay->isVisible();
}

// ---- Lifecycle -----------------------------------------------------------------------------

void AppDelegate::applicationDidFinishLaunching() {
    ApplicationFrame* frame = surfaces_.frame;
    if (frame != nullptr) {
        frame->installEditMenu();
        if (frame->buildServices()) {
            frame->startUpdates();
        }
    }
    clipboardWatcher_->setDelegate(weak_from_this());
    pasteController_.setDelegate(weak_from_this());
    pasteController_.setCopyObserver(
        [&pasteboard = environment_.pasteboard] { pasteboard.recheck(); });
    setStackActive(true);
    applyQueueLimits();
    if (frame != nullptr) {
        frame->offerOnboarding(weakly(&AppDelegate::openQueueFromMenu));
    }
    refreshStatus();
    if (frame != nullptr && frame->hasServices()) {
        frame->observeUpdates(weakly(&AppDelegate::refreshStatus));
    }
}

void AppDelegate::applicationWillTerminate() {
    lifecycle().clearAllQueues();
    refresh(false);
    clipboardWatcher_->stop();
    pasteController_.stop();
}

void AppDelegate::workspaceWillSleep() {
    // No captured content survives a sleep; the queue stays on.
    lifecycle().clearAllQueues();
    refresh(false);
}

// ---- The queue -----------------------------------------------------------------------------

void AppDelegate::setStackActive(bool active) {
    if (!active) {
        isStackActive_ = false;
        clipboardWatcher_->stop();
        lifecycle().clearAllQueues();
        refresh(false);
        refreshStatus();
        return;
    }
    if (!environment_.trust.isTrusted()) {
        isStackActive_ = false;
        shortcutCaptureAvailable_ = false;
        clipboardWatcher_->stop();
        refreshStatus();
        showPermissionWindow();
        return;
    }
    shortcutCaptureAvailable_ = pasteController_.start();
    isStackActive_ = shortcutCaptureAvailable_;
    if (isStackActive_) {
        clipboardWatcher_->start();
    } else {
        clipboardWatcher_->stop();
    }
    refreshStatus();
}

void AppDelegate::handleCapturedPayload(ClipboardPayload payload) {
    pasteboardCoordinator().setOwnsPasteboard(false);
    activeQueue().setSmartContext(frontmostId());
    activeQueue().enqueuePayload(std::move(payload), true);
    rescheduleTimeout();
    refresh(false);
}

bool AppDelegate::pasteNext(bool triggerPaste) {
    const auto context = frontmostId();
    QueueManager& queue = activeQueue();
    queue.setSmartContext(context);
    const QueueMode mode = queue.mode();
    const QueueMode resolved = mode == QueueMode::smart ? smartEngine_.resolve(context) : mode;
    if (!pasteboardCoordinator().stageNext(queue, context)) {
        refresh(false);
        return false;
    }
    if (mode == QueueMode::smart) {
        smartEngine_.recordPaste(resolved, context);
    }
    rescheduleTimeout();
    refresh(false);
    if (triggerPaste) {
        environment_.mainQueue.post([weak = weak_from_this()] {
            if (const auto self = weak.lock()) {
                self->pasteController_.scheduleSyntheticPaste();
            }
        });
    }
    return true;
}

std::string AppDelegate::overlayTitle() const {
    const QueueManager& queue = activeQueue();
    std::string modeLabel(rawValue(queue.mode()));
    if (queue.mode() == QueueMode::smart) {
        modeLabel += " / ";
        modeLabel += rawValue(queue.effectiveMode());
    }
    return "Tovra " + std::to_string(stackStore_->activeIndex() + 1) + " \u00B7 " + modeLabel +
           " (" + std::to_string(queue.count()) + ")";
}

namespace {
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
}  // namespace

std::vector<ItemRow> AppDelegate::rows(bool ordered) const {
    std::vector<ItemRow> result;
    const QueueManager& queue = activeQueue();
    if (ordered) {
        for (const StackItem* item : queue.orderedItems()) {
            result.push_back(
                {item->id, item->payload.previewText, item->isPinned, kindOf(item->payload)});
        }
    } else {
        for (const StackItem& item : queue.items()) {
            result.push_back(
                {item.id, item.payload.previewText, item.isPinned, kindOf(item.payload)});
        }
    }
    return result;
}

void AppDelegate::refresh(bool revealOverlay) {
    applyQueueLimits();
    if (surfaces_.overlay != nullptr) {
        // The overlay lists the stack as stored; the panel lists it in hand-out order.
        surfaces_.overlay->update({overlayTitle(), rows(false), privacyMode_, animationsEnabled_,
                                   !hudInteractionEnabled_});
        surfaces_.overlay->show(revealOverlay ? revealedOverlaySeconds : overlaySeconds);
    }
    refreshStatus();
    if (surfaces_.panel != nullptr) {
        surfaces_.panel->reload();
    }
}

void AppDelegate::refreshStatus() {
    if (surfaces_.status != nullptr) {
        surfaces_.status->update({isStackActive_, shortcutCaptureAvailable_, activeQueue().count(),
                                  rows(false), privacyMode_, pendingUpdateVersion()});
    }
    if (surfaces_.control != nullptr) {
        surfaces_.control->update(isStackActive_, stackStore_->activeIndex() + 1,
                                  activeQueue().count(), shortcutCaptureAvailable_);
    }
}

void AppDelegate::applyQueueLimits() {
    for (std::size_t i = 0; i < stackStore_->count(); ++i) {
        QueueManager& queue = stackStore_->queue(i);
        queue.setMaxItems(QueueManager::defaultMaxItems);
        queue.trimToMaxItems();
    }
    if (stackStore_->count() > 0) {
        stackStore_->clampActiveIndex();
    }
}

void AppDelegate::rescheduleTimeout() {
    lifecycle().refreshTimeout(interval(queueTimeout_), [weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->refresh(false);
        }
    });
}

bool AppDelegate::checkPermission(bool prompt) {
    if (environment_.trust.isTrusted()) {
        setStackActive(true);
        return isStackActive_ && shortcutCaptureAvailable_;
    }
    if (prompt) {
        return environment_.trust.isTrustedWithPrompt();
    }
    return false;
}

void AppDelegate::showPermissionWindow() {
    if (surfaces_.permission == nullptr) {
        return;
    }
    surfaces_.permission->show([weak = weak_from_this()] {
        const auto self = weak.lock();
        if (!self || !self->environment_.trust.isTrusted()) {
            return;  // still missing: the window stays as it is, and no prompt
        }
        self->setStackActive(true);
        if (self->isStackActive_ && self->shortcutCaptureAvailable_) {
            self->surfaces_.permission->close();
        }
    });
}

// ---- Delegates -----------------------------------------------------------------------------

void AppDelegate::clipboardWatcherDidCapture(ClipboardWatcher&, ClipboardPayload payload) {
    if (isStackActive_) {
        handleCapturedPayload(std::move(payload));
    }
}

void AppDelegate::toggleQueue() {
    setStackActive(!isStackActive_);
}

void AppDelegate::captureAfterCopy() {
    if (!isStackActive_) {
        return;
    }
    if (auto payload = clipboardWatcher_->checkForChange()) {
        handleCapturedPayload(std::move(*payload));
    }
}

bool AppDelegate::pasteNext() {
    return isStackActive_ && pasteNext(false);
}

bool AppDelegate::burstPaste() {
    QueueManager& queue = activeQueue();
    if (!isStackActive_ || queue.isEmpty()) {
        return false;
    }
    const auto context = frontmostId();
    queue.setSmartContext(context);
    const QueueMode mode = queue.mode();
    const QueueMode resolved = mode == QueueMode::smart ? smartEngine_.resolve(context) : mode;
    auto payload = queue.makeBurstPayload(separatorText(burstSeparator_, customBurstSeparator_));
    if (!payload) {
        return false;
    }
    if (mode == QueueMode::smart) {
        smartEngine_.recordPaste(resolved, context);
    }
    pasteboardCoordinator().write(*payload);
    refresh(false);
    return true;
}

bool AppDelegate::whileOverlayVisible(const std::function<void()>& action) {
    if (!isStackActive_ || !overlayVisible()) {
        return false;  // the keystroke reaches the application unchanged
    }
    action();
    return true;
}

bool AppDelegate::clearFromOverlay() {
    return whileOverlayVisible([this] {
        lifecycle().clearActiveQueue();
        refresh(false);
    });
}

bool AppDelegate::dropNext() {
    return whileOverlayVisible([this] {
        (void)activeQueue().takeNext();
        rescheduleTimeout();
        refresh(true);
    });
}

bool AppDelegate::revealOverlay() {
    if (!isStackActive_) {
        return false;
    }
    refresh(true);
    return true;
}

bool AppDelegate::moveNextUp() {
    return whileOverlayVisible([this] {
        activeQueue().moveNextUp();
        refresh(true);
    });
}

bool AppDelegate::moveNextDown() {
    return whileOverlayVisible([this] {
        activeQueue().moveNextDown();
        refresh(true);
    });
}

bool AppDelegate::swapEnds() {
    return whileOverlayVisible([this] { swapEndsFromMenu(); });
}

bool AppDelegate::togglePinNext() {
    return whileOverlayVisible([this] { pinNextFromMenu(); });
}

bool AppDelegate::selectStack(int index) {
    if (!isStackActive_ || !stackStore_->selectStack(index)) {
        return false;
    }
    refresh(true);
    return true;
}

// ---- The overlay's rows ------------------------------------------------------------------

void AppDelegate::hudDidMoveItem(const Uuid& id, int toIndex) {
    activeQueue().move(id, toIndex);
    rescheduleTimeout();
    refresh(true);
}

void AppDelegate::hudDidDeleteItem(const Uuid& id) {
    activeQueue().remove(id);
    rescheduleTimeout();
    refresh(true);
}

void AppDelegate::hudDidTogglePin(const Uuid& id) {
    activeQueue().togglePin(id);
    rescheduleTimeout();
    refresh(true);
}

// ---- Menu and window commands ----------------------------------------------------------------

bool AppDelegate::validateMenuItem(MenuAction action) const {
    switch (action) {
        case MenuAction::pasteNext:
            return isStackActive_ && shortcutCaptureAvailable_ && !activeQueue().isEmpty();
        case MenuAction::clearQueue:
            return !activeQueue().isEmpty();
        case MenuAction::checkForUpdates:
            return services() != nullptr && services()->canCheckForUpdates();
        case MenuAction::other:
            break;
    }
    return true;
}

void AppDelegate::toggleStackFromMenu() {
    setStackActive(!isStackActive_);
}

void AppDelegate::pasteNextFromMenu() {
    pasteNext(true);
}

bool AppDelegate::pasteQueueItemFromMenu(std::optional<long> position) {
    const auto& items = activeQueue().items();
    if (!position || *position < 0 || static_cast<std::size_t>(*position) >= items.size()) {
        return false;
    }
    pasteChosen(items[static_cast<std::size_t>(*position)].id);
    return true;
}

void AppDelegate::pasteChosen(const Uuid& id) {
    QueueManager& queue = activeQueue();
    const auto found = std::find_if(queue.items().begin(), queue.items().end(),
                                    [&](const StackItem& item) { return item.id == id; });
    if (found == queue.items().end()) {
        return;
    }
    const ClipboardPayload payload = found->payload;
    queue.remove(id);
    pasteboardCoordinator().write(payload);
    rescheduleTimeout();
    refresh(false);
    environment_.mainQueue.post([weak = weak_from_this()] {
        if (const auto self = weak.lock()) {
            self->pasteController_.scheduleSyntheticPaste();
        }
    });
}

void AppDelegate::clearActiveQueue() {
    lifecycle().clearActiveQueue();
}

void AppDelegate::clearQueueFromMenu() {
    if (activeQueue().isEmpty() || surfaces_.alerts == nullptr) {
        return;  // never cleared without the confirmation
    }
    if (surfaces_.alerts->confirmClearQueue()) {
        clearActiveQueue();
        refresh(false);
    }
}

void AppDelegate::openQueueFromMenu() {
    // Opened while one of our own windows is in front: keep the application remembered before.
    const auto front = environment_.workspace.frontmostApplication();
    if (front && front->pid != static_cast<std::int64_t>(::getpid())) {
        applicationBeforePanel_ = front;
    }
    if (surfaces_.panel != nullptr) {
        surfaces_.panel->open();
    }
}

void AppDelegate::openPreferencesFromMenu() {
    if (surfaces_.preferences == nullptr) {
        return;
    }
    PreferencesValues values;
    values.mode = rawValue(activeQueue().mode());
    values.queueTimeout = rawValue(queueTimeout_);
    values.burstSeparator = rawValue(burstSeparator_);
    values.privacyMode = rawValue(privacyMode_);
    values.activeStackIndex = stackStore_->activeIndex();
    values.hudInteractionEnabled = hudInteractionEnabled_;
    values.animationsEnabled = animationsEnabled_;
    values.availableStackCount = availableStackCount();
    surfaces_.preferences->present(values);
}

void AppDelegate::setHUDInteractionEnabled(bool enabled) {
    hudInteractionEnabled_ = enabled;
    refresh(true);
}

void AppDelegate::setAnimationsEnabled(bool enabled) {
    animationsEnabled_ = enabled;
    refresh(true);
}

void AppDelegate::selectQueueMode(std::string_view raw) {
    const auto mode = fromRawValue<QueueMode>(raw);
    if (!mode) {
        return;
    }
    activeQueue().setMode(*mode);
    const auto context =
        activeQueue().smartContext() ? activeQueue().smartContext() : frontmostId();
    smartEngine_.setOverride(*mode, context);
    refresh(true);
}

void AppDelegate::selectStackFromMenu(std::optional<long> index) {
    if (!index || *index < 0 || *index > StackStore::highestSelectableIndex) {
        return;
    }
    if (stackStore_->selectStack(static_cast<int>(*index))) {
        refresh(true);
    }
}

void AppDelegate::selectPrivacyMode(std::string_view raw) {
    if (const auto mode = fromRawValue<PrivacyMode>(raw)) {
        privacyMode_ = *mode;
        refresh(true);
    }
}

void AppDelegate::selectBurstSeparator(std::string_view raw) {
    const auto separator = fromRawValue<BurstSeparator>(raw);
    if (!separator) {
        return;
    }
    burstSeparator_ = *separator;
    if (*separator == BurstSeparator::custom && surfaces_.alerts != nullptr) {
        if (auto text = surfaces_.alerts->askCustomSeparator(customBurstSeparator_)) {
            customBurstSeparator_ = std::move(*text);
        }
    }
    refresh(true);
}

void AppDelegate::selectQueueTimeout(std::string_view raw) {
    if (const auto timeout = fromRawValue<QueueTimeout>(raw)) {
        queueTimeout_ = *timeout;
        rescheduleTimeout();
        refreshStatus();
    }
}

void AppDelegate::pinNextFromMenu() {
    activeQueue().togglePinNext();
    refresh(true);
}

void AppDelegate::swapEndsFromMenu() {
    activeQueue().swapEnds();
    refresh(true);
}

void AppDelegate::toggleHUDInteraction() {
    hudInteractionEnabled_ = !hudInteractionEnabled_;
    refresh(true);
}

void AppDelegate::toggleAnimations() {
    animationsEnabled_ = !animationsEnabled_;
    refresh(true);
}

void AppDelegate::clearSmartLearning() {
    smartEngine_.resetLearning();
    refresh(true);
}

void AppDelegate::toggleLaunchAtLogin() {
    LoginItem* item = environment_.loginItem;
    if (item == nullptr) {
        return;
    }
    const auto error = item->isEnabled() ? item->disable() : item->enable();
    if (!error) {
        refreshStatus();
    } else if (surfaces_.alerts != nullptr) {
        surfaces_.alerts->showError(*error);
    }
}

void AppDelegate::checkPermissionFromMenu() {
    if (!checkPermission(true)) {
        showPermissionWindow();
    } else if (surfaces_.permission != nullptr && surfaces_.permission->isShown()) {
        surfaces_.permission->close();
    }
}

ApplicationFrame* AppDelegate::services() const {
    ApplicationFrame* frame = surfaces_.frame;
    return frame != nullptr && frame->hasServices() ? frame : nullptr;
}

std::optional<std::string> AppDelegate::pendingUpdateVersion() const {
    return services() != nullptr ? services()->pendingUpdateVersion() : std::nullopt;
}

void AppDelegate::showAboutFromMenu() {
    if (services() != nullptr) {
        services()->showAbout();
    }
}

void AppDelegate::showSupportFromMenu() {
    if (services() != nullptr) {
        services()->showSupport();
    }
}

void AppDelegate::checkForUpdatesFromMenu() {
    if (services() != nullptr) {
        services()->checkForUpdates();
    }
}

void AppDelegate::installPendingUpdateFromMenu() {
    // The same check the user asks for: its page offers the waiting update.
    checkForUpdatesFromMenu();
}

void AppDelegate::copyDiagnosticsFromMenu() {
    if (services() != nullptr) {
        services()->copyDiagnostics();
    }
}

void AppDelegate::copyText(const std::string& text) {
    Pasteboard& pasteboard = environment_.pasteboard;
    pasteboard.clearContents();
    pasteboard.setString(text, pasteboardType::string);
    auto payload = makeTextPayload(Bytes(text));
    if (!isStackActive_ || !payload) {
        return;
    }
    // Split into lines like other copies, a diagnostic text would be pasted line by line.
    clipboardWatcher_->setIgnoredChangeCount(pasteboard.changeCount());
    pasteboardCoordinator().setOwnsPasteboard(false);
    activeQueue().setSmartContext(frontmostId());
    activeQueue().enqueuePayload(std::move(*payload), false);
    rescheduleTimeout();
    refresh(false);
}

void AppDelegate::showStackFromMenu() {
    if (surfaces_.control != nullptr) {
        surfaces_.control->present();
    }
}

void AppDelegate::clearFromControlWindow() {
    clearActiveQueue();
    refresh(false);
}

// ---- Queue panel ---------------------------------------------------------------------------

std::vector<ItemRow> AppDelegate::panelItems() const {
    return rows(true);
}

QueueMode AppDelegate::panelQueueMode() const {
    return activeQueue().effectiveMode();
}

QueueMode AppDelegate::panelSelectedMode() const {
    return activeQueue().mode();
}

void AppDelegate::pasteItem(const Uuid& id) {
    if (surfaces_.panel != nullptr) {
        surfaces_.panel->close();
    }
    const auto previous = std::exchange(applicationBeforePanel_, std::nullopt);
    if (!previous || !environment_.workspace.activate(*previous)) {
        pasteChosen(id);
        return;
    }
    // Give the application time to take the focus back, so the paste reaches it.
    pendingWork_.push_back(environment_.mainQueue.after(MainQueue::Seconds(reactivationDelay),
                                                        [this, id] { pasteChosen(id); }));
}

void AppDelegate::removeItem(const Uuid& id) {
    activeQueue().remove(id);
    rescheduleTimeout();
    refresh(false);
}

void AppDelegate::togglePinItem(const Uuid& id) {
    activeQueue().togglePin(id);
    rescheduleTimeout();
    refresh(true);
}

void AppDelegate::moveItem(const Uuid& id, long index) {
    activeQueue().move(id, index);
    rescheduleTimeout();
    refresh(true);
}

void AppDelegate::clearFromPanel() {
    clearActiveQueue();
    refresh(false);
}

}  // namespace tovra
