#include "MoxFirstRunOnboarding.h"

#include "MoxFirstRunGuard.h"
#include "MoxFirstRunOnboardingView.h"
#include "MoxUI/MoxBrandPack.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"

namespace mox {

QString MoxFirstRunOnboarding::defaultPrimaryActionLabel(Kind kind) {
    return livesInBackground(kind) ? QStringLiteral("Try it now") : QStringLiteral("Get started");
}

QSize MoxFirstRunOnboarding::windowSize(Kind kind, bool hasHighlights) {
    if (livesInBackground(kind)) {
        return {480, hasHighlights ? 560 : 440};
    }
    return {540, hasHighlights ? 520 : 460};
}

QString MoxFirstRunOnboarding::windowIdentifier(const QString& slug) {
    return QStringLiteral("moxworks.") + slug + QStringLiteral(".first-run");
}

QWidget* presentOnboardingIfNeeded(const QString& slug, MoxFirstRunOnboarding::Kind kind,
                                   std::optional<QString> primaryActionLabel,
                                   std::vector<MoxFirstRunOnboarding::Highlight> highlights,
                                   std::function<void()> primaryAction, QSettings& store,
                                   MoxSatelliteWindowPresenter* presenter) {
    if (!MoxFirstRunGuard::shouldShowOnboarding(slug, store)) {
        return nullptr;
    }
    MoxSatelliteWindowPresenter& windows =
        presenter != nullptr ? *presenter : MoxSatelliteWindowPresenter::shared();
    const bool hasHighlights = !highlights.empty();
    MoxFirstRunOnboarding config{
        kind, primaryActionLabel.value_or(MoxFirstRunOnboarding::defaultPrimaryActionLabel(kind)),
        std::move(highlights), std::move(primaryAction)};
    const QString identifier = MoxFirstRunOnboarding::windowIdentifier(slug);
    auto onDismiss = [slug, &store, &windows, identifier] {
        MoxFirstRunGuard::markCompleted(slug, store);
        if (QWidget* window = windows.window(identifier)) {
            window->close();
        }
    };
    const QSize size = MoxFirstRunOnboarding::windowSize(kind, hasHighlights);
    return windows.present(identifier, MoxBrandPack::current().displayName, size.width(),
                           size.height(), false,
                           new MoxFirstRunOnboardingView(std::move(config), std::move(onDismiss)));
}

}  // namespace mox
