#include "FrameCommands.h"

#include "AppContext.h"

namespace tovra {

void FrameCommands::showAboutFromMenu() {
    if (ApplicationFrame* services = context_.services()) {
        services->showAbout();
    }
}

void FrameCommands::showSupportFromMenu() {
    if (ApplicationFrame* services = context_.services()) {
        services->showSupport();
    }
}

void FrameCommands::checkForUpdatesFromMenu() {
    if (ApplicationFrame* services = context_.services()) {
        services->checkForUpdates();
    }
}

void FrameCommands::copyDiagnosticsFromMenu() {
    if (ApplicationFrame* services = context_.services()) {
        services->copyDiagnostics();
    }
}

void FrameCommands::showStackFromMenu() {
    if (ControlSurface* control = context_.surfaces.control) {
        control->present();
    }
}

}  // namespace tovra
