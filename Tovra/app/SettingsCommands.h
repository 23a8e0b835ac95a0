#pragma once

#include <string_view>

namespace tovra {

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
    void openPreferencesFromMenu();

  private:
    AppContext& context_;
    SurfaceRefresher& surfaces_;
};

}  // namespace tovra
