#include "MoxHeritageIllustration.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "MoxBrandPack.h"
#include "MoxButton.h"
#include "MoxColors.h"
#include "MoxFonts.h"
#include "MoxLabel.h"
#include "MoxScales.h"

namespace mox {

MoxHeritageIllustration::MoxHeritageIllustration(std::optional<QSize> size, QWidget* parent)
    : QLabel(parent) {
    const QSize target = size.value_or(QSize(96, 96));
    setFixedSize(target);
    const MoxBrandPack& brand = MoxBrandPack::current();
    if (brand.heritageIllustration) {
        setPixmap(QPixmap::fromImage(brand.heritageIllustration->scaled(target, Qt::KeepAspectRatio,
                                                                        Qt::SmoothTransformation)));
        return;
    }
    // No artwork: a line drawing of home, a house on a hill under the sun, in a round frame.
    const qreal ratio = devicePixelRatioF();
    QPixmap drawn(target * ratio);
    drawn.setDevicePixelRatio(ratio);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(target.width(), target.height());
    painter.translate((target.width() - side) / 2, (target.height() - side) / 2);
    painter.scale(side / 96.0, side / 96.0);
    QPen frame(MoxColors::accentSecondary(), 2);
    frame.setCapStyle(Qt::RoundCap);
    frame.setJoinStyle(Qt::RoundJoin);
    painter.setPen(frame);
    painter.drawEllipse(QRectF(8, 8, 80, 80));
    painter.save();
    QPainterPath inside;
    inside.addEllipse(QRectF(9, 9, 78, 78));
    painter.setClipPath(inside);
    QPainterPath hill;
    hill.moveTo(4, 72);
    hill.cubicTo(30, 56, 60, 56, 92, 70);
    painter.drawPath(hill);
    QPen house(MoxColors::accent(), 2);
    house.setJoinStyle(Qt::RoundJoin);
    house.setCapStyle(Qt::RoundCap);
    painter.setPen(house);
    painter.drawPolyline(QPolygonF(
        {QPointF(36, 62), QPointF(36, 48), QPointF(48, 38), QPointF(60, 48), QPointF(60, 62)}));
    painter.drawRect(QRectF(45, 53, 6, 9));
    painter.setPen(frame);
    painter.drawEllipse(QPointF(66, 28), 5, 5);
    painter.restore();
    painter.end();
    setPixmap(drawn);
}

}  // namespace mox
