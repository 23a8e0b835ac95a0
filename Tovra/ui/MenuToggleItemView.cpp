#include "MenuToggleItemView.h"

#include <QKeyEvent>
#include <QMenu>
#include <QPainter>

#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"

namespace tovra {

MenuToggleSwitchView::MenuToggleSwitchView(QWidget* parent) : QWidget(parent) {
    setFixedSize(34, 20);
}

void MenuToggleSwitchView::setOn(bool on) {
    isOn_ = on;
    update();
}

void MenuToggleSwitchView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isOn_ ? mox::MoxColors::accent() : mox::MoxColors::panel2());
    painter.drawRoundedRect(r, r.height() * 0.5, r.height() * 0.5);
    const double d = r.height() - 4;
    const double x = isOn_ ? r.right() - d - 2 : r.left() + 2;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, r.top() + 2, d, d));
}

MenuToggleItemView::MenuToggleItemView(const QString& title, std::function<void()> onActivate,
                                       QWidget* parent)
    : QAbstractButton(parent),
      titleLabel_(mox::plainLabel(title, this)),
      switchView_(new MenuToggleSwitchView(this)),
      onActivate_(std::move(onActivate)) {
    // At least this wide; the menu stretches it across its rows.
    setMinimumSize(mox::MoxFonts::scaled(220), mox::MoxFonts::scaled(30));
    resize(minimumSize());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setCheckable(true);
    setText(title);
    QPalette palette = titleLabel_->palette();
    // Readable on the menu it sits in, light or dark.
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::WindowText));
    titleLabel_->setPalette(palette);
    titleLabel_->adjustSize();
    titleLabel_->move(18, (height() - titleLabel_->height()) / 2);
    setAccessibleName(title);
    refreshAppearance();
}

void MenuToggleItemView::setTitleIndent(int indent) {
    titleLabel_->move(indent, titleLabel_->y());
}

void MenuToggleItemView::setOn(bool on) {
    isOn_ = on;
    refreshAppearance();
}

void MenuToggleItemView::setTitle(const QString& title) {
    titleLabel_->setText(title);
    titleLabel_->adjustSize();
    setText(title);
    setAccessibleName(title);
}

void MenuToggleItemView::refreshAppearance() {
    switchView_->setOn(isOn_);
    setChecked(isOn_);
    setAccessibleDescription(isOn_ ? QStringLiteral("On") : QStringLiteral("Off"));
}

void MenuToggleItemView::activate() {
    if (onActivate_) {
        onActivate_();
    }
    for (QWidget* ancestor = parentWidget(); ancestor != nullptr;
         ancestor = ancestor->parentWidget()) {
        if (auto* menu = qobject_cast<QMenu*>(ancestor)) {
            menu->close();
        }
    }
}

void MenuToggleItemView::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    switchView_->move(width() - 14 - switchView_->width(), (height() - switchView_->height()) / 2);
    titleLabel_->move(titleLabel_->x(), (height() - titleLabel_->height()) / 2);
}

void MenuToggleItemView::paintEvent(QPaintEvent*) {
    if (!hasFocus() && !underMouse()) {
        return;
    }
    // The menu's own highlight, as its other rows show it.
    QPainter painter(this);
    QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    highlight.setAlphaF(0.35f);
    painter.fillRect(rect(), highlight);
}

void MenuToggleItemView::mousePressEvent(QMouseEvent*) {
    activate();
}

void MenuToggleItemView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        activate();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

}  // namespace tovra
