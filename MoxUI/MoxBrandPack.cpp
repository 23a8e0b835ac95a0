#include "MoxBrandPack.h"

#include "MoxColors.h"

namespace mox {

namespace {
MoxBrandPack& currentPack() {
    static MoxBrandPack pack = MoxBrandPack::placeholder();
    return pack;
}
}  // namespace

MoxBrandPack MoxBrandPack::make(QString slug, QString displayName, std::uint32_t accentHex,
                                std::uint32_t accentSecondaryHex) {
    MoxBrandPack pack;
    pack.slug = std::move(slug);
    pack.displayName = std::move(displayName);
    pack.accent = MoxColors::fromHex(accentHex);
    pack.accentSecondary = MoxColors::fromHex(accentSecondaryHex);
    pack.accentHex = accentHex;
    pack.accentSecondaryHex = accentSecondaryHex;
    pack.originTitle = QStringLiteral("A small note from home");
    pack.rootsText = QStringLiteral("Roots matter.");
    return pack;
}

MoxBrandPack MoxBrandPack::placeholder() {
    return make(QStringLiteral("placeholder"), QStringLiteral("Mox Works"), 0x9C9487, 0xD6A642);
}

MoxBrandPack MoxBrandPack::tovra() {
    MoxBrandPack pack = make(QStringLiteral("tovra"), QStringLiteral("Tovra"), 0x9AA86A, 0xD6A642);
    pack.originText = QStringLiteral(
        "The name Tovra was chosen for a small tool that carries what you copy and sets it "
        "down, one paste at a time, where you need it.");
    return pack;
}

const MoxBrandPack& MoxBrandPack::current() {
    return currentPack();
}

void MoxBrandPack::configure(MoxBrandPack pack) {
    currentPack() = std::move(pack);
}

void MoxBrandPack::reset() {
    currentPack() = placeholder();
}

}  // namespace mox
