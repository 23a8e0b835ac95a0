#pragma once

#include <functional>
#include <utility>

#include "platform/Platform.h"

namespace tovra {

/// Stand-ins where no desktop can be reached (a Wayland session without X11): nothing to read,
/// nothing to intercept, no application in front. The permission window says what is needed.
class NullPasteboard final : public Pasteboard {
  public:
    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_; }
    std::optional<Bytes> string() override { return std::nullopt; }
    std::optional<Bytes> data(std::string_view) override { return std::nullopt; }
    void clearContents() override { ++changeCount_; }
    bool setString(std::string_view, std::string_view) override { return false; }
    bool setData(Bytes, std::string_view) override { return false; }

  private:
    std::int64_t changeCount_ = 0;
};

class NullKeyboardTap final : public KeyboardTap {
  public:
    bool start(Handler) override { return false; }
    void stop() override {}
    [[nodiscard]] bool isRunning() const override { return false; }
    void replayHeld(std::uint64_t) override {}
    void swallowHeld(std::uint64_t) override {}
    [[nodiscard]] bool isHeld(std::uint64_t /*serial*/) override { return false; }
    void postSyntheticPaste(unsigned) override {}
    [[nodiscard]] bool interceptsKeys() const override { return false; }
    [[nodiscard]] std::vector<Shortcut> unavailableShortcuts() const override { return {}; }
    void setOverlayShortcutsActive(bool) override {}
};

class NullWorkspace final : public Workspace {
  public:
    [[nodiscard]] std::optional<FrontmostApplication> frontmostApplication() override {
        return std::nullopt;
    }
    bool activate(const FrontmostApplication&) override { return false; }
};

/// Never trusted: the desktop cannot be reached. Its settings are the help that explains why.
class NullAccessibilityTrust final : public AccessibilityTrust {
  public:
    explicit NullAccessibilityTrust(std::function<void()> openHelp)
        : openHelp_(std::move(openHelp)) {}
    [[nodiscard]] bool isTrusted() override { return false; }
    bool isTrustedWithPrompt() override { return false; }
    void openSettings() override {
        if (openHelp_) {
            openHelp_();
        }
    }

  private:
    std::function<void()> openHelp_;
};

class NullPlatform final : public Platform {
  public:
    explicit NullPlatform(std::function<void()> openHelp) : trust_(std::move(openHelp)) {}
    Pasteboard& pasteboard() override { return pasteboard_; }
    KeyboardTap& keyboardTap() override { return keyboardTap_; }
    Workspace& workspace() override { return workspace_; }
    AccessibilityTrust& trust() override { return trust_; }

  private:
    NullPasteboard pasteboard_;
    NullKeyboardTap keyboardTap_;
    NullWorkspace workspace_;
    NullAccessibilityTrust trust_;
};

}  // namespace tovra
