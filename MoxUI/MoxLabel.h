#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

namespace mox {

/// A wrapping label in a font and colour of the kit.
inline QLabel* styledLabel(const QString& text, const QFont& font, const QColor& color) {
    auto* label = new QLabel(text);
    label->setFont(font);
    label->setWordWrap(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

}  // namespace mox
