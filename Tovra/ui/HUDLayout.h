#pragma once

#include <QRect>
#include <QString>
#include <vector>

namespace tovra {

/// The overlay's arithmetic, apart from its widgets.
struct HUDLayout {
    /// Eight dots, filled for each item, and "+N" beyond eight.
    static QString dotsText(std::size_t count);
    /// The panel's frame at the right edge of the screen's available area, grown with the
    /// desktop's font.
    static QRect frame(const QRect& available, double fontScale = 1.0);
    /// Where a row dropped at `pointerY` would be inserted, counting every row: the first row
    /// whose middle lies below the pointer, else after the last one.
    static int dropIndex(const std::vector<int>& rowMiddles, int pointerY);
    /// The index to move the dragged row to so that it lands where the indicator showed: the
    /// drop index counts the dragged row itself, the move counts the rows without it.
    static int moveTarget(int dropIndex, int draggedIndex);
};

}  // namespace tovra
