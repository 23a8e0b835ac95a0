#pragma once

#include <QString>

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

}  // namespace tovra
