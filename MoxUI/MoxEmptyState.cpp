#include "MoxEmptyState.h"

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

MoxEmptyState::MoxEmptyState(const QString& title, std::optional<QString> body,
                             std::optional<QIcon> symbol,
                             std::optional<std::pair<QString, std::function<void()>>> action,
                             QWidget* parent)
    : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setSpacing(static_cast<int>(MoxSpacing::sm));
    column->addStretch();
    if (symbol) {
        auto* icon = new QLabel;
        icon->setPixmap(symbol->pixmap(QSize(32, 32), devicePixelRatioF()));
        icon->setAlignment(Qt::AlignCenter);
        column->addWidget(icon);
    }
    auto* heading = styledLabel(title, MoxFonts::display20(), MoxColors::textPrimary());
    heading->setAlignment(Qt::AlignCenter);
    column->addWidget(heading);
    if (body) {
        auto* text = styledLabel(*body, MoxFonts::body14(), MoxColors::textSecondary(), true);
        text->setAlignment(Qt::AlignCenter);
        column->addWidget(text);
    }
    if (action) {
        auto* button = new MoxButton(action->first, MoxButtonVariant::primary, MoxButtonSize::md);
        connect(button, &QPushButton::clicked, this, [run = action->second] { run(); });
        column->addWidget(button, 0, Qt::AlignCenter);
    }
    column->addStretch();
}

}  // namespace mox
