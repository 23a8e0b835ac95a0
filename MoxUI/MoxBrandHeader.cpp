#include "MoxBrandHeader.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "MoxBrandPack.h"
#include "MoxButton.h"
#include "MoxColors.h"
#include "MoxFonts.h"
#include "MoxLabel.h"
#include "MoxScales.h"

namespace mox {

MoxBrandHeader::MoxBrandHeader(bool showTagline, QWidget* parent) : QWidget(parent) {
    const MoxBrandPack& brand = MoxBrandPack::current();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(static_cast<int>(MoxSpacing::xxs));
    column->addWidget(
        styledLabel(brand.displayName, MoxFonts::display28(), MoxColors::textPrimary()));
    if (showTagline && brand.tagline) {
        column->addWidget(
            styledLabel(*brand.tagline, MoxFonts::body14(), MoxColors::textSecondary()));
    }
}

}  // namespace mox
