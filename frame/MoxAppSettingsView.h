#pragma once

#include <QSet>
#include <QTabWidget>
#include <functional>
#include <memory>
#include <optional>

#include "AnyMoxUpdateManager.h"
#include "MoxAppDiagnostics.h"
#include "MoxAppIdentity.h"
#include "MoxAppOpeningURLs.h"
#include "MoxCommandActions.h"
#include "MoxSettingsSection.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"

namespace mox {

class MoxDiagnosticsView;
class MoxSupportView;

/// The settings shell: Updates, Support, About and Diagnostics pages, each present when its
/// section is asked for (Diagnostics also needs a record).
class MoxAppSettingsView final : public QTabWidget {
  public:
    MoxAppSettingsView(const MoxAppIdentity& identity, AnyMoxUpdateManager& updates,
                       std::optional<MoxAppDiagnostics> diagnostics,
                       QSet<MoxSettingsSection> sections, MoxAppOpeningURLs& urlOpener,
                       MoxClipboardWriting& clipboard, QWidget* parent = nullptr);

    /// Brings a page forward; false when it is not there.
    bool showSection(MoxSettingsSection section);
    [[nodiscard]] QStringList tabLabels() const;
    /// A newer diagnostic record for the Support and Diagnostics pages.
    void setDiagnostics(const MoxAppDiagnostics& diagnostics);

  private:
    QList<MoxSettingsSection> order_;
    MoxSupportView* support_ = nullptr;
    MoxDiagnosticsView* diagnosticsView_ = nullptr;
};

/// The settings window ("settings", resizable from 560 x 460) on `section`, with the
/// application and Help menus; an open one is brought forward and turned to that page. The
/// diagnostic record is made again after each update change.
QWidget* presentSettingsWindow(
    const MoxAppIdentity& identity, AnyMoxUpdateManager& updates,
    std::function<std::optional<MoxAppDiagnostics>()> diagnostics,
    std::weak_ptr<MoxCommandActions> actions, MoxSettingsSection section,
    MoxSatelliteWindowPresenter& presenter = MoxSatelliteWindowPresenter::shared());

}  // namespace mox
