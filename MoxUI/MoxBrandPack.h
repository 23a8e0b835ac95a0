#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>

namespace mox {

/// A product's look within the kit: names, accents and the local note card's texts.
struct MoxBrandPack {
    QString slug;
    QString displayName;
    QColor accent;
    QColor accentSecondary;
    std::optional<std::uint32_t> accentHex;
    std::optional<std::uint32_t> accentSecondaryHex;
    std::optional<QImage> heritageIllustration;
    std::optional<QImage> appIcon;
    std::optional<QString> originText;
    QString originTitle;
    QString rootsText;
    std::optional<QString> tagline;

    /// Accents given as 0xRRGGBB.
    static MoxBrandPack make(QString slug, QString displayName, std::uint32_t accentHex,
                             std::uint32_t accentSecondaryHex);
    /// What the kit shows before a product configures its own.
    static MoxBrandPack placeholder();
    /// Tovra's own pack.
    static MoxBrandPack tovra();

    /// The pack in force; the placeholder until `configure`.
    static const MoxBrandPack& current();
    static void configure(MoxBrandPack pack);
    /// Back to the placeholder (tests).
    static void reset();
};

}  // namespace mox
