#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace tovra {

/// The status item's picture: the plain glyph for an empty stack, else a 28 x 18 composite with
/// the count in a badge ("99+" above 99).
struct StatusGlyph {
    static QImage make(int count);
    /// The application's icon: the clipboard in white on a rounded square of the accent.
    static QImage applicationIcon(int size, const QColor& accent);
    /// The badge text for a count.
    static QString badgeText(int count);
    /// Badge font size: smaller for three characters.
    static double badgeFontSize(const QString& text);
    /// The status item's tooltip for the queue's state.
    static QString tooltip(bool isActive, bool shortcutCaptureAvailable, std::size_t count);

  private:
    static QImage baseGlyph();
};

}  // namespace tovra
