#include "MoxDiagnosticsView.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "MoxUI/MoxLabel.h"

namespace mox {

MoxDiagnosticsView::MoxDiagnosticsView(MoxAppDiagnostics diagnostics,
                                       MoxClipboardWriting& clipboard, QWidget* parent)
    : QWidget(parent), diagnostics_(std::move(diagnostics)), clipboard_(clipboard) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    auto* header = new QHBoxLayout;
    header->addWidget(plainLabel(QStringLiteral("Diagnostics")));
    header->addStretch();
    auto* copyButton = new QPushButton(QStringLiteral("Copy Diagnostic Info"));
    copyButton->setObjectName(QStringLiteral("copyDiagnostics"));
    connect(copyButton, &QPushButton::clicked, this, &MoxDiagnosticsView::copy);
    header->addWidget(copyButton);
    column->addLayout(header);
    text_ = new QPlainTextEdit(diagnostics_.formattedText());
    text_->setReadOnly(true);  // selectable, not editable
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addWidget(text_, 1);
}

void MoxDiagnosticsView::setDiagnostics(MoxAppDiagnostics diagnostics) {
    diagnostics_ = std::move(diagnostics);
    text_->setPlainText(diagnostics_.formattedText());
}

void MoxDiagnosticsView::copy() {
    clipboard_.write(diagnostics_.formattedText());
}

}  // namespace mox
