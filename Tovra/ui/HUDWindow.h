#pragma once

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <optional>

#include "Tovra/app/Surfaces.h"

class QScrollArea;
class QToolButton;

namespace tovra {

class HUDWindow;

/// One queued item in the overlay: its masked text, a pin and a remove button, and dragging.
class HUDItemRow final : public QFrame {
  public:
    HUDItemRow(HUDWindow& window, const ItemRow& row, const QString& displayText,
               bool allowsDragging);
    [[nodiscard]] const Uuid& itemId() const { return id_; }
    [[nodiscard]] const QString& displayText() const { return displayText_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void setBackground(const QColor& color, const QColor& border = Qt::transparent);
    void finishDrag();

    HUDWindow& window_;
    Uuid id_;
    QString displayText_;
    bool allowsDragging_;
    QToolButton* pinButton_;
    QToolButton* deleteButton_;
    std::optional<QPoint> mouseDownPoint_;
    bool dragging_ = false;
    QColor background_;
    QColor border_;
};

/// The floating overlay at the right edge of the screen that shows the active stack for a few
/// seconds after each change. It never takes the focus; without interaction clicks pass through.
class HUDWindow final : public QWidget, public OverlaySurface {
  public:
    HUDWindow();
    void setDragDelegate(std::weak_ptr<HUDWindowDragDelegate> delegate) {
        dragDelegate_ = std::move(delegate);
    }

    void update(const State& state) override;
    void show(double seconds) override;
    [[nodiscard]] bool isVisible() const override { return QWidget::isVisible(); }
    [[nodiscard]] bool isPointerOver() const override;
    void setUndoHandler(std::function<void()> undo) override { undo_ = std::move(undo); }
    void setVisibilityObserver(std::function<void(bool)> observer) override {
        visibilityObserver_ = std::move(observer);
    }

    [[nodiscard]] QString title() const { return titleLabel_->text(); }
    [[nodiscard]] QString dots() const { return dotsLabel_->text(); }
    /// The line that says why a paste key did nothing; hidden when there is nothing to say.
    [[nodiscard]] QLabel* noticeLabel() const { return noticeLabel_; }
    [[nodiscard]] QLabel* escapeHint() const { return escapeHint_; }
    [[nodiscard]] QPushButton* undoButton() const { return undoButton_; }
    [[nodiscard]] std::vector<HUDItemRow*> rows() const;
    [[nodiscard]] bool isDraggingItem() const { return isDraggingItem_; }
    [[nodiscard]] bool dropIndicatorShown() const { return dropIndicator_->isVisible(); }
    [[nodiscard]] QRect dropIndicatorGeometry() const { return dropIndicator_->geometry(); }
    void hideNow(bool animated);

    // Row handlers, in window coordinates.
    void rowDragMoved(const QPoint& windowPoint);
    /// The floating copy of a dragged row, centred on the pointer and kept inside the panel.
    void moveDragToken(HUDItemRow& row, const QPoint& windowPoint);
    void removeDragToken();
    [[nodiscard]] QLabel* dragToken() const { return dragToken_; }
    void rowDragEnded(const Uuid& id, const QPoint& windowPoint);
    void rowDragCancelled();
    void rowDeleted(const Uuid& id);
    void rowPinToggled(const Uuid& id);
    [[nodiscard]] int dropIndex(int windowY) const;
    [[nodiscard]] bool animationsEnabled() const { return animationsEnabled_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    /// Seconds the overlay stays after a drag that ended without showing it anew.
    static constexpr double hideAfterDrag = 2.5;

    void showPanel(bool animated);
    void endDrag();
    void scheduleHide(double seconds, bool animated);
    void reposition();
    void updateDropIndicator(const QPoint& windowPoint);

    std::weak_ptr<HUDWindowDragDelegate> dragDelegate_;
    QLabel* titleLabel_;
    QLabel* dotsLabel_;
    QLabel* noticeLabel_;
    QLabel* escapeHint_;
    QPushButton* undoButton_;
    std::function<void()> undo_;
    QScrollArea* scrollView_;
    QWidget* itemsHost_;
    QVBoxLayout* itemsStack_;
    QFrame* dropIndicator_;
    QPointer<QLabel> dragToken_;
    QTimer fadeTimer_;
    bool isDraggingItem_ = false;
    bool animationsEnabled_ = true;
    bool ignoresMouse_ = false;
    bool composited_ = false;
    std::function<void()> pendingHide_;
    std::function<void(bool)> visibilityObserver_;
};

}  // namespace tovra
