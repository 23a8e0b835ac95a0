#include "StatusGlyph.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxGlyph.h"

namespace tovra {

namespace {

double luminance(const QColor& color) {
    return 0.2126 * color.redF() + 0.7152 * color.greenF() + 0.0722 * color.blueF();
}

/// Paints the picture into `bounds` (logical pixels); `unit` is one device pixel.
void paintStatus(QPainter& painter, int count, const std::optional<QColor>& foreground,
                 const QRectF& bounds, double unit) {
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(bounds.width(), bounds.height());
    const bool badged = count >= 1;
    // With a badge the glyph moves up and left so the count has the corner.
    const QRectF glyphBox(bounds.left(), bounds.top(), badged ? side * 0.82 : side,
                          badged ? side * 0.82 : side);
    const QColor ink = foreground.value_or(QColor(Qt::white));
    if (!foreground) {
        const QColor halo(0, 0, 0, 200);
        for (const QPointF offset :
             {QPointF(-unit, 0), QPointF(unit, 0), QPointF(0, -unit), QPointF(0, unit)}) {
            mox::paintGlyph(painter, mox::MoxGlyph::clipboard, glyphBox.translated(offset), halo);
        }
    }
    mox::paintGlyph(painter, mox::MoxGlyph::clipboard, glyphBox, ink);
    if (!badged) {
        return;
    }
    const QString text = StatusGlyph::badgeText(count);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setWeight(QFont::Bold);
    // Half the icon high: legible at the 16 to 24 pixels trays give their icons.
    const double height = std::max(side * 0.55, 7.0);
    font.setPixelSize(std::max(static_cast<int>(height * 0.8), 6));
    const QFontMetricsF metrics(font);
    const double width =
        std::min(std::max(height, metrics.horizontalAdvance(text) + height * 0.4), side);
    const QRectF badge(bounds.left() + side - width, bounds.top() + side - height, width, height);
    QPainterPath pill;
    pill.addRoundedRect(badge, height / 2, height / 2);
    const QColor fill = mox::MoxColors::accent();
    painter.fillPath(pill, fill);
    painter.setFont(font);
    painter.setPen(luminance(fill) > 0.5 ? Qt::black : Qt::white);
    painter.drawText(badge, Qt::AlignCenter, text);
}

class StatusIconEngine final : public QIconEngine {
  public:
    StatusIconEngine(int count, std::optional<QColor> foreground)
        : count_(count), foreground_(foreground) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        paintStatus(*painter, count_, foreground_, rect,
                    1.0 / painter->device()->devicePixelRatioF());
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    // `size` is in device pixels already.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) override {
        const int logical = static_cast<int>(std::min(size.width(), size.height()) / scale);
        return QPixmap::fromImage(StatusGlyph::render(count_, foreground_, logical, scale));
    }
    [[nodiscard]] QIconEngine* clone() const override {
        return new StatusIconEngine(count_, foreground_);
    }
    [[nodiscard]] QString key() const override { return QStringLiteral("tovra.status"); }

  private:
    int count_;
    std::optional<QColor> foreground_;
};

}  // namespace

QImage StatusGlyph::render(int count, std::optional<QColor> foreground, int size,
                           qreal pixelRatio) {
    const int pixels = std::max(1, static_cast<int>(std::lround(size * pixelRatio)));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(pixelRatio);
    QPainter painter(&image);
    paintStatus(painter, count, foreground, QRectF(0, 0, size, size), 1.0 / pixelRatio);
    return image;
}

QIcon StatusGlyph::icon(int count, std::optional<QColor> foreground) {
    return QIcon(new StatusIconEngine(count, foreground));
}

QImage StatusGlyph::applicationIcon(int size, const QColor& accent) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size * 0.22, size * 0.22);
    mox::paintGlyph(painter, mox::MoxGlyph::clipboard,
                    QRectF(size * 0.2, size * 0.2, size * 0.6, size * 0.6), Qt::white);
    return image;
}

QString StatusGlyph::badgeText(int count) {
    return count <= 99 ? QString::number(count) : QStringLiteral("99+");
}

QString StatusGlyph::tooltip(bool isActive, bool shortcutCaptureAvailable, std::size_t count) {
    if (!isActive) {
        return QStringLiteral("Tovra queue is paused");
    }
    if (!shortcutCaptureAvailable) {
        return QStringLiteral("Tovra queue needs keyboard access");
    }
    return QStringLiteral("Tovra queue: %1 item%2")
        .arg(count)
        .arg(count == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace tovra
