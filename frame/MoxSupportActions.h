#pragma once

#include <optional>

#include "MoxAppDiagnostics.h"
#include "MoxAppIdentity.h"
#include "MoxAppOpeningURLs.h"

namespace mox {

/// What the support page's rows do. Actions whose link is missing do nothing.
struct MoxSupportActions {
    MoxAppIdentity identity;
    std::optional<MoxAppDiagnostics> diagnostics;
    MoxAppOpeningURLs& urlOpener;
    MoxClipboardWriting& clipboard;

    void openSupport() const;
    void openDocumentation() const;
    void openWebsite() const;
    /// A mail with the diagnostics when there are some, else to the contact address, else the
    /// support page.
    void contactSupport() const;
    void copyDiagnosticInfo() const;
    void openPrivacyPolicy() const;
    void openTerms() const;

    /// "Tovra 1.2 — ": name and version made single-line, the topic left to the user.
    [[nodiscard]] QString supportSubject() const;
};

}  // namespace mox
