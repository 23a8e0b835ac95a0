#pragma once

#include <QColor>
#include <QString>
#include <array>
#include <cstdint>
#include <utility>

namespace mox {

/// The kit's palette: one dark, warm look for every window.
struct MoxColors {
    /// The eleven named tokens and their 24-bit values, in the kit's order.
    static const std::array<std::pair<const char*, std::uint32_t>, 11>& table();
    /// Colour for an 0xRRGGBB value, each byte divided by 255.
    static QColor fromHex(std::uint32_t rgb);

    static QColor background();
    static QColor panel();
    static QColor panel2();
    static QColor line();
    static QColor textPrimary();
    static QColor textSecondary();
    static QColor textTertiary();
    static QColor warning();
    static QColor success();
    static QColor danger();
    static QColor info();
    /// White at 6 % opacity: a faint highlight.
    static QColor highlight();
    /// From the current brand pack.
    static QColor accent();
    static QColor accentSecondary();
};

}  // namespace mox
