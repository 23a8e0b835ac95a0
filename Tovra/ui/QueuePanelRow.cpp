#include "QueuePanelRow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

#include "ItemKindSymbol.h"
#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxElidedLabel.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxGlyph.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxScales.h"
#include "Tovra/core/PrivacyMasking.h"
#include "Tovra/core/UnicodeText.h"

namespace tovra {

namespace {

/// One line, masked as the privacy mode says: line breaks would be cut off in a one-line row.
QString displayText(const std::string& preview, PrivacyMode mode) {
    return QString::fromStdString(unicode::oneLine(unicode::trimmed(maskedText(preview, mode))));
}

QToolButton* glyphButton(QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setFixedSize(28, 28);
    button->setIconSize(QSize(16, 16));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QLabel* kindSymbol(int size) {
    auto* label = new QLabel;
    label->setFixedSize(size, size);
    return label;
}

}  // namespace

QueuePanelRow::QueuePanelRow(QueuePanelModel& model, const ItemRow& item, Style style,
                             std::function<void(QueuePanelRow*, int)> step)
    : model_(model),
      item_(item),
      style_(style),
      step_(std::move(step)),
      kindSymbol_(kindSymbol(style == Style::card ? 20 : 16)),
      text_(new mox::MoxElidedLabel),
      kind_(mox::styledLabel({}, mox::MoxFonts::body12(), mox::MoxColors::textSecondary())) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &QueuePanelRow::openMenu);

    const bool card = style == Style::card;
    text_->setFont(card ? mox::MoxFonts::font(mox::MoxFontFamily::body, 16, QFont::Medium)
                        : mox::MoxFonts::body14());
    QPalette textColour = text_->palette();
    textColour.setColor(QPalette::WindowText, mox::MoxColors::textPrimary());
    text_->setPalette(textColour);

    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(card ? 24 : 16, card ? 12 : 6, card ? 24 : 12, card ? 12 : 6);
    line->setSpacing(12);
    if (!card) {
        number_ = mox::styledLabel({}, mox::MoxFonts::body12(), mox::MoxColors::textTertiary());
        number_->setFixedWidth(mox::MoxFonts::scaled(22));
        number_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->addWidget(number_);
    }
    line->addWidget(kindSymbol_);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(card ? 4 : 2);
    texts->addWidget(text_);
    texts->addWidget(kind_);
    line->addLayout(texts, 1);

    if (card) {
        setMinimumHeight(90);
        paste_ = new mox::MoxButton(QStringLiteral("Ctrl+V  Paste"), mox::MoxButtonVariant::primary,
                                    mox::MoxButtonSize::md);
        paste_->setAccessibleName(QStringLiteral("Paste next queue item"));
        line->addWidget(paste_);
    } else {
        setMinimumHeight(54);
        paste_ = new mox::MoxButton(QStringLiteral("Paste"), mox::MoxButtonVariant::ghost,
                                    mox::MoxButtonSize::sm);
        paste_->setFocusPolicy(Qt::TabFocus);
        // Kept in the layout while hidden: showing it must not move the row's other controls.
        QSizePolicy keep = paste_->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        paste_->setSizePolicy(keep);
        paste_->setVisible(false);
        line->addWidget(paste_);
        pin_ = glyphButton(this);
        remove_ = glyphButton(this);
        remove_->setIcon(mox::glyphIcon(mox::MoxGlyph::remove, mox::MoxColors::textSecondary()));
        remove_->setToolTip(QStringLiteral("Remove"));
        line->addWidget(pin_);
        line->addWidget(remove_);
        connect(pin_, &QToolButton::clicked, this, [this] { model_.togglePinItem(item_.id); });
        connect(remove_, &QToolButton::clicked, this, [this] { model_.removeItem(item_.id); });
    }
    connect(paste_, &QPushButton::clicked, this, [this] { model_.pasteItem(item_.id); });
}

void QueuePanelRow::show(const ItemRow& item, int position, bool isLast, PrivacyMode mode) {
    const bool pinChanged = item.isPinned != item_.isPinned || position_ == 0;
    const bool kindChanged = item.kind != item_.kind || position_ == 0;
    const bool textChanged =
        item.previewText != item_.previewText || mode != mode_ || text_->fullText().isEmpty();
    item_ = item;
    mode_ = mode;
    if (textChanged) {
        text_->setFullText(displayText(item.previewText, mode));
    }
    if (kindChanged) {
        kind_->setText(QString::fromStdString(item.kind));
        kindSymbol_->setPixmap(mox::glyphIcon(kindGlyph(item.kind), mox::MoxColors::textSecondary())
                                   .pixmap(kindSymbol_->size(), devicePixelRatioF()));
    }
    if (position != position_ && number_ != nullptr) {
        number_->setText(QString::number(position));
    }
    if (position != position_ || textChanged) {
        // What a screen reader says: the position and the text as the privacy mode shows it.
        setAccessibleName(QStringLiteral("Queue item %1: %2")
                              .arg(position)
                              .arg(displayText(item.previewText, mode)));
    }
    if (position != position_ || pinChanged) {
        if (style_ == Style::list) {
            paste_->setAccessibleName(QStringLiteral("Paste queue item %1").arg(position));
            remove_->setAccessibleName(QStringLiteral("Remove queue item %1").arg(position));
            pin_->setIcon(mox::glyphIcon(
                item.isPinned ? mox::MoxGlyph::pinned : mox::MoxGlyph::pin,
                item.isPinned ? mox::MoxColors::accent() : mox::MoxColors::textSecondary()));
            pin_->setToolTip(item.isPinned ? QStringLiteral("Unpin") : QStringLiteral("Pin"));
            pin_->setAccessibleName((item.isPinned ? QStringLiteral("Unpin queue item %1")
                                                   : QStringLiteral("Pin queue item %1"))
                                        .arg(position));
        }
    }
    position_ = position;
    if (isLast != isLast_) {
        isLast_ = isLast;
        update();
    }
}

void QueuePanelRow::openMenu(QPoint where) {
    QMenu menu;
    menu.addAction(QStringLiteral("Paste this"), this, [this] { model_.pasteItem(item_.id); });
    menu.addAction(item_.isPinned ? QStringLiteral("Unpin") : QStringLiteral("Pin"), this,
                   [this] { model_.togglePinItem(item_.id); });
    menu.addSeparator();
    menu.addAction(QStringLiteral("Remove"), this, [this] { model_.removeItem(item_.id); });
    menu.exec(mapToGlobal(where));
}

void QueuePanelRow::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) {
        QFrame::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            model_.pasteItem(item_.id);
            return;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            model_.removeItem(item_.id);
            return;
        case Qt::Key_Space:
            model_.togglePinItem(item_.id);
            return;
        case Qt::Key_Menu:
            openMenu(QPoint(width() / 3, height() / 2));
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
            if (step_) {
                const int key = event->key();
                step_(this, key == Qt::Key_Up     ? -1
                            : key == Qt::Key_Down ? 1
                            : key == Qt::Key_Home ? -1'000'000
                                                  : 1'000'000);
            }
            return;
        default:
            QFrame::keyPressEvent(event);
    }
}

bool QueuePanelRow::focusWithin() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == this || isAncestorOf(focus));
}

void QueuePanelRow::refreshChrome() {
    const bool active = hovered_ || focusWithin();
    if (style_ == Style::list) {
        paste_->setVisible(active);
        if (active && !selectableMade_) {
            // A text control per label is costly for many rows: made on first use.
            text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
            selectableMade_ = true;
        }
    }
    update();
}

void QueuePanelRow::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    refreshChrome();
    QFrame::enterEvent(event);
}

void QueuePanelRow::leaveEvent(QEvent* event) {
    hovered_ = false;
    refreshChrome();
    QFrame::leaveEvent(event);
}

void QueuePanelRow::focusInEvent(QFocusEvent* event) {
    refreshChrome();
    QFrame::focusInEvent(event);
}

void QueuePanelRow::focusOutEvent(QFocusEvent* event) {
    refreshChrome();
    QFrame::focusOutEvent(event);
}

void QueuePanelRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool focused = hasFocus();
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (style_ == Style::card) {
        QPainterPath shape;
        shape.addRoundedRect(bounds, mox::MoxRadius::lg, mox::MoxRadius::lg);
        painter.fillPath(shape, mox::MoxColors::panel2());
        if (hovered_) {
            painter.fillPath(shape, mox::MoxColors::highlight());
        }
        painter.setPen(
            QPen(focused ? mox::MoxColors::accent() : mox::MoxColors::line(), focused ? 2 : 1));
        painter.drawPath(shape);
        return;
    }
    if (hovered_ || focused) {
        painter.fillRect(rect(), mox::MoxColors::highlight());
    }
    if (focused) {
        painter.fillRect(QRectF(0, 0, 3, height()), mox::MoxColors::accent());
    }
    if (!isLast_) {
        painter.fillRect(QRectF(0, height() - 1, width(), 1), mox::MoxColors::line());
    }
}

}  // namespace tovra
