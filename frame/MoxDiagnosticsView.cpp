#include "MoxDiagnosticsView.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mox {

MoxDiagnosticsView::MoxDiagnosticsView(MoxAppDiagnostics diagnostics,
                                       MoxClipboardWriting& clipboard, QWidget* parent)
    : QWidget(parent), diagnostics_(std::move(diagnostics)), clipboard_(clipboard) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    auto* header = new QHBoxLayout;
    header->addWidget(new QLabel(QStringLiteral("Diagnostics")));
    header->addStretch();
    auto* copyButton = new QPushButton(QStringLiteral("Copy Diagnostic Info"));
    copyButton->setObjectName(QStringLiteral("copyDiagnostics"));
    connect(copyButton, &QPushButton::clicked, this, &MoxDiagnosticsView::copy);
    header->addWidget(copyButton);
    column->addLayout(header);
    auto* text = new QPlainTextEdit(diagnostics_.formattedText());
    text->setReadOnly(true);  // selectable, not editable
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    column->addWidget(text, 1);
}

void MoxDiagnosticsView::copy() {
    clipboard_.write(diagnostics_.formattedText());
}

}  // namespace mox
