#include "MoxCard.h"

#include <QPainter>
#include <QPainterPath>

#include "MoxColors.h"
#include "MoxScales.h"

namespace mox {

MoxCard::MoxCard(int padding, bool hover, QWidget* parent) : QFrame(parent), hover_(hover) {
    setContentsMargins(padding, padding, padding, padding);
    animation_.setDuration(static_cast<int>(MoxMotion::fast * 1000));
    animation_.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        highlight_ = value.toDouble();
        update();
    });
}

void MoxCard::animateTo(double target) {
    animation_.stop();
    animation_.setStartValue(highlight_);
    animation_.setEndValue(target);
    animation_.start();
}

void MoxCard::enterEvent(QEnterEvent* event) {
    if (hover_) {
        animateTo(1.0);
    }
    QFrame::enterEvent(event);
}

void MoxCard::leaveEvent(QEvent* event) {
    if (hover_) {
        animateTo(0.0);
    }
    QFrame::leaveEvent(event);
}

void MoxCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), MoxRadius::lg,
                         MoxRadius::lg);
    painter.fillPath(shape, MoxColors::panel2());
    if (highlight_ > 0) {
        QColor glow = MoxColors::highlight();
        glow.setAlphaF(static_cast<float>(glow.alphaF() * highlight_));
        painter.fillPath(shape, glow);
    }
    painter.setPen(QPen(MoxColors::line(), 1));
    painter.drawPath(shape);
}

}  // namespace mox
