#include "MoxStandardEditMenu.h"

#include <QApplication>
#include <QLayout>
#include <QPointer>

namespace mox {

namespace {

/// Sends a standard edit command to the focused widget when it has that slot.
void sendToFocus(const char* slot) {
    if (QWidget* focus = QApplication::focusWidget()) {
        QMetaObject::invokeMethod(focus, slot);
    }
}

QAction* addCommand(QMenu* menu, const QString& title, const char* slot,
                    QKeySequence::StandardKey key) {
    QAction* action = menu->addAction(title);
    action->setShortcut(key);
    // The focused text field handles the key itself; the menu item is the other way in.
    action->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(action, &QAction::triggered, menu, [slot] { sendToFocus(slot); });
    return action;
}

}  // namespace

QMenuBar* MoxStandardEditMenu::mainMenu() {
    static QPointer<QMenuBar> menu;
    if (!menu) {
        menu = new QMenuBar;  // never shown itself; windows show its menus
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, menu.data(), &QObject::deleteLater);
    }
    return menu;
}

void MoxStandardEditMenu::install(QMenuBar* target) {
    QMenuBar* menuBar = target != nullptr ? target : mainMenu();
    for (const QAction* item : menuBar->actions()) {
        if (item->objectName() == QLatin1String(identifier)) {
            return;
        }
    }
    auto* edit = new QMenu(QStringLiteral("Edit"), menuBar);
    addCommand(edit, QStringLiteral("Cut"), "cut", QKeySequence::Cut);
    addCommand(edit, QStringLiteral("Copy"), "copy", QKeySequence::Copy);
    addCommand(edit, QStringLiteral("Paste"), "paste", QKeySequence::Paste);
    edit->addSeparator();
    addCommand(edit, QStringLiteral("Select All"), "selectAll", QKeySequence::SelectAll);
    edit->menuAction()->setObjectName(QLatin1String(identifier));
    menuBar->addMenu(edit);
}

QMenuBar* MoxStandardEditMenu::attachMenuBar(QWidget* content, const QList<QMenu*>& menus) {
    auto* bar = new QMenuBar(content);
    // Edit comes before Help, as on every desktop.
    QList<QMenu*> help;
    for (QMenu* menu : menus) {
        if (menu->title() == QStringLiteral("Help")) {
            help << menu;
        } else {
            bar->addMenu(menu);
        }
    }
    for (QAction* item : mainMenu()->actions()) {
        bar->addAction(item);
    }
    for (QMenu* menu : help) {
        bar->addMenu(menu);
    }
    if (content->layout() != nullptr) {
        content->layout()->setMenuBar(bar);
    }
    return bar;
}

}  // namespace mox
