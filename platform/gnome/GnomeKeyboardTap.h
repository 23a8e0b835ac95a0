#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "GnomeBridge.h"
#include "platform/KeyboardTap.h"

namespace tovra {

/// The shortcuts through the extension: the shell takes them as its own key bindings, asks us
/// what each press is for, and either types it on for the application (a pass), drops it, or
/// waits for our answer. A paste is typed by the shell's own virtual keyboard, which its key
/// bindings let through, so the keys stay in order with the user's.
class GnomeKeyboardTap final : public KeyboardTap {
  public:
    explicit GnomeKeyboardTap(GnomeBridge& bridge);

    /// Succeeds without the extension too: the shortcuts are taken whenever it greets us.
    bool start(Handler handler) override;
    void stop() override;
    [[nodiscard]] bool isRunning() const override { return running_; }
    void replayHeld(std::uint64_t serial) override;
    void swallowHeld(std::uint64_t serial) override;
    [[nodiscard]] bool isHeld(std::uint64_t serial) override { return held_.count(serial) > 0; }
    void postSyntheticPaste(unsigned modifiers) override;
    [[nodiscard]] bool canTypeKeys() const override { return bridge_.isConnected(); }
    [[nodiscard]] std::vector<Shortcut> unavailableShortcuts() const override {
        return unavailable_;
    }
    void setShortcutsChangedHandler(std::function<void()> changed) override {
        shortcutsChanged_ = std::move(changed);
    }
    void setOverlayShortcutsActive(bool active) override;

    /// A shortcut as the bridge names it ("v ctrl+shift"), and back.
    static std::string describe(const Shortcut& shortcut);
    static std::optional<Shortcut> parse(std::string_view key, std::string_view modifiers);

  private:
    void onPress(const GnomeBridge::Fields& fields);
    void grab(const Shortcut& shortcut, bool take);
    void shortcutsDidChange() override;
    void grabAll();

    GnomeBridge& bridge_;
    Handler handler_;
    bool running_ = false;
    bool overlayActive_ = false;
    std::set<std::uint64_t> held_;
    std::vector<Shortcut> unavailable_;
    std::function<void()> shortcutsChanged_;
};

}  // namespace tovra
