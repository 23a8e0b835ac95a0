#include "HUDLayout.h"

#include <algorithm>
#include <cmath>

namespace tovra {

QString HUDLayout::dotsText(std::size_t count) {
    const std::size_t filled = std::min<std::size_t>(count, 8);
    QString text;
    for (std::size_t i = 0; i < 8; ++i) {
        text += i < filled ? QStringLiteral("\u25CF ") : QStringLiteral("\u25CB ");
    }
    text = text.trimmed();
    if (count >= 9) {
        text += QStringLiteral("  +%1").arg(count - 8);
    }
    return text;
}

QRect HUDLayout::frame(const QRect& available, double fontScale) {
    const auto scaled = [fontScale](int length) {
        return static_cast<int>(std::lround(length * fontScale));
    };
    const int height = std::min(std::max(available.height() - 80, scaled(240)), scaled(380));
    const int width = std::min(scaled(300), std::max(available.width() - 48, 300));
    const int x = available.right() + 1 - width - 24;
    const int y = available.top() + available.height() / 2 - height / 2;
    return {x, y, width, height};
}

int HUDLayout::dropIndex(const std::vector<int>& rowMiddles, int pointerY) {
    for (std::size_t i = 0; i < rowMiddles.size(); ++i) {
        if (pointerY < rowMiddles[i]) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(rowMiddles.size());
}

int HUDLayout::moveTarget(int dropIndex, int draggedIndex) {
    return dropIndex > draggedIndex ? dropIndex - 1 : dropIndex;
}

}  // namespace tovra
