#include "MoxColors.h"

#include "MoxBrandPack.h"

namespace mox {

const std::array<std::pair<const char*, std::uint32_t>, 11>& MoxColors::table() {
    static const std::array<std::pair<const char*, std::uint32_t>, 11> tokens{{
        {"background", 0x0B0D0E},
        {"panel", 0x121417},
        {"panel2", 0x181A1D},
        {"line", 0x2A2520},
        {"textPrimary", 0xF4EFE6},
        {"textSecondary", 0x9C9487},
        {"textTertiary", 0x8A8279},  // 4.5:1 on the raised surfaces, as body text needs
        {"warning", 0xD6A642},
        {"success", 0x7D8A4D},
        {"danger", 0xB85C38},
        {"info", 0x1B6B5E},
    }};
    return tokens;
}

QColor MoxColors::fromHex(std::uint32_t rgb) {
    return QColor::fromRgbF(static_cast<float>((rgb >> 16) & 0xFF) / 255.0F,
                            static_cast<float>((rgb >> 8) & 0xFF) / 255.0F,
                            static_cast<float>(rgb & 0xFF) / 255.0F);
}

namespace {
QColor token(std::size_t index) {
    return MoxColors::fromHex(MoxColors::table()[index].second);
}
}  // namespace

QColor MoxColors::background() {
    return token(0);
}
QColor MoxColors::panel() {
    return token(1);
}
QColor MoxColors::panel2() {
    return token(2);
}
QColor MoxColors::line() {
    return token(3);
}
QColor MoxColors::textPrimary() {
    return token(4);
}
QColor MoxColors::textSecondary() {
    return token(5);
}
QColor MoxColors::textTertiary() {
    return token(6);
}
QColor MoxColors::warning() {
    return token(7);
}
QColor MoxColors::success() {
    return token(8);
}
QColor MoxColors::danger() {
    return token(9);
}
QColor MoxColors::info() {
    return token(10);
}
QColor MoxColors::highlight() {
    return QColor::fromRgbF(1.0F, 1.0F, 1.0F, 0.06F);
}
QColor MoxColors::accent() {
    return MoxBrandPack::current().accent;
}
QColor MoxColors::accentSecondary() {
    return MoxBrandPack::current().accentSecondary;
}

}  // namespace mox
