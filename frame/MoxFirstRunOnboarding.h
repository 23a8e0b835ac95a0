#pragma once

#include <QSettings>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace mox {

class MoxSatelliteWindowPresenter;

/// What the first-run window says and offers.
struct MoxFirstRunOnboarding {
    /// A tray application (on a desktop with a tray, or without one, where its small window
    /// stands in for the tray), or a windowed one.
    enum class Kind { menubar, trayless, windowed };
    [[nodiscard]] static bool livesInBackground(Kind kind) { return kind != Kind::windowed; }
    struct Highlight {
        QString icon;
        QString title;
        QString body;
        friend bool operator==(const Highlight&, const Highlight&) = default;
    };

    Kind kind = Kind::menubar;
    QString primaryActionLabel;
    std::vector<Highlight> highlights;
    std::function<void()> onPrimaryAction;

    /// "Try it now" for a tray application, "Get started" for a windowed one.
    static QString defaultPrimaryActionLabel(Kind kind);
    /// 480 wide for menubar, 540 for windowed; taller with highlights.
    static QSize windowSize(Kind kind, bool hasHighlights);
    /// "moxworks.<slug>.first-run".
    static QString windowIdentifier(const QString& slug);
};

/// Shows the onboarding window unless the store says it was completed; it is marked completed
/// only when the user dismisses it. Returns the window, or null when nothing was shown.
QWidget* presentOnboardingIfNeeded(const QString& slug, MoxFirstRunOnboarding::Kind kind,
                                   std::optional<QString> primaryActionLabel,
                                   std::vector<MoxFirstRunOnboarding::Highlight> highlights,
                                   std::function<void()> primaryAction, QSettings& store,
                                   MoxSatelliteWindowPresenter* presenter = nullptr);

}  // namespace mox
