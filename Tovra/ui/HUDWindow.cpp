#include "HUDWindow.h"

#include <QGraphicsOpacityEffect>

#include <xcb/xcb.h>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QToolButton>
#include <cstdlib>

#include "HUDLayout.h"
#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxElidedLabel.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxGlyph.h"
#include "MoxUI/MoxLabel.h"
#include "Tovra/core/PrivacyMasking.h"
#include "Tovra/core/UnicodeText.h"

namespace tovra {

namespace {

constexpr double cornerRadius = 14;
constexpr int dragThreshold = 4;
constexpr int clickSlop = 8;

QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

/// A compositor draws translucency; without one (no owner of _NET_WM_CM_S0) it renders black.
/// X11 windows shown by a Wayland compositor through XWayland: sway focuses every new window it
/// manages, whatever it asks, and the paste typed next would land in the overlay.
bool onXWayland() {
    return QGuiApplication::platformName() == QStringLiteral("xcb") &&
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool hasCompositor() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 != nullptr && QGuiApplication::platformName() == QStringLiteral("xcb")
                              ? x11->connection()
                              : nullptr;
    if (c == nullptr) {
        // Other platforms draw translucent windows themselves; offscreen tests need no fades.
        return QGuiApplication::platformName() != QStringLiteral("offscreen");
    }
    const char name[] = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr);
    if (atom == nullptr) {
        return false;
    }
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    const bool composited = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return composited;
}

}  // namespace

// ---- Rows ----------------------------------------------------------------------------------

HUDItemRow::HUDItemRow(HUDWindow& window, const ItemRow& row, const QString& displayText,
                       bool allowsDragging)
    : window_(window),
      id_(row.id),
      displayText_(displayText),
      allowsDragging_(allowsDragging),
      pinButton_(new QToolButton(this)),
      deleteButton_(new QToolButton(this)) {
    setFixedHeight(mox::MoxFonts::scaled(30));
    auto* label = new mox::MoxElidedLabel(this);
    label->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 13, QFont::Medium));
    label->setFullText(displayText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, mox::MoxColors::textPrimary());
    label->setPalette(palette);

    for (QToolButton* button : {pinButton_, deleteButton_}) {
        button->setAutoRaise(true);
        button->setFixedSize(20, 20);
        button->setIconSize(QSize(14, 14));
        button->setFocusPolicy(Qt::NoFocus);
    }
    pinButton_->setIcon(
        mox::glyphIcon(row.isPinned ? mox::MoxGlyph::pinned : mox::MoxGlyph::pin,
                       row.isPinned ? mox::MoxColors::accent() : mox::MoxColors::textTertiary()));
    pinButton_->setToolTip(row.isPinned ? QStringLiteral("Unpin item")
                                        : QStringLiteral("Pin item"));
    pinButton_->setAccessibleName(row.isPinned ? QStringLiteral("Pinned")
                                               : QStringLiteral("Not pinned"));
    deleteButton_->setIcon(mox::glyphIcon(mox::MoxGlyph::remove, mox::MoxColors::textSecondary()));
    deleteButton_->setToolTip(QStringLiteral("Remove from Tovra"));
    deleteButton_->setAccessibleName(QStringLiteral("Remove"));
    connect(pinButton_, &QToolButton::clicked, this, [this] { window_.rowPinToggled(id_); });
    connect(deleteButton_, &QToolButton::clicked, this, [this] { window_.rowDeleted(id_); });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 7, 0);
    layout->setSpacing(2);
    layout->addWidget(label, 1);
    layout->addSpacing(5);
    layout->addWidget(pinButton_);
    layout->addWidget(deleteButton_);
    finishDrag();
}

void HUDItemRow::setBackground(const QColor& color, const QColor& border) {
    background_ = color;
    border_ = border;
    update();
}

void HUDItemRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    painter.fillPath(shape, background_);
    if (border_.alpha() > 0) {
        painter.setPen(QPen(border_, 1));
        painter.drawPath(shape);
    }
}

void HUDItemRow::mousePressEvent(QMouseEvent* event) {
    if (!allowsDragging_) {
        return;
    }
    setCursor(Qt::ClosedHandCursor);
    mouseDownPoint_ = event->position().toPoint();
    setBackground(withAlpha(mox::MoxColors::accent(), 0.16));
}

void HUDItemRow::mouseMoveEvent(QMouseEvent* event) {
    if (!allowsDragging_ || !mouseDownPoint_) {
        return;
    }
    const QPoint delta = event->position().toPoint() - *mouseDownPoint_;
    if (std::hypot(delta.x(), delta.y()) <= dragThreshold) {
        return;
    }
    if (!dragging_) {
        dragging_ = true;
        setBackground(withAlpha(mox::MoxColors::accent(), 0.10),
                      withAlpha(mox::MoxColors::accent(), 0.48));
        // What stays behind is dimmed: the token carries the row.
        auto* dim = new QGraphicsOpacityEffect(this);
        dim->setOpacity(0.22);
        setGraphicsEffect(dim);
    }
    const QPoint windowPoint = mapTo(&window_, event->position().toPoint());
    window_.moveDragToken(*this, windowPoint);
    window_.rowDragMoved(windowPoint);
}

void HUDItemRow::mouseReleaseEvent(QMouseEvent* event) {
    if (!allowsDragging_) {
        return;
    }
    if (mouseDownPoint_) {
        const int vertical = std::abs(event->position().toPoint().y() - mouseDownPoint_->y());
        if (vertical <= clickSlop && !dragging_) {
            window_.rowDragCancelled();  // a plain click
        } else {
            window_.rowDragEnded(id_, mapTo(&window_, event->position().toPoint()));
        }
    }
    finishDrag();
}

void HUDItemRow::finishDrag() {
    window_.removeDragToken();
    mouseDownPoint_.reset();
    dragging_ = false;
    setGraphicsEffect(nullptr);
    // A faint lightening rather than a fill: over a translucent panel a fill of the lighter
    // surface colour still comes out darker than the desktop showing through around it.
    setBackground(allowsDragging_ ? QColor(255, 255, 255, 6) : Qt::transparent);
    setCursor(allowsDragging_ ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

// ---- The overlay ---------------------------------------------------------------------------

HUDWindow::HUDWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus),
      titleLabel_(mox::plainLabel(QStringLiteral("Queue (0)"), this)),
      dotsLabel_(mox::plainLabel({}, this)),
      noticeLabel_(mox::plainLabel({}, this)),
      escapeHint_(mox::plainLabel(QStringLiteral("Esc clears"), this)),
      undoButton_(new mox::MoxButton(QStringLiteral("Undo"), mox::MoxButtonVariant::secondary,
                                     mox::MoxButtonSize::sm, this)),
      scrollView_(new QScrollArea(this)),
      itemsHost_(new QWidget),
      itemsStack_(new QVBoxLayout(itemsHost_)),
      dropIndicator_(new QFrame(this)),
      composited_(hasCompositor()) {
    if (onXWayland()) {
        // Unmanaged: never focused, and still where the user put it.
        setWindowFlag(Qt::X11BypassWindowManagerHint);
    }
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    if (composited_) {
        setAttribute(Qt::WA_TranslucentBackground);
    }
    titleLabel_->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 13, QFont::DemiBold));
    dotsLabel_->setFont(mox::MoxFonts::font(mox::MoxFontFamily::mono, 12, QFont::Medium));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, mox::MoxColors::textPrimary());
    titleLabel_->setPalette(palette);
    palette.setColor(QPalette::WindowText, mox::MoxColors::textSecondary());
    dotsLabel_->setPalette(palette);
    noticeLabel_->setPalette(palette);
    noticeLabel_->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 12, QFont::Normal));
    noticeLabel_->setWordWrap(true);
    noticeLabel_->hide();
    escapeHint_->setPalette(palette);
    escapeHint_->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 12, QFont::Normal));
    escapeHint_->hide();
    undoButton_->setFocusPolicy(Qt::NoFocus);
    undoButton_->setCursor(Qt::PointingHandCursor);
    undoButton_->hide();
    connect(undoButton_, &QPushButton::clicked, this, [this] {
        if (undo_) {
            undo_();
        }
    });

    itemsStack_->setContentsMargins(0, 0, 0, 0);
    itemsStack_->setSpacing(7);
    itemsStack_->addStretch();
    scrollView_->setWidget(itemsHost_);
    scrollView_->setWidgetResizable(true);
    scrollView_->setFrameShape(QFrame::NoFrame);
    scrollView_->setMinimumHeight(120);
    scrollView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollView_->viewport()->setAutoFillBackground(false);
    itemsHost_->setAutoFillBackground(false);

    auto* content = new QVBoxLayout(this);
    content->setContentsMargins(15, 15, 15, 15);
    content->setSpacing(11);
    content->addWidget(titleLabel_);
    content->addWidget(dotsLabel_);
    content->addWidget(noticeLabel_);
    content->addWidget(scrollView_, 1);
    auto* footer = new QHBoxLayout;
    footer->addWidget(escapeHint_);
    footer->addStretch();
    footer->addWidget(undoButton_);
    content->addLayout(footer);

    dropIndicator_->setFixedHeight(3);
    dropIndicator_->setStyleSheet(QStringLiteral("background: %1; border-radius: 2px;")
                                      .arg(QGuiApplication::palette().highlight().color().name()));
    dropIndicator_->hide();

    fadeTimer_.setSingleShot(true);
    connect(&fadeTimer_, &QTimer::timeout, this, [this] {
        if (pendingHide_) {
            pendingHide_();
        }
    });
    reposition();
}

bool HUDWindow::isPointerOver() const {
    return QWidget::isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
}

std::vector<HUDItemRow*> HUDWindow::rows() const {
    std::vector<HUDItemRow*> result;
    for (int i = 0; i < itemsStack_->count(); ++i) {
        if (auto* row = dynamic_cast<HUDItemRow*>(itemsStack_->itemAt(i)->widget())) {
            result.push_back(row);
        }
    }
    return result;
}

void HUDWindow::update(const State& state) {
    animationsEnabled_ = state.animationsEnabled;
    if (ignoresMouse_ != state.ignoresMouse) {
        ignoresMouse_ = state.ignoresMouse;
        const bool wasVisible = QWidget::isVisible();
        setWindowFlag(Qt::WindowTransparentForInput, ignoresMouse_);
        if (wasVisible) {
            QWidget::show();
        }
    }
    titleLabel_->setText(QString::fromStdString(state.title));
    dotsLabel_->setText(HUDLayout::dotsText(state.rows.size()));
    noticeLabel_->setText(QString::fromStdString(state.notice));
    noticeLabel_->setVisible(!state.notice.empty());
    escapeHint_->setText(QString::fromStdString(state.clearKey) + QStringLiteral(" clears"));
    escapeHint_->setVisible(state.escapeClears);
    undoButton_->setVisible(state.canUndoClear);

    if (isDraggingItem_) {
        // The dragged row is about to go, and with it the release that would end the drag:
        // end it here, or the overlay would never hide again.
        removeDragToken();
        endDrag();
    }
    // Later, not now: the change may come from an event inside one of these rows.
    while (itemsStack_->count() > 1) {
        QLayoutItem* item = itemsStack_->takeAt(0);
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
    if (state.rows.empty()) {
        auto* empty = new QFrame;
        empty->setFixedHeight(mox::MoxFonts::scaled(54));
        // Scoped to the frame: its labels keep no box of their own.
        empty->setObjectName(QStringLiteral("emptyRow"));
        empty->setStyleSheet(QStringLiteral(
            "QFrame#emptyRow { background: rgba(24,26,29,107); border-radius: 8px; }"));
        auto* column = new QVBoxLayout(empty);
        column->setContentsMargins(12, 0, 12, 0);
        column->setSpacing(3);
        auto* title = mox::plainLabel(QStringLiteral("Ready"));
        title->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 13, QFont::DemiBold));
        auto* subtitle = mox::plainLabel(QStringLiteral("Copy items to build the queue."));
        subtitle->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 12, QFont::Normal));
        QPalette palette = title->palette();
        palette.setColor(QPalette::WindowText, mox::MoxColors::textPrimary());
        title->setPalette(palette);
        palette.setColor(QPalette::WindowText, mox::MoxColors::textSecondary());
        subtitle->setPalette(palette);
        column->addWidget(title);
        column->addWidget(subtitle);
        itemsStack_->insertWidget(0, empty);
        return;
    }
    int position = 0;
    for (const ItemRow& row : state.rows) {
        // One line per row, as in the menu: a row is 30 px high.
        const QString text = QString::fromStdString(
            unicode::oneLine(maskedText(row.previewText, state.privacyMode)));
        itemsStack_->insertWidget(position++,
                                  new HUDItemRow(*this, row, text, !state.ignoresMouse));
    }
}

void HUDWindow::show(double seconds) {
    showPanel(animationsEnabled_);
    scheduleHide(seconds, animationsEnabled_);
}

void HUDWindow::showPanel(bool animated) {
    fadeTimer_.stop();
    reposition();
    const bool fade = animated && composited_;
    if (!QWidget::isVisible()) {
        setWindowOpacity(fade ? 0.0 : 1.0);
    }
    QWidget::show();
    raise();
    if (fade) {
        auto* animation = new QPropertyAnimation(this, "windowOpacity", this);
        animation->setDuration(160);
        animation->setEndValue(1.0);
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        setWindowOpacity(1.0);
    }
}

void HUDWindow::scheduleHide(double seconds, bool animated) {
    fadeTimer_.stop();
    pendingHide_ = [this, animated] { hideNow(animated); };
    fadeTimer_.start(static_cast<int>(seconds * 1000));
}

void HUDWindow::hideNow(bool animated) {
    if (isDraggingItem_) {
        return;
    }
    if (animated && composited_) {
        auto* animation = new QPropertyAnimation(this, "windowOpacity", this);
        animation->setDuration(250);
        animation->setEndValue(0.0);
        connect(animation, &QPropertyAnimation::finished, this, [this] { QWidget::hide(); });
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    } else {
        QWidget::hide();
    }
}

void HUDWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (visibilityObserver_) {
        visibilityObserver_(true);
    }
}

void HUDWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (visibilityObserver_) {
        visibilityObserver_(false);
    }
}

void HUDWindow::reposition() {
    // The screen the user works on: the one with the pointer.
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect available = screen != nullptr ? screen->availableGeometry() : geometry();
    setGeometry(HUDLayout::frame(available, mox::MoxFonts::scale()));
}

int HUDWindow::dropIndex(int windowY) const {
    std::vector<int> middles;
    for (const HUDItemRow* row : rows()) {
        middles.push_back(row->mapTo(this, QPoint(0, row->height() / 2)).y());
    }
    return HUDLayout::dropIndex(middles, windowY);
}

void HUDWindow::updateDropIndicator(const QPoint& windowPoint) {
    const auto all = rows();
    if (all.empty()) {
        dropIndicator_->hide();
        return;
    }
    const int index = dropIndex(windowPoint.y());
    const int y = index < static_cast<int>(all.size())
                      ? all[static_cast<std::size_t>(index)]->mapTo(this, QPoint(0, 0)).y()
                      : all.back()->mapTo(this, QPoint(0, all.back()->height())).y();
    const QRect scroll = scrollView_->geometry();
    dropIndicator_->setGeometry(scroll.left() + 6, y - 2, scroll.width() - 12, 3);
    dropIndicator_->show();
    dropIndicator_->raise();
}

void HUDWindow::rowDragMoved(const QPoint& windowPoint) {
    isDraggingItem_ = true;
    fadeTimer_.stop();
    updateDropIndicator(windowPoint);
}

void HUDWindow::endDrag() {
    isDraggingItem_ = false;
    dropIndicator_->hide();
    // Dragging stopped the hide: start it again, unless what the drop does shows it anew.
    if (QWidget::isVisible() && !fadeTimer_.isActive()) {
        scheduleHide(hideAfterDrag, animationsEnabled_);
    }
}

void HUDWindow::rowDragEnded(const Uuid& id, const QPoint& windowPoint) {
    endDrag();
    const int index = dropIndex(windowPoint.y());
    int dragged = 0;
    const auto all = rows();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i]->itemId() == id) {
            dragged = static_cast<int>(i);
        }
    }
    if (const auto delegate = dragDelegate_.lock()) {
        delegate->hudDidMoveItem(id, HUDLayout::moveTarget(index, dragged));
    }
}

void HUDWindow::moveDragToken(HUDItemRow& row, const QPoint& windowPoint) {
    if (!dragToken_) {
        dragToken_ = mox::plainLabel({}, this);
        dragToken_->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 13, QFont::Bold));
        dragToken_->setText(dragToken_->fontMetrics().elidedText(row.displayText(), Qt::ElideRight,
                                                                 row.width() - 20));
        QColor border = mox::MoxColors::accent();
        border.setAlpha(140);
        dragToken_->setStyleSheet(
            QStringLiteral("QLabel { color: %1; background: rgba(11,13,14,235);"
                           " border: 1px solid rgba(%2,%3,%4,%5);"
                           " border-radius: 10px; padding: 0 10px; }")
                .arg(mox::MoxColors::textPrimary().name())
                .arg(border.red())
                .arg(border.green())
                .arg(border.blue())
                .arg(border.alpha()));
        dragToken_->resize(row.size());
        dragToken_->show();
    }
    dragToken_->raise();
    const QSize size = dragToken_->size();
    const int x =
        std::max(8, std::min(width() - size.width() - 8, windowPoint.x() - size.width() / 2));
    const int y =
        std::max(8, std::min(height() - size.height() - 8, windowPoint.y() - size.height() / 2));
    dragToken_->move(x, y);
}

void HUDWindow::removeDragToken() {
    if (dragToken_) {
        dragToken_->deleteLater();
        dragToken_ = nullptr;
    }
}

void HUDWindow::rowDragCancelled() {
    endDrag();
}

void HUDWindow::rowDeleted(const Uuid& id) {
    if (const auto delegate = dragDelegate_.lock()) {
        delegate->hudDidDeleteItem(id);
    }
}

void HUDWindow::rowPinToggled(const Uuid& id) {
    if (const auto delegate = dragDelegate_.lock()) {
        delegate->hudDidTogglePin(id);
    }
}

void HUDWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(
        shape, composited_ ? withAlpha(mox::MoxColors::panel(), 0.92) : mox::MoxColors::panel());
    painter.setPen(QPen(mox::MoxColors::line(), 1));
    painter.drawPath(shape);
}

void HUDWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!composited_) {
        // Opaque with rounded corners where no compositor can draw translucency.
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        setMask(QRegion(shape.toFillPolygon().toPolygon()));
    }
}

}  // namespace tovra
