#pragma once

namespace tovra {

struct AppContext;

/// The frame's windows and update commands; each does nothing without the frame's services.
class FrameCommands {
  public:
    explicit FrameCommands(AppContext& context) : context_(context) {}

    void showAboutFromMenu();
    void showSupportFromMenu();
    void checkForUpdatesFromMenu();
    /// The same check the user asks for: its page offers the waiting update.
    void installPendingUpdateFromMenu() { checkForUpdatesFromMenu(); }
    void copyDiagnosticsFromMenu();
    /// Shows the control window, brought to the front.
    void showStackFromMenu();

  private:
    AppContext& context_;
};

}  // namespace tovra
