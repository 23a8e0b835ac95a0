#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovra {

struct ShortcutRow;

struct AppContext;
class SurfaceRefresher;

/// The settings, from the menu and the preferences window; each change shows on every surface.
class SettingsCommands {
  public:
    SettingsCommands(AppContext& context, SurfaceRefresher& surfaces)
        : context_(context), surfaces_(surfaces) {}

    /// Raw values as the menus carry them; an unknown one changes nothing.
    void selectQueueMode(std::string_view raw);
    void selectPrivacyMode(std::string_view raw);
    /// "custom" asks for the text, keeping the last one when the user cancels.
    void selectBurstSeparator(std::string_view raw);
    void selectQueueTimeout(std::string_view raw);
    /// The preferences' switches set a value rather than flip it.
    void setHUDInteractionEnabled(bool enabled);
    void setAnimationsEnabled(bool enabled);
    void toggleHUDInteraction();
    void toggleAnimations();
    void clearSmartLearning();
    /// The user's word on one application: a terminal (pasting with Ctrl+Shift+V) or not.
    void markApplicationAsTerminal(std::string_view applicationId, bool isTerminal);
    /// The preferences' lists replace every mark.
    void setTerminalApplications(const std::vector<std::string>& terminals,
                                 const std::vector<std::string>& nonTerminals);
    void openPreferencesFromMenu();
    /// The shortcuts the user chose before, taken by the tap; entries that cannot be used are
    /// reported on standard error and keep their defaults.
    void loadShortcuts();
    std::optional<std::string> setShortcut(std::string_view action, std::string_view shortcut);
    [[nodiscard]] std::vector<ShortcutRow> shortcutRows() const;

  private:
    AppContext& context_;
    SurfaceRefresher& surfaces_;
};

}  // namespace tovra
