#pragma once

#include <QAction>
#include <QColor>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "MoxUI/MoxGlyph.h"
#include "Tovra/app/Surfaces.h"
#include "Tovra/ui/MenuToggleItemView.h"

namespace tovra {

/// What the menu's rows do; the controller fills it with its own commands.
struct MenuActions {
    std::function<void()> toggleStack;
    std::function<void()> pasteNext;
    std::function<void()> openQueue;
    std::function<void(int)> pasteQueueItem;
    std::function<void()> clearQueue;
    std::function<void()> undoClear;
    std::function<void()> openPreferences;
    std::function<void()> showAbout;
    std::function<void()> showSupport;
    std::function<void()> checkForUpdates;
    std::function<void()> installPendingUpdate;
    std::function<void()> quit;
    /// False in a build without the update checker: no row offers a check.
    bool offersUpdateChecks = true;
};

/// The status item and its menu. Built once; afterwards only titles, visibility, enabled states
/// and the queue submenu change.
class MenuController final : public StatusSurface {
  public:
    using Validator = std::function<bool(MenuAction)>;

    /// `statusItem` may be null (no tray): the menu still exists for other ways in.
    explicit MenuController(QSystemTrayIcon* statusItem);
    ~MenuController() override;

    /// `customRows` false where the tray shows menus over D-Bus, which drops custom rows: the
    /// switch row is then a checkable action.
    void buildMenu(MenuActions actions, Validator validator, bool customRows = true);
    void update(const std::vector<ItemRow>& items, bool isCaptureLive, PrivacyMode privacyMode,
                const std::optional<std::string>& pendingUpdateVersion);
    /// The controller's refresh: glyph, tooltip and menu.
    void update(const State& state) override;
    /// Where the tray says which colour its icons draw in; asked at each glyph change.
    void setTrayForeground(std::function<std::optional<QColor>()> source) {
        trayForeground_ = std::move(source);
    }

    [[nodiscard]] QMenu* menu() const { return menu_.get(); }
    [[nodiscard]] QMenu* queueSubmenu() const { return queueSubmenu_; }
    [[nodiscard]] MenuToggleItemView* masterToggleView() const { return masterToggleView_; }
    [[nodiscard]] QAction* masterToggleItem() const { return masterToggleItem_; }
    [[nodiscard]] QAction* queueItem() const { return queueItem_; }
    [[nodiscard]] QAction* pendingUpdateItem() const { return pendingUpdateItem_; }
    [[nodiscard]] QAction* undoClearItem() const { return undoClearItem_; }
    /// Applies the enabling rules, as when the menu opens.
    void validate();

    /// The submenu row text for one item: masked, flattened, cut at 27 + "...".
    static QString rowText(int index, const std::string& previewText, PrivacyMode mode);
    /// `text` as a menu row shows it, with no letter of it taken as the row's key.
    static QString literalMenuText(std::string_view text);

  private:
    QAction* addRow(const QString& title, const char* icon, mox::MoxGlyph glyph,
                    std::function<void()> action, MenuAction validation = MenuAction::other);
    void rebuildQueueSubmenu(const std::vector<ItemRow>& items, PrivacyMode privacyMode);
    void showGlyph(int count);

    QPointer<QSystemTrayIcon> statusItem_;
    std::function<std::optional<QColor>()> trayForeground_;
    std::optional<std::pair<int, std::optional<QColor>>> shownGlyph_;
    std::unique_ptr<QMenu> menu_;
    std::optional<MenuActions> actions_;
    Validator validator_;
    QPointer<QMenu> queueSubmenu_;
    QPointer<QAction> masterToggleItem_;
    QPointer<MenuToggleItemView> masterToggleView_;
    QPointer<QAction> queueItem_;
    QPointer<QAction> pendingUpdateItem_;
    /// Says which shortcuts another program holds; hidden while none is.
    QPointer<QAction> undoClearItem_;
    QPointer<QAction> pendingUpdateSeparator_;
    std::vector<std::pair<QPointer<QAction>, MenuAction>> validated_;
};

}  // namespace tovra
