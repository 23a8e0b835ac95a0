#include "MoxLocalNoteCard.h"

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
#include "MoxHeritageIllustration.h"
#include "MoxLabel.h"
#include "MoxScales.h"

namespace mox {

MoxLocalNoteCard::MoxLocalNoteCard(const QString& body, std::optional<QString> title,
                                   std::optional<QString> roots, bool heritage, QWidget* parent)
    : MoxCard(static_cast<int>(MoxSpacing::lg), false, parent) {
    const MoxBrandPack& brand = MoxBrandPack::current();
    auto* column = new QVBoxLayout(this);
    column->setSpacing(static_cast<int>(MoxSpacing::sm));
    if (heritage) {
        column->addWidget(new MoxHeritageIllustration, 0, Qt::AlignLeft);
    }
    column->addWidget(styledLabel(title.value_or(brand.originTitle),
                                  MoxFonts::font(MoxFontFamily::body, 12, QFont::Medium),
                                  MoxColors::textSecondary()));
    column->addWidget(styledLabel(body, MoxFonts::body14(), MoxColors::textPrimary(), true));
    rootsLine_ = styledLabel(roots.value_or(brand.rootsText), MoxFonts::script24(),
                             MoxColors::textPrimary());
    rootsLine_->setAccessibleName(QStringLiteral("MoxLocalNoteCard.rootsLine"));
    rootsLine_->setObjectName(QStringLiteral("MoxLocalNoteCard.rootsLine"));
    column->addWidget(rootsLine_);
}

}  // namespace mox
