#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace tovra {

/// The paste keys where they differ from other applications', as the menu shows them.
inline QString terminalPasteKeysHint() {
    return QStringLiteral("Terminals: Ctrl+Shift+V \u00B7 all: Ctrl+Alt+Shift+V");
}

/// Every paste key in one line, as the control window shows them.
inline QString pasteKeysHint() {
    return QStringLiteral(
        "Ctrl+V pastes next, Ctrl+Shift+V pastes all. In terminals: "
        "Ctrl+Shift+V and Ctrl+Alt+Shift+V.");
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
