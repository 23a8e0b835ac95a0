#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

namespace mox {

/// A label that shows its text as it is. Qt would render a text that looks like markup as
/// markup, and labels show what users copied, application names and server replies.
inline QLabel* plainLabel(const QString& text = {}, QWidget* parent = nullptr) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

/// A label in a font and colour of the kit, showing its text as it is.
inline QLabel* styledLabel(const QString& text, const QFont& font, const QColor& color,
                           bool wordWrap = false) {
    auto* label = plainLabel(text);
    label->setFont(font);
    label->setWordWrap(wordWrap);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

}  // namespace mox
