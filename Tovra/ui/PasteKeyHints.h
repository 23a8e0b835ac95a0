#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace tovra {

/// Every paste key in one line, as the control window shows them, with the burst shortcuts
/// the user has (everywhere, and in terminals).
inline QString pasteKeysHint(const QString& burst = QStringLiteral("Ctrl+Shift+V"),
                             const QString& terminalBurst = QStringLiteral("Ctrl+Alt+Shift+V")) {
    return QStringLiteral("Ctrl+V pastes next, %1 pastes all. In terminals: Ctrl+Shift+V and %2.")
        .arg(burst, terminalBurst);
}

/// "Taken by another program: Ctrl+Alt+P, Ctrl+Alt+1", or empty for none.
inline QString unavailableShortcutsText(const std::vector<std::string>& names) {
    if (names.empty()) {
        return {};
    }
    QStringList shown;
    for (const std::string& name : names) {
        shown << QString::fromStdString(name);
    }
    return QStringLiteral("Taken by another program: ") + shown.join(QStringLiteral(", "));
}

}  // namespace tovra
