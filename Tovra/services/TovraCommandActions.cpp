#include "TovraCommandActions.h"

#include "frame/MoxAboutView.h"
#include "frame/MoxAppOpeningURLs.h"
#include "frame/MoxAppSettingsView.h"
#include "frame/MoxSupportView.h"

namespace tovra {

void TovraCommandActions::showAbout() {
    if (const auto services = services_.lock()) {
        mox::presentAboutWindow(services->identity(), services->diagnostics(), presenter_);
    }
}

void TovraCommandActions::showSupport() {
    if (const auto services = services_.lock()) {
        mox::presentSupportWindow(services->identity(), services->diagnostics(), presenter_);
    }
}

void TovraCommandActions::copyDiagnostics() {
    if (const auto services = services_.lock()) {
        mox::sharedClipboardWriter().write(services->diagnostics().formattedText());
    }
}

void TovraCommandActions::showUpdates() {
    if (const auto services = services_.lock()) {
        const std::weak_ptr<AppServices> weak = services;
        mox::presentSettingsWindow(
            services->identity(), services->updates(),
            [weak]() -> std::optional<mox::MoxAppDiagnostics> {
                if (const auto alive = weak.lock()) {
                    return alive->diagnostics();
                }
                return std::nullopt;
            },
            weak_from_this(), mox::MoxSettingsSection::updates, presenter_);
    }
}

}  // namespace tovra
