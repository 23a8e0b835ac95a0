#include "QtAlerts.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace tovra {

bool QtAlerts::confirmClearQueue() {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tovra"), QStringLiteral("Clear queue?"));
    box.setInformativeText(QStringLiteral("This removes every item waiting in Tovra."));
    QPushButton* clear = box.addButton(QStringLiteral("Clear queue"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(clear);
    box.exec();
    return box.clickedButton() == clear;
}

std::optional<std::string> QtAlerts::askCustomSeparator(const std::string& current) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tovra"),
                    QStringLiteral("Custom Burst Separator"));
    box.setInformativeText(QStringLiteral(
        "Enter the separator Tovra should use when burst pasting the current queue."));
    auto* field = new QLineEdit(QString::fromStdString(current), &box);
    field->setFixedSize(260, 24);
    // Under the texts, spanning the message box's columns.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addWidget(field, 1, 1, 1, grid->columnCount() - 1);
    }
    QPushButton* use = box.addButton(QStringLiteral("Use Separator"), QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(use);
    box.exec();
    if (box.clickedButton() != use) {
        return std::nullopt;
    }
    return field->text().toStdString();  // as typed: no trimming, empty allowed
}

void QtAlerts::showError(const std::string& message) {
    // The message may carry a file name, a server's reply or an application's name.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tovra"),
                    QString::fromStdString(message));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace tovra
