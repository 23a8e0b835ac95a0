#include "StatusGlyph.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace tovra {

namespace {

/// A clipboard with a list on it, on a 16-unit grid.
void paintClipboard(QPainter& painter, const QColor& color) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(2.5, 2.5, 11, 12.5), 2, 2);
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(5.5, 1, 5, 3), 1, 1);
    for (const double y : {7.0, 9.5, 12.0}) {
        painter.drawEllipse(QPointF(5.2, y), 0.8, 0.8);
        painter.drawLine(QPointF(7, y), QPointF(11.5, y));
    }
}

/// Drawn when neither the artwork nor the icon theme has a glyph.
QImage drawnClipboard() {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintClipboard(painter, Qt::black);
    return image;
}

}  // namespace

QImage StatusGlyph::baseGlyph() {
    QImage base;
    for (const QString& candidate :
         {QApplication::applicationDirPath() + QStringLiteral("/MenubarGlyph.png"),
          QStringLiteral(":/MenubarGlyph.png")}) {
        if (QFile::exists(candidate) && base.load(candidate)) {
            break;
        }
    }
    if (base.isNull()) {
        const QIcon themed = QIcon::fromTheme(QStringLiteral("edit-paste"));
        if (!themed.isNull()) {
            base = themed.pixmap(16, 16).toImage();
        }
    }
    if (base.isNull()) {
        base = drawnClipboard();
    }
    return base.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage StatusGlyph::applicationIcon(int size, const QColor& accent) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size * 0.22, size * 0.22);
    painter.translate(size * 0.2, size * 0.2);
    painter.scale(size * 0.6 / 16.0, size * 0.6 / 16.0);
    paintClipboard(painter, Qt::white);
    return image;
}

QString StatusGlyph::badgeText(int count) {
    return count <= 99 ? QString::number(count) : QStringLiteral("99+");
}

double StatusGlyph::badgeFontSize(const QString& text) {
    return text.size() < 3 ? 7.5 : 6.5;
}

QString StatusGlyph::tooltip(bool isActive, bool shortcutCaptureAvailable, std::size_t count) {
    if (!isActive) {
        return QStringLiteral("Tovra queue is paused");
    }
    if (!shortcutCaptureAvailable) {
        return QStringLiteral("Tovra queue needs Accessibility permission");
    }
    return QStringLiteral("Tovra queue: %1 item%2")
        .arg(count)
        .arg(count == 1 ? QString() : QStringLiteral("s"));
}

QImage StatusGlyph::make(int count) {
    const QImage base = baseGlyph();
    if (count < 1) {
        return base;
    }
    QImage composite(28, 18, QImage::Format_ARGB32_Premultiplied);
    composite.fill(Qt::transparent);
    QPainter painter(&composite);
    painter.setRenderHint(QPainter::Antialiasing);
    // The layout is given from the bottom left: y = 18 - y - height here.
    painter.drawImage(QRectF(1, 1, 16, 16), base);
    const QRectF badge(12, 18 - 6 - 11, 16, 11);
    QPainterPath pill;
    pill.addRoundedRect(badge, 5.5, 5.5);
    painter.fillPath(pill, QApplication::palette().color(QPalette::Highlight));
    const QString text = badgeText(count);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(static_cast<int>(badgeFontSize(text) + 0.5));
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QSizeF size = QFontMetricsF(font).size(Qt::TextSingleLine, text);
    painter.drawText(QRectF(badge.center().x() - size.width() / 2,
                            badge.center().y() - size.height() / 2, size.width(), size.height()),
                     Qt::AlignCenter, text);
    return composite;
}

}  // namespace tovra
