#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>
#include <optional>

namespace tovra {

/// The status item's picture: a clipboard drawn as a line glyph in the tray's own foreground
/// colour, with the count in a badge ("99+" above 99) while something is queued.
struct StatusGlyph {
    /// The picture for `size` logical pixels at `pixelRatio`. Without a known foreground the
    /// glyph gets a halo, so that it reads on light and dark panels alike.
    static QImage render(int count, std::optional<QColor> foreground, int size, qreal pixelRatio);
    /// An icon drawn afresh at whatever size and pixel ratio the tray asks for.
    static QIcon icon(int count, std::optional<QColor> foreground);
    /// The application's icon: the clipboard in white on a rounded square of the accent.
    static QImage applicationIcon(int size, const QColor& accent);
    /// The badge text for a count.
    static QString badgeText(int count);
    /// The status item's tooltip for the queue's state.
    static QString tooltip(bool isActive, bool shortcutCaptureAvailable, std::size_t count);
};

}  // namespace tovra
