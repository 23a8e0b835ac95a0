#include "MoxSectionHeader.h"

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

MoxSectionHeader::MoxSectionHeader(const QString& text, std::optional<QString> actionLabel,
                                   std::function<void()> action, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(styledLabel(text, MoxFonts::font(MoxFontFamily::body, 12, QFont::Medium),
                               MoxColors::textSecondary()));
    row->addStretch();
    if (actionLabel && action) {
        auto* button = new MoxButton(*actionLabel, MoxButtonVariant::ghost, MoxButtonSize::sm);
        connect(button, &QPushButton::clicked, this, [action] { action(); });
        row->addWidget(button);
    }
}

}  // namespace mox
