#include "MenuController.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QStyle>
#include <QWidgetAction>
#include <map>
#include <string>

#include "ItemKindSymbol.h"
#include "MenuToggleItemView.h"
#include "MoxUI/MoxGlyph.h"
#include "StatusGlyph.h"
#include "Tovra/core/PrivacyMasking.h"
#include "Tovra/core/UnicodeText.h"

namespace tovra {

namespace {

constexpr std::size_t listedItems = 5;
constexpr std::size_t rowCharacterLimit = 30;
constexpr std::size_t rowCutCharacters = 27;

/// A row's icon: the desktop theme's, or the kit's drawn glyph in the menu's text colour where
/// the theme has none (a bare X session has no theme at all).
QIcon symbol(const char* name, mox::MoxGlyph glyph) {
    const QColor text =
        QApplication::palette("QMenu").color(QPalette::Active, QPalette::WindowText);
    return mox::themedIcon(QString::fromLatin1(name), glyph, text);
}

/// Where a menu's styles start a row's text: past the column of icons and check marks.
int menuTextIndent() {
    const int icon = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
    return std::max(icon + 4, 20) + 8;
}

}  // namespace

MenuController::MenuController(QSystemTrayIcon* statusItem) : statusItem_(statusItem) {}

MenuController::~MenuController() = default;

QAction* MenuController::addRow(const QString& title, const char* icon, mox::MoxGlyph glyph,
                                std::function<void()> action, MenuAction validation) {
    QAction* row = menu_->addAction(symbol(icon, glyph), title);
    if (action) {
        QObject::connect(row, &QAction::triggered, row, [action = std::move(action)] { action(); });
    }
    validated_.emplace_back(row, validation);
    return row;
}

void MenuController::buildMenu(MenuActions actions, Validator validator, bool customRows) {
    actions_ = std::move(actions);
    validator_ = std::move(validator);
    menu_ = std::make_unique<QMenu>();
    const MenuActions& a = *actions_;

    pendingUpdateItem_ = addRow(QStringLiteral("Update available"), "software-update-available",
                                mox::MoxGlyph::update, a.installPendingUpdate);
    pendingUpdateItem_->setVisible(false);
    pendingUpdateSeparator_ = menu_->addSeparator();
    pendingUpdateSeparator_->setVisible(false);

    if (customRows) {
        auto* row = new QWidgetAction(menu_.get());
        masterToggleView_ = new MenuToggleItemView(QStringLiteral("Tovra"), a.toggleStack);
        masterToggleView_->setTitleIndent(menuTextIndent());
        row->setDefaultWidget(masterToggleView_);
        row->setText(QStringLiteral("Tovra"));
        menu_->addAction(row);
        masterToggleItem_ = row;
    } else {
        masterToggleItem_ =
            addRow(QStringLiteral("Tovra"), "", mox::MoxGlyph::stack, a.toggleStack);
        masterToggleItem_->setCheckable(true);
    }

    addRow(QStringLiteral("Paste next"), "edit-paste", mox::MoxGlyph::paste, a.pasteNext,
           MenuAction::pasteNext);
    // Which keys paste in terminals, and which shortcuts another program holds, are told by
    // the control window and Preferences: greyed rows here read as disabled commands.
    addRow(QStringLiteral("Open queue..."), "view-list-details", mox::MoxGlyph::list, a.openQueue);
    queueItem_ = menu_->addAction(symbol("mail-folder-inbox", mox::MoxGlyph::inbox),
                                  QStringLiteral("Queue (0)"));
    queueSubmenu_ = new QMenu(menu_.get());
    queueItem_->setMenu(queueSubmenu_);
    menu_->addSeparator();
    addRow(QStringLiteral("Clear queue"), "edit-delete", mox::MoxGlyph::trash, a.clearQueue,
           MenuAction::clearQueue);
    // For a few seconds after a clear made without asking (Escape on the overlay).
    undoClearItem_ =
        addRow(QStringLiteral("Undo Clear"), "edit-undo", mox::MoxGlyph::refresh, a.undoClear);
    undoClearItem_->setVisible(false);
    addRow(QStringLiteral("Preferences..."), "preferences-system", mox::MoxGlyph::gear,
           a.openPreferences);
    menu_->addSeparator();
    addRow(QStringLiteral("Support"), "help-contents", mox::MoxGlyph::help, a.showSupport);
    if (a.offersUpdateChecks) {
        addRow(QStringLiteral("Check for Updates..."), "view-refresh", mox::MoxGlyph::refresh,
               a.checkForUpdates, MenuAction::checkForUpdates);
    }
    addRow(QStringLiteral("About Tovra"), "help-about", mox::MoxGlyph::info, a.showAbout);
    menu_->addSeparator();
    QAction* quit =
        addRow(QStringLiteral("Quit Tovra"), "application-exit", mox::MoxGlyph::quit, a.quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QObject::connect(menu_.get(), &QMenu::aboutToShow, menu_.get(), [this] { validate(); });
    if (statusItem_) {
        statusItem_->setContextMenu(menu_.get());
        // A left click opens the menu too, as the welcome window says; the right click's menu
        // is the panel's own doing.
        QObject::connect(statusItem_, &QSystemTrayIcon::activated, menu_.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger && menu_) {
                                 menu_->popup(QCursor::pos());
                             }
                         });
        if (statusItem_->icon().isNull()) {
            showGlyph(0);
        }
    }
    rebuildQueueSubmenu({}, PrivacyMode::partialMask);
}

void MenuController::showGlyph(int count) {
    std::pair<int, std::optional<QColor>> glyph{count, std::nullopt};
    if (trayForeground_) {
        glyph.second = trayForeground_();
    }
    if (shownGlyph_ == glyph) {
        return;  // a new icon makes the tray repaint it
    }
    shownGlyph_ = glyph;
    statusItem_->setIcon(StatusGlyph::icon(glyph.first, glyph.second));
}

void MenuController::validate() {
    for (const auto& [row, action] : validated_) {
        if (!row) {
            continue;
        }
        if (action != MenuAction::other && validator_) {
            row->setEnabled(validator_(action));
        }
    }
}

void MenuController::update(const State& state) {
    const bool isCaptureLive = state.isActive && state.shortcutCaptureAvailable;
    if (statusItem_) {
        showGlyph(static_cast<int>(std::min<std::size_t>(state.count, 100000)));
        statusItem_->setToolTip(
            StatusGlyph::tooltip(state.isActive, state.shortcutCaptureAvailable, state.count));
    }
    update(state.items, isCaptureLive, state.privacyMode, state.pendingUpdateVersion);
    if (undoClearItem_) {
        undoClearItem_->setVisible(state.canUndoClear);
    }
}

void MenuController::update(const std::vector<ItemRow>& items, bool isCaptureLive,
                            PrivacyMode privacyMode,
                            const std::optional<std::string>& pendingUpdateVersion) {
    const QString toggleTitle =
        isCaptureLive ? QStringLiteral("Tovra On") : QStringLiteral("Tovra Off");
    if (masterToggleItem_) {
        masterToggleItem_->setText(toggleTitle);
        if (masterToggleItem_->isCheckable()) {
            masterToggleItem_->setChecked(isCaptureLive);
        }
    }
    if (masterToggleView_) {
        masterToggleView_->setOn(isCaptureLive);
    }
    if (queueItem_) {
        queueItem_->setEnabled(isCaptureLive);
        queueItem_->setText(QStringLiteral("Queue (%1)").arg(items.size()));
    }
    rebuildQueueSubmenu(items, privacyMode);
    if (pendingUpdateItem_ && pendingUpdateSeparator_) {
        if (pendingUpdateVersion) {
            pendingUpdateItem_->setText(QStringLiteral("Update available \u2014 Install (v%1)")
                                            .arg(literalMenuText(*pendingUpdateVersion)));
        }
        pendingUpdateItem_->setVisible(pendingUpdateVersion.has_value());
        pendingUpdateSeparator_->setVisible(pendingUpdateVersion.has_value());
    }
}

QString MenuController::literalMenuText(std::string_view text) {
    // A single "&" marks the next letter as the row's key in a menu: "R&D" would show as "RD"
    // and pressing D would paste it.
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString MenuController::rowText(int index, const std::string& previewText, PrivacyMode mode) {
    const std::string text = maskedText(previewText, mode);
    std::string shown = unicode::oneLine(unicode::trimmed(text));
    if (unicode::characterCount(shown, rowCharacterLimit + 1) > rowCharacterLimit) {
        shown = shown.substr(0, unicode::prefixLength(shown, rowCutCharacters)) + "...";
    }
    return QStringLiteral("%1. %2").arg(index + 1).arg(literalMenuText(shown));
}

void MenuController::rebuildQueueSubmenu(const std::vector<ItemRow>& items,
                                         PrivacyMode privacyMode) {
    if (!queueSubmenu_ || !actions_) {
        return;
    }
    queueSubmenu_->clear();
    if (items.empty()) {
        queueSubmenu_->addAction(QStringLiteral("Nothing waiting"))->setEnabled(false);
        return;
    }
    const std::size_t shown = std::min(items.size(), listedItems);
    for (std::size_t i = 0; i < shown; ++i) {
        const int index = static_cast<int>(i);
        QAction* row =
            queueSubmenu_->addAction(symbol(kindIconName(items[i].kind), kindGlyph(items[i].kind)),
                                     rowText(index, items[i].previewText, privacyMode));
        row->setData(index);
        QObject::connect(row, &QAction::triggered, row, [this, index] {
            if (actions_ && actions_->pasteQueueItem) {
                actions_->pasteQueueItem(index);
            }
        });
    }
}

}  // namespace tovra
