#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

namespace mox {

/// A label in a font and colour of the kit.
inline QLabel* styledLabel(const QString& text, const QFont& font, const QColor& color,
                           bool wordWrap = false) {
    auto* label = new QLabel(text);
    label->setFont(font);
    label->setWordWrap(wordWrap);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

}  // namespace mox
