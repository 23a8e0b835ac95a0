#include "MoxBadge.h"

#include <QPainter>

#include "MoxColors.h"
#include "MoxFonts.h"
#include "MoxScales.h"

namespace mox {

namespace {
constexpr float tintedFill = 0.16F;
constexpr float tintedBorder = 0.4F;

MoxBadge::Colors tinted(QColor base) {
    QColor fill = base;
    fill.setAlphaF(tintedFill);
    QColor border = base;
    border.setAlphaF(tintedBorder);
    return {base, fill, border};
}
}  // namespace

MoxBadge::Colors MoxBadge::colors(MoxBadgeVariant variant) {
    switch (variant) {
        case MoxBadgeVariant::neutral:
            return {MoxColors::textSecondary(), MoxColors::panel2(), MoxColors::line()};
        case MoxBadgeVariant::accent:
            return tinted(MoxColors::accent());
        case MoxBadgeVariant::success:
            return tinted(MoxColors::success());
        case MoxBadgeVariant::warning:
            return tinted(MoxColors::warning());
        case MoxBadgeVariant::danger:
            break;
    }
    return tinted(MoxColors::danger());
}

MoxBadge::MoxBadge(const QString& text, MoxBadgeVariant variant, QWidget* parent)
    : QLabel(parent), variant_(variant) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(MoxFonts::font(MoxFontFamily::body, 11, QFont::Medium));
    setContentsMargins(static_cast<int>(MoxSpacing::sm), static_cast<int>(MoxSpacing::xxs),
                       static_cast<int>(MoxSpacing::sm), static_cast<int>(MoxSpacing::xxs));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colors(variant).text);
    setPalette(palette);
}

void MoxBadge::setVariant(MoxBadgeVariant variant) {
    variant_ = variant;
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colors(variant).text);
    setPalette(palette);
    update();
}

void MoxBadge::paintEvent(QPaintEvent* event) {
    const Colors c = colors(variant_);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(c.border, 1));
    painter.setBrush(c.fill);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = box.height() / 2;  // fully rounded ends
    painter.drawRoundedRect(box, radius, radius);
    painter.end();
    QLabel::paintEvent(event);
}

}  // namespace mox
