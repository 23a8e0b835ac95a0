#pragma once

#include <QScrollArea>
#include <optional>

#include "MoxAppDiagnostics.h"
#include "MoxAppIdentity.h"
#include "MoxAppOpeningURLs.h"
#include "MoxUI/MoxBundle.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"

class QLabel;

namespace mox {

/// Icon, name and maker, the version line, the product's links and the maker's note.
class MoxAboutView final : public QScrollArea {
  public:
    MoxAboutView(const MoxAppIdentity& identity, std::optional<MoxAppDiagnostics> diagnostics,
                 MoxAppOpeningURLs& urlOpener, const MoxBundle& bundle = MoxBundle::main(),
                 QWidget* parent = nullptr);

    /// "Version 1.2 (Build 42)", "Version 1.2", "Build 42", or nothing.
    static std::optional<QString> versionLine(const std::optional<QString>& version,
                                              const std::optional<QString>& build);
    /// The version line shown, empty when there is none.
    [[nodiscard]] QString shownVersionLine() const;
    /// The link buttons' titles, in order.
    [[nodiscard]] QStringList linkTitles() const;
};

/// The "about-app" window (480 x 540), reused while it is open.
QWidget* presentAboutWindow(
    const MoxAppIdentity& identity, std::optional<MoxAppDiagnostics> diagnostics,
    MoxSatelliteWindowPresenter& presenter = MoxSatelliteWindowPresenter::shared());

}  // namespace mox
