#include "QtAlerts.h"

#include <QMessageBox>
#include <QPushButton>

#include "SeparatorDialog.h"

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
    SeparatorDialog dialog(QString::fromStdString(current));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.separator().toStdString();  // as typed: no trimming, empty allowed
}

void QtAlerts::showError(const std::string& message) {
    // The message may carry a file name, a server's reply or an application's name.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Tovra"),
                    QString::fromStdString(message));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace tovra
