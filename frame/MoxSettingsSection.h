#pragma once

#include <QSet>
#include <QString>

namespace mox {

/// The settings window's pages; `general` belongs to the application's own preferences.
enum class MoxSettingsSection { general, updates, support, about, diagnostics };

/// The application menu's optional commands.
enum class MoxAppMenuSection { about, updates, support, diagnostics };

inline QString rawValue(MoxSettingsSection section) {
    switch (section) {
        case MoxSettingsSection::general:
            return QStringLiteral("general");
        case MoxSettingsSection::updates:
            return QStringLiteral("updates");
        case MoxSettingsSection::support:
            return QStringLiteral("support");
        case MoxSettingsSection::about:
            return QStringLiteral("about");
        case MoxSettingsSection::diagnostics:
            return QStringLiteral("diagnostics");
    }
    return {};
}

inline size_t qHash(MoxSettingsSection section, size_t seed = 0) {
    return ::qHash(static_cast<int>(section), seed);
}
inline size_t qHash(MoxAppMenuSection section, size_t seed = 0) {
    return ::qHash(static_cast<int>(section), seed);
}

}  // namespace mox
