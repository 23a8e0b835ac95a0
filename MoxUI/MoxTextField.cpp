#include "MoxTextField.h"

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

MoxTextField::MoxTextField(const QString& placeholder, std::optional<QString> label,
                           QWidget* parent)
    : QWidget(parent), field_(new QLineEdit), errorLabel_(nullptr) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(static_cast<int>(MoxSpacing::xs));
    if (label) {
        column->addWidget(styledLabel(*label,
                                      MoxFonts::font(MoxFontFamily::body, 12, QFont::Medium),
                                      MoxColors::textSecondary()));
    }
    field_->setPlaceholderText(placeholder);
    field_->setFont(MoxFonts::body14());
    column->addWidget(field_);
    errorLabel_ = styledLabel(QString(), MoxFonts::body12(), MoxColors::danger());
    errorLabel_->hide();
    column->addWidget(errorLabel_);
}

void MoxTextField::setError(std::optional<QString> error) {
    errorLabel_->setText(error.value_or(QString()));
    errorLabel_->setVisible(error.has_value());
}

}  // namespace mox
