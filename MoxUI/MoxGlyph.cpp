#include "MoxGlyph.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <numbers>

namespace mox {

namespace {

constexpr double stroke = 1.3;

void clipboard(QPainter& p) {
    p.drawRoundedRect(QRectF(2.5, 2.5, 11, 12.5), 2, 2);
    p.save();
    p.setBrush(p.pen().color());
    p.drawRoundedRect(QRectF(5.5, 1, 5, 3), 1, 1);
    p.restore();
}

void lines(QPainter& p, double left, double right, std::initializer_list<double> ys) {
    for (const double y : ys) {
        p.drawLine(QPointF(left, y), QPointF(right, y));
    }
}

void pushpin(QPainter& p, bool filled) {
    QPainterPath head;
    head.moveTo(5, 1.5);
    head.lineTo(11, 1.5);
    head.lineTo(10, 3);
    head.lineTo(10.5, 7);
    head.lineTo(12.5, 9);
    head.lineTo(3.5, 9);
    head.lineTo(5.5, 7);
    head.lineTo(6, 3);
    head.closeSubpath();
    if (filled) {
        p.fillPath(head, p.pen().color());
    }
    p.drawPath(head);
    p.drawLine(QPointF(8, 9), QPointF(8, 14.5));
}

void document(QPainter& p) {
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(9.5, 1.5);
    page.lineTo(12.5, 4.5);
    page.lineTo(12.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.drawPath(page);
    p.drawPolyline(QPolygonF({QPointF(9.5, 1.5), QPointF(9.5, 4.5), QPointF(12.5, 4.5)}));
}

void circle(QPainter& p) {
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
}

void centredText(QPainter& p, const QString& text, double pixelSize, bool bold,
                 const QRectF& box = QRectF(0, 0, 16, 16)) {
    QFont font = p.font();
    font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    font.setBold(bold);
    p.save();
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter, text);
    p.restore();
}

void arrowHead(QPainter& p, QPointF tip, QPointF left, QPointF right) {
    p.drawPolyline(QPolygonF({left, tip, right}));
}

void draw(QPainter& p, MoxGlyph glyph) {
    switch (glyph) {
        case MoxGlyph::clipboard:
            clipboard(p);
            for (const double y : {7.0, 9.5, 12.0}) {
                p.drawPoint(QPointF(5.3, y));
            }
            lines(p, 7, 11.5, {7, 9.5, 12});
            return;
        case MoxGlyph::paste:
            clipboard(p);
            p.drawLine(QPointF(8, 6.5), QPointF(8, 12.5));
            arrowHead(p, QPointF(8, 12.5), QPointF(5.5, 10), QPointF(10.5, 10));
            return;
        case MoxGlyph::pin:
        case MoxGlyph::pinned:
            pushpin(p, glyph == MoxGlyph::pinned);
            return;
        case MoxGlyph::remove:
            p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
            p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
            return;
        case MoxGlyph::text:
            lines(p, 2.5, 13.5, {3.5, 6.5, 9.5});
            p.drawLine(QPointF(2.5, 12.5), QPointF(9.5, 12.5));
            return;
        case MoxGlyph::richText:
            centredText(p, QStringLiteral("A"), 11, true, QRectF(0, 0, 16, 12));
            lines(p, 2.5, 13.5, {14});
            return;
        case MoxGlyph::image:
            p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 1.5, 1.5);
            p.drawPolyline(QPolygonF({QPointF(2, 12), QPointF(6, 7.5), QPointF(9, 10.5),
                                      QPointF(10.5, 9), QPointF(14, 12)}));
            p.drawEllipse(QPointF(10.5, 5.5), 1.2, 1.2);
            return;
        case MoxGlyph::file:
            document(p);
            return;
        case MoxGlyph::list:
            for (const double y : {4.0, 8.0, 12.0}) {
                p.drawPoint(QPointF(2.5, y));
            }
            lines(p, 5, 13.5, {4, 8, 12});
            return;
        case MoxGlyph::inbox:
            p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 1.5, 1.5);
            p.drawPolyline(QPolygonF({QPointF(1.5, 9), QPointF(5, 9), QPointF(6, 11),
                                      QPointF(10, 11), QPointF(11, 9), QPointF(14.5, 9)}));
            return;
        case MoxGlyph::trash:
            p.drawLine(QPointF(2, 4), QPointF(14, 4));
            p.drawPolyline(
                QPolygonF({QPointF(6, 4), QPointF(6.5, 2), QPointF(9.5, 2), QPointF(10, 4)}));
            p.drawPolyline(QPolygonF(
                {QPointF(3.5, 4), QPointF(4.5, 14.5), QPointF(11.5, 14.5), QPointF(12.5, 4)}));
            p.drawLine(QPointF(6.5, 6.5), QPointF(6.5, 12));
            p.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12));
            return;
        case MoxGlyph::gear:
            p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
            p.drawEllipse(QPointF(8, 8), 5, 5);
            for (int i = 0; i < 8; ++i) {
                const double angle = i * std::numbers::pi / 4;
                p.drawLine(QPointF(8 + 5 * std::cos(angle), 8 + 5 * std::sin(angle)),
                           QPointF(8 + 7 * std::cos(angle), 8 + 7 * std::sin(angle)));
            }
            return;
        case MoxGlyph::help:
            circle(p);
            centredText(p, QStringLiteral("?"), 10, true);
            return;
        case MoxGlyph::info:
            circle(p);
            centredText(p, QStringLiteral("i"), 10, true);
            return;
        case MoxGlyph::refresh:
            p.drawArc(QRectF(2, 2, 12, 12), 60 * 16, 300 * 16);
            arrowHead(p, QPointF(11, 2.8), QPointF(8.5, 1.5), QPointF(10.5, 5.3));
            return;
        case MoxGlyph::update:
            circle(p);
            p.drawLine(QPointF(8, 4), QPointF(8, 11.5));
            arrowHead(p, QPointF(8, 11.5), QPointF(5, 8.5), QPointF(11, 8.5));
            return;
        case MoxGlyph::quit:
            p.drawArc(QRectF(2, 2.5, 12, 12), 120 * 16, 300 * 16);
            p.drawLine(QPointF(8, 1), QPointF(8, 8));
            return;
        case MoxGlyph::stack:
            p.drawPolygon(
                QPolygonF({QPointF(8, 1.5), QPointF(14.5, 5), QPointF(8, 8.5), QPointF(1.5, 5)}));
            p.drawPolyline(QPolygonF({QPointF(1.5, 8), QPointF(8, 11.5), QPointF(14.5, 8)}));
            p.drawPolyline(QPolygonF({QPointF(1.5, 11), QPointF(8, 14.5), QPointF(14.5, 11)}));
            return;
        case MoxGlyph::globe:
            circle(p);
            p.drawEllipse(QPointF(8, 8), 2.8, 6.5);
            p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
            return;
        case MoxGlyph::envelope:
            p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 1.5, 1.5);
            p.drawPolyline(QPolygonF({QPointF(2, 4.5), QPointF(8, 9), QPointF(14, 4.5)}));
            return;
        case MoxGlyph::copy:
            p.drawRoundedRect(QRectF(5.5, 5.5, 9, 9), 1.5, 1.5);
            p.drawPolyline(QPolygonF({QPointF(3.5, 10.5), QPointF(1.5, 10.5), QPointF(1.5, 1.5),
                                      QPointF(10.5, 1.5), QPointF(10.5, 3.5)}));
            return;
        case MoxGlyph::shield: {
            QPainterPath shape;
            shape.moveTo(8, 1.5);
            shape.lineTo(13.5, 3.5);
            shape.cubicTo(13.5, 9, 11, 12.5, 8, 14.5);
            shape.cubicTo(5, 12.5, 2.5, 9, 2.5, 3.5);
            shape.closeSubpath();
            p.drawPath(shape);
            return;
        }
        case MoxGlyph::pulse:
            p.drawPolyline(QPolygonF({QPointF(1, 8.5), QPointF(4.5, 8.5), QPointF(6, 4),
                                      QPointF(9, 13), QPointF(10.5, 8.5), QPointF(15, 8.5)}));
            return;
        case MoxGlyph::book:
            p.drawPolyline(QPolygonF({QPointF(8, 4), QPointF(8, 14)}));
            p.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(4, 2.5), QPointF(1.5, 3),
                                     QPointF(1.5, 13), QPointF(4, 12.5), QPointF(8, 14)}));
            p.drawPolygon(QPolygonF({QPointF(8, 4), QPointF(12, 2.5), QPointF(14.5, 3),
                                     QPointF(14.5, 13), QPointF(12, 12.5), QPointF(8, 14)}));
            return;
    }
}

class GlyphEngine final : public QIconEngine {
  public:
    GlyphEngine(MoxGlyph glyph, QColor color) : glyph_(glyph), color_(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QColor color = color_;
        if (mode == QIcon::Disabled) {
            color.setAlphaF(color.alphaF() * 0.4F);
        }
        paintGlyph(*painter, glyph_, rect, color);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels already.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, pixmap.rect(), mode, state);
        }
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    [[nodiscard]] QIconEngine* clone() const override { return new GlyphEngine(glyph_, color_); }
    [[nodiscard]] QString key() const override { return QStringLiteral("mox.glyph"); }

  private:
    MoxGlyph glyph_;
    QColor color_;
};

}  // namespace

void paintGlyph(QPainter& painter, MoxGlyph glyph, const QRectF& bounds, const QColor& color) {
    const double side = std::min(bounds.width(), bounds.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(bounds.center().x() - side / 2, bounds.center().y() - side / 2);
    painter.scale(side / 16.0, side / 16.0);
    QPen pen(color, stroke);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    draw(painter, glyph);
    painter.restore();
}

QIcon glyphIcon(MoxGlyph glyph, const QColor& color) {
    return QIcon(new GlyphEngine(glyph, color));
}

QIcon themedIcon(const QString& freedesktopName, MoxGlyph glyph, const QColor& color) {
    return QIcon::fromTheme(freedesktopName, glyphIcon(glyph, color));
}

}  // namespace mox
