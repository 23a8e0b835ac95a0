#include "MoxButton.h"

#include <QPainter>

#include "MoxColors.h"
#include "MoxFonts.h"
#include "MoxScales.h"

namespace mox {

namespace {
QColor alpha(QColor color, double value) {
    color.setAlphaF(static_cast<float>(value));
    return color;
}
double radiusFor(MoxButtonSize size) {
    switch (size) {
        case MoxButtonSize::sm:
            return MoxRadius::sm;
        case MoxButtonSize::md:
            return MoxRadius::md;
        case MoxButtonSize::lg:
            break;
    }
    return MoxRadius::lg;
}
}  // namespace

QPainterPath ShapeForVariant(MoxButtonVariant, MoxButtonSize size, const QRectF& bounds,
                             double inset) {
    QPainterPath path;
    const QRectF box = bounds.adjusted(inset, inset, -inset, -inset);
    const double radius = std::min(radiusFor(size), box.height() / 2);
    path.addRoundedRect(box, radius, radius);
    return path;
}

QFont MoxButton::labelFont(MoxButtonSize size) {
    switch (size) {
        case MoxButtonSize::sm:
            return MoxFonts::font(MoxFontFamily::body, 12, QFont::Medium);
        case MoxButtonSize::md:
            return MoxFonts::font(MoxFontFamily::body, 14, QFont::Medium);
        case MoxButtonSize::lg:
            break;
    }
    return MoxFonts::font(MoxFontFamily::body, 16, QFont::DemiBold);
}

MoxButton::Colors MoxButton::colors(MoxButtonVariant variant, bool hovered) {
    switch (variant) {
        case MoxButtonVariant::primary:
            return {hovered ? MoxColors::accent().lighter(110) : MoxColors::accent(),
                    MoxColors::background(), Qt::transparent};
        case MoxButtonVariant::secondary:
            return {hovered ? MoxColors::line() : MoxColors::panel2(), MoxColors::textPrimary(),
                    MoxColors::line()};
        case MoxButtonVariant::ghost:
            return {hovered ? MoxColors::highlight() : QColor(Qt::transparent),
                    MoxColors::textSecondary(), Qt::transparent};
        case MoxButtonVariant::danger:
            break;
    }
    return {alpha(MoxColors::danger(), hovered ? 0.3 : 0.18), MoxColors::danger(),
            alpha(MoxColors::danger(), 0.5)};
}

MoxButton::MoxButton(const QString& label, MoxButtonVariant variant, MoxButtonSize size,
                     QWidget* parent)
    : QPushButton(label, parent), variant_(variant), size_(size) {
    setFont(labelFont(size));
    setCursor(Qt::PointingHandCursor);
    const int padding = size == MoxButtonSize::sm ? 8 : (size == MoxButtonSize::md ? 12 : 16);
    const int height = size == MoxButtonSize::sm ? 24 : (size == MoxButtonSize::md ? 30 : 38);
    setMinimumHeight(MoxFonts::scaled(height));
    setMinimumWidth(fontMetrics().horizontalAdvance(label) + 2 * MoxFonts::scaled(padding));
}

void MoxButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QPushButton::enterEvent(event);
}

void MoxButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QPushButton::leaveEvent(event);
}

void MoxButton::paintEvent(QPaintEvent*) {
    const Colors c = colors(variant_, hovered_ && isEnabled());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isEnabled() ? 1.0 : 0.45);
    painter.fillPath(ShapeForVariant(variant_, size_, rect(), 0.5), c.fill);
    if (c.border.alpha() > 0) {
        painter.setPen(QPen(c.border, 1));
        painter.drawPath(ShapeForVariant(variant_, size_, rect(), 0.5));
    }
    if (hasFocus()) {
        painter.setPen(QPen(alpha(MoxColors::accent(), 0.8), 2));
        painter.drawPath(ShapeForVariant(variant_, size_, rect(), 1.5));
    }
    painter.setPen(c.text);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace mox
