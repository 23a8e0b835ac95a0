#include "SeparatorDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tovra {

SeparatorDialog::SeparatorDialog(const QString& current, QWidget* parent)
    : QDialog(parent), field_(new QLineEdit(current, this)) {
    setWindowTitle(QStringLiteral("Tovra"));
    auto* title = new QLabel(QStringLiteral("Custom Burst Separator"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* explanation = new QLabel(
        QStringLiteral(
            "Enter the separator Tovra should use when burst pasting the current queue."),
        this);
    explanation->setWordWrap(true);
    field_->setMinimumWidth(260);
    auto* buttons = new QDialogButtonBox(this);
    use_ = buttons->addButton(QStringLiteral("Use Separator"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    use_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* column = new QVBoxLayout(this);
    column->addWidget(title);
    column->addWidget(explanation);
    column->addWidget(field_);
    column->addWidget(buttons);
    field_->setFocus();
}

}  // namespace tovra
