#pragma once

#include <QFrame>
#include <functional>

#include "Tovra/app/Surfaces.h"

class QLabel;
class QPushButton;
class QToolButton;
namespace mox {
class MoxElidedLabel;
}

namespace tovra {

/// One item of the queue panel. It takes the keyboard focus: Enter pastes it, Delete removes it,
/// Space pins it, the menu key opens its menu; Up and Down go to the panel's `step`.
/// The next item sits in a card with its paste button always shown; the rows after it show
/// theirs while the pointer is over them or they have the focus.
class QueuePanelRow final : public QFrame {
  public:
    enum class Style { card, list };

    QueuePanelRow(QueuePanelModel& model, const ItemRow& item, Style style,
                  std::function<void(QueuePanelRow*, int)> step);

    /// Shows `item` at `position` (1 is next); only what changed is touched.
    void show(const ItemRow& item, int position, bool isLast, PrivacyMode mode);
    [[nodiscard]] const Uuid& id() const { return item_.id; }
    [[nodiscard]] Style style() const { return style_; }
    [[nodiscard]] bool isPinned() const { return item_.isPinned; }
    /// The row's context menu at `where` (row coordinates).
    void openMenu(QPoint where);
    /// Shows the paste button and the highlight while hovered or holding the focus.
    void refreshChrome();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    [[nodiscard]] bool focusWithin() const;

    QueuePanelModel& model_;
    ItemRow item_;
    Style style_;
    std::function<void(QueuePanelRow*, int)> step_;
    int position_ = 0;
    bool isLast_ = false;
    bool hovered_ = false;
    bool selectableMade_ = false;
    PrivacyMode mode_ = PrivacyMode::preview;
    QLabel* number_ = nullptr;
    QLabel* kindSymbol_;
    mox::MoxElidedLabel* text_;
    QLabel* kind_;
    QPushButton* paste_;
    QToolButton* pin_ = nullptr;
    QToolButton* remove_ = nullptr;
};

}  // namespace tovra
