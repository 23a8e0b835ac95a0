#pragma once

#include <QSettings>
#include <QString>

namespace mox {

/// Remembers that a product's first-run onboarding was completed, in a settings store.
struct MoxFirstRunGuard {
    /// "moxworks.<slug>.firstRunCompleted".
    static QString completedKey(const QString& slug);
    static bool shouldShowOnboarding(const QString& slug, QSettings& store);
    static void markCompleted(const QString& slug, QSettings& store);
    static void reset(const QString& slug, QSettings& store);
    /// The user's store: a small file under $XDG_CONFIG_HOME (moxworks/<slug>.conf).
    static QSettings* standardStore(const QString& slug);
};

}  // namespace mox
