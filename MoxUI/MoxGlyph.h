#pragma once

#include <QColor>
#include <QIcon>
#include <QRectF>

class QPainter;

namespace mox {

/// The kit's line symbols, drawn on a 16-unit grid at any size and pixel ratio.
enum class MoxGlyph {
    clipboard,
    paste,
    pin,
    pinned,
    remove,
    text,
    richText,
    image,
    file,
    list,
    inbox,
    trash,
    gear,
    help,
    info,
    refresh,
    update,
    quit,
    stack,
    globe,
    envelope,
    copy,
    shield,
    pulse,
    book,
};

/// Draws `glyph` in `color` scaled into `bounds` (kept square, centred).
void paintGlyph(QPainter& painter, MoxGlyph glyph, const QRectF& bounds, const QColor& color);

/// An icon that draws `glyph` sharply at every size and pixel ratio; disabled rows fade it.
QIcon glyphIcon(MoxGlyph glyph, const QColor& color);

/// The desktop theme's icon `freedesktopName`, or `glyph` drawn in `color` where the theme has
/// none: a row never shows a blank space.
QIcon themedIcon(const QString& freedesktopName, MoxGlyph glyph, const QColor& color);

}  // namespace mox
