#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Tovra/app/AppDelegate.h"
#include "Tovra/app/Surfaces.h"
#include "platform/AccessibilityTrust.h"
#include "platform/LoginItem.h"
#include "platform/MainQueue.h"

namespace tovra::test {

class FakeOverlay final : public OverlaySurface {
  public:
    explicit FakeOverlay(MainQueue& queue) : queue_(queue) {}
    void update(const State& next) override { state = next; }
    void show(double seconds) override {
        setVisible(true);
        shownFor = seconds;
        hide_ = queue_.after(MainQueue::Seconds(seconds), [this] { setVisible(false); });
    }
    [[nodiscard]] bool isVisible() const override { return visible; }
    [[nodiscard]] bool isPointerOver() const override { return visible && pointerOver; }
    void setUndoHandler(std::function<void()> undo) override { clickUndo = std::move(undo); }
    void setVisibilityObserver(std::function<void(bool)> observer) override {
        observer_ = std::move(observer);
    }
    void setVisible(bool shown) {
        if (shown != visible) {
            visible = shown;
            if (observer_) {
                observer_(shown);
            }
        }
    }

    State state;
    bool visible = false;
    bool pointerOver = false;
    double shownFor = 0;
    /// The overlay's "Undo", as the user clicks it.
    std::function<void()> clickUndo;

  private:
    MainQueue& queue_;
    TaskHandle hide_;
    std::function<void(bool)> observer_;
};

class FakeStatus final : public StatusSurface {
  public:
    void update(const State& next) override {
        state = next;
        ++updates;
    }
    State state;
    int updates = 0;
};

class FakePanel final : public QueuePanelSurface {
  public:
    void reload() override { ++revision; }
    void open() override { isOpen = true; }
    void close() override { isOpen = false; }
    int revision = 0;
    bool isOpen = false;
};

class FakeControl final : public ControlSurface {
  public:
    void update(bool active, int stack, std::size_t count, bool capture) override {
        isActive = active;
        stackNumber = stack;
        itemCount = count;
        shortcutCaptureAvailable = capture;
    }
    void present() override { ++presented; }
    void showUnavailableShortcuts(const std::vector<std::string>& names) override {
        unavailableShortcuts = names;
    }
    bool isActive = false;
    std::vector<std::string> unavailableShortcuts;
    int stackNumber = 0;
    std::size_t itemCount = 0;
    bool shortcutCaptureAvailable = false;
    int presented = 0;
};

class FakePreferences final : public PreferencesSurface {
  public:
    void present(const PreferencesValues& values) override { shown.push_back(values); }
    std::vector<PreferencesValues> shown;
};

class FakePermission final : public PermissionSurface {
  public:
    void show(std::function<void()> retryHandler) override {
        retry = std::move(retryHandler);
        shown = true;
        ++shows;
    }
    void close() override { shown = false; }
    [[nodiscard]] bool isShown() const override { return shown; }
    std::function<void()> retry;
    bool shown = false;
    int shows = 0;
};

class FakeAlerts final : public Alerts {
  public:
    bool confirmClearQueue() override {
        ++clearQuestions;
        return confirmClear;
    }
    std::optional<std::string> askCustomSeparator(const std::string& current) override {
        offeredSeparator = current;
        return separatorAnswer;
    }
    void showError(const std::string& message) override { errors.push_back(message); }

    bool confirmClear = true;
    int clearQuestions = 0;
    std::optional<std::string> separatorAnswer;
    std::string offeredSeparator;
    std::vector<std::string> errors;
};

class FakeTrust final : public AccessibilityTrust {
  public:
    bool isTrusted() override { return trusted; }
    bool isTrustedWithPrompt() override {
        ++prompts;
        return trusted;
    }
    void openSettings() override { ++settingsOpened; }
    bool trusted = true;
    int prompts = 0;
    int settingsOpened = 0;
};

class FakeLoginItem final : public LoginItem {
  public:
    bool isEnabled() override { return enabled; }
    std::optional<std::string> enable() override {
        if (failure) {
            return failure;
        }
        enabled = true;
        return std::nullopt;
    }
    std::optional<std::string> disable() override {
        enabled = false;
        return std::nullopt;
    }
    bool enabled = false;
    std::optional<std::string> failure;
};

/// Records what the controller asks of the application frame.
class FakeFrame final : public ApplicationFrame {
  public:
    void installEditMenu() override { calls.push_back("installEditMenu"); }
    bool buildServices() override {
        calls.push_back("buildServices");
        services = servicesBuild;
        return services;
    }
    [[nodiscard]] bool hasServices() const override { return services; }
    void startUpdates() override { calls.push_back("startUpdates"); }
    [[nodiscard]] bool canCheckForUpdates() const override { return canCheck; }
    void checkForUpdates() override { calls.push_back("checkForUpdates"); }
    [[nodiscard]] std::optional<bool> automaticUpdateChecks() const override {
        return automaticChecks;
    }
    void setAutomaticUpdateChecks(bool on) override { automaticChecks = on; }
    [[nodiscard]] std::optional<std::string> pendingUpdateVersion() const override {
        return pending;
    }
    void observeUpdates(std::function<void()> changed) override {
        calls.push_back("observeUpdates");
        updatesChanged = std::move(changed);
    }
    void showAbout() override { calls.push_back("showAbout"); }
    void showSupport() override { calls.push_back("showSupport"); }
    void copyDiagnostics() override { calls.push_back("copyDiagnostics"); }
    void offerOnboarding(std::function<void()> openQueue) override {
        calls.push_back("offerOnboarding");
        onboardingAction = std::move(openQueue);
    }

    bool servicesBuild = true;
    bool services = false;
    bool canCheck = true;
    std::optional<bool> automaticChecks = true;
    std::optional<std::string> pending;
    std::vector<std::string> calls;
    std::function<void()> updatesChanged;
    std::function<void()> onboardingAction;
};

}  // namespace tovra::test
