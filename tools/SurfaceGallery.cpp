// Usage: tovra_surface_gallery OUTPUT_DIR. Draws, on Qt's offscreen platform:
//   menu-update.png  the tray menu with an update waiting and three items queued
//   tray-icons.png   the tray glyph at the sizes trays use, on dark and light panels
//   permission-gnome.png, permission-gnome-missing.png
//                    the permission window on GNOME, the extension off and not installed
//   overlay-summoned.png  the overlay the user asked for: Escape clears, a clear to take back
//   separator-dialog.png  the dialog that asks for a burst's own separator
//   preferences-shortcuts.png  Preferences, scrolled to the shortcuts
// Run with QT_SCALE_FACTOR=2 for the same surfaces as a HiDPI screen draws them.
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <cstdio>

#include "MoxUI/MoxBrandPack.h"
#include "Tovra/capture/ShortcutBindings.h"
#include "Tovra/ui/HUDWindow.h"
#include "Tovra/ui/MenuController.h"
#include "Tovra/ui/PermissionOnboardingWindow.h"
#include "Tovra/ui/SeparatorDialog.h"
#include "Tovra/ui/StatusGlyph.h"
#include "Tovra/ui/TovraPreferencesView.h"
#include "platform/gnome/GnomeAccessibilityTrust.h"

namespace {

bool save(const QImage& image, const QDir& directory, const char* name) {
    const QString path = directory.filePath(QString::fromLatin1(name));
    if (!image.save(path)) {
        std::fprintf(stderr, "tovra_surface_gallery: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage menuWithUpdate() {
    tovra::MenuController controller(nullptr);
    tovra::MenuActions actions;
    actions.quit = [] {};
    controller.buildMenu(actions, [](tovra::MenuAction) { return true; });
    std::vector<tovra::ItemRow> items;
    for (const char* text : {"Quarterly numbers", "Meeting at 10:30", "R&D budget"}) {
        items.push_back({tovra::Uuid::random(), text, false});
    }
    controller.update(items, true, tovra::PrivacyMode::preview, std::string("1.4.0"));
    QMenu& menu = *controller.menu();
    menu.adjustSize();
    return menu.grab().toImage();
}

QImage trayIcons() {
    const std::vector<int> sizes{16, 22, 24, 32};
    const std::vector<int> counts{0, 3, 42, 100};
    const int cell = 44;
    QImage sheet(static_cast<int>(sizes.size() * counts.size()) * cell, 3 * cell,
                 QImage::Format_ARGB32);
    const QColor panels[]{QColor(0x2b, 0x2b, 0x2b), QColor(0xee, 0xee, 0xee),
                          QColor(0x3a, 0x5f, 0x8a)};
    QPainter painter(&sheet);
    for (int row = 0; row < 3; ++row) {
        painter.fillRect(0, row * cell, sheet.width(), cell, panels[row]);
        int column = 0;
        for (const int size : sizes) {
            for (const int count : counts) {
                // The first panel says its colour, the others do not.
                const std::optional<QColor> ink =
                    row == 0 ? std::optional<QColor>(Qt::white) : std::nullopt;
                painter.drawImage(
                    QPointF(column * cell + (cell - size) / 2.0, row * cell + (cell - size) / 2.0),
                    tovra::StatusGlyph::render(count, ink, size, 1.0));
                ++column;
            }
        }
    }
    return sheet;
}

/// A desktop's account of what it lacks, as the window shows it.
class ExplainedTrust final : public tovra::AccessibilityTrust {
  public:
    explicit ExplainedTrust(std::string explanation) : explanation_(std::move(explanation)) {}
    bool isTrusted() override { return false; }
    bool isTrustedWithPrompt() override { return false; }
    void openSettings() override {}
    [[nodiscard]] std::string explanation() const override { return explanation_; }

  private:
    std::string explanation_;
};

QImage permissionWindow(bool installed) {
    ExplainedTrust trust(tovra::GnomeAccessibilityTrust::explain(installed, false));
    tovra::PermissionOnboardingWindow window(trust);
    window.show([] {});
    return window.grab().toImage();
}

QImage summonedOverlay() {
    tovra::HUDWindow overlay;
    tovra::OverlaySurface::State state;
    state.title = "Tovra 1 \u00B7 FIFO (2)";
    for (const char* text : {"Meeting at 10:30", "R&D budget"}) {
        state.rows.push_back({tovra::Uuid::random(), text, false});
    }
    state.privacyMode = tovra::PrivacyMode::preview;
    state.animationsEnabled = false;
    state.escapeClears = true;
    state.canUndoClear = true;
    overlay.update(state);
    overlay.show(60);
    return overlay.grab().toImage();
}

QImage separatorDialog() {
    tovra::SeparatorDialog dialog(QStringLiteral(" | "));
    dialog.adjustSize();
    return dialog.grab().toImage();
}

QImage preferencesShortcuts() {
    tovra::PreferencesValues values;
    values.mode = "FIFO";
    values.queueTimeout = "Never";
    values.burstSeparator = "Tab";
    values.privacyMode = "Partial Mask";
    values.unavailableShortcuts = {"Ctrl+Alt+Up", "Ctrl+Alt+Down"};
    values.terminalBurstShortcut = "Ctrl+Alt+B";
    tovra::ShortcutBindings bindings;
    (void)bindings.bind(tovra::ShortcutAction::burstPaste,
                        {tovra::Key::b, tovra::command | tovra::option});
    for (const tovra::ShortcutAction action : tovra::ShortcutBindings::actions()) {
        const auto shortcut = bindings.of(action);
        values.shortcuts.push_back({std::string(tovra::ShortcutBindings::settingName(action)),
                                    std::string(tovra::ShortcutBindings::title(action)),
                                    tovra::shortcutName(shortcut),
                                    tovra::shortcutName(shortcut) == "Ctrl+Alt+Up" ||
                                        tovra::shortcutName(shortcut) == "Ctrl+Alt+Down"});
    }
    tovra::TovraPreferencesView view({values, {}});
    view.resize(560, 620);
    view.show();
    if (auto* scroll = view.findChild<QScrollArea*>()) {
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    }
    return view.grab().toImage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovra_surface_gallery OUTPUT_DIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    mox::MoxBrandPack::configure(mox::MoxBrandPack::tovra());
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(directory.path())) {
        std::fprintf(stderr, "tovra_surface_gallery: cannot create %s\n", argv[1]);
        return 1;
    }
    const bool saved = save(menuWithUpdate(), directory, "menu-update.png") &&
                       save(trayIcons(), directory, "tray-icons.png") &&
                       save(permissionWindow(true), directory, "permission-gnome.png") &&
                       save(permissionWindow(false), directory, "permission-gnome-missing.png") &&
                       save(summonedOverlay(), directory, "overlay-summoned.png") &&
                       save(separatorDialog(), directory, "separator-dialog.png") &&
                       save(preferencesShortcuts(), directory, "preferences-shortcuts.png");
    return saved ? 0 : 1;
}
