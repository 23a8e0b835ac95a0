#include "MoxFirstRunGuard.h"

#include <QStandardPaths>

namespace mox {

QString MoxFirstRunGuard::completedKey(const QString& slug) {
    return QStringLiteral("moxworks.") + slug + QStringLiteral(".firstRunCompleted");
}

bool MoxFirstRunGuard::shouldShowOnboarding(const QString& slug, QSettings& store) {
    return !store.value(completedKey(slug), false).toBool();
}

void MoxFirstRunGuard::markCompleted(const QString& slug, QSettings& store) {
    store.setValue(completedKey(slug), true);
    store.sync();
}

void MoxFirstRunGuard::reset(const QString& slug, QSettings& store) {
    store.remove(completedKey(slug));
    store.sync();
}

QSettings* MoxFirstRunGuard::standardStore(const QString& slug) {
    const QString directory =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return new QSettings(directory + QStringLiteral("/moxworks/") + slug + QStringLiteral(".conf"),
                         QSettings::IniFormat);
}

}  // namespace mox
