#pragma once

#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace mox {

/// Cut, Copy, Paste and Select All for the text fields of a tray application, which has no
/// application menu of its own: the menu lives in the application's main menu, which the
/// frame's windows show in their menu bars.
struct MoxStandardEditMenu {
    static constexpr const char* identifier = "MoxStandardEditMenu";

    /// Adds the Edit menu to `mainMenu` (the application's, made when there is none) unless
    /// it is already there.
    static void install(QMenuBar* mainMenu = nullptr);
    /// The application's main menu.
    static QMenuBar* mainMenu();
    /// Gives `content` a menu bar with `menus` followed by the main menu's menus.
    static QMenuBar* attachMenuBar(QWidget* content, const QList<QMenu*>& menus);
};

}  // namespace mox
