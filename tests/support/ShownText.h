#pragma once

#include <QAbstractButton>
#include <QLabel>

namespace tovra::test {

/// True when `label` lays its text out as the characters it holds: a label that takes
/// "<b>x</b>" for markup shows a bold "x", narrower than the text itself.
inline bool showsLiterally(const QLabel& label) {
    return label.sizeHint().width() >= label.fontMetrics().horizontalAdvance(label.text());
}

/// The first shown label or button of `window` whose text does not fit the room it was given.
inline const QWidget* firstCutText(const QWidget& window) {
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(widget);
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        if (!widget->isVisibleTo(&window) || (label == nullptr && button == nullptr) ||
            (label != nullptr && label->text().isEmpty()) ||
            (button != nullptr && button->text().isEmpty())) {
            continue;
        }
        const bool wraps = label != nullptr && label->wordWrap();
        const int needed =
            wraps ? widget->heightForWidth(widget->width()) : widget->fontMetrics().height();
        const bool cut =
            widget->height() < needed ||
            (!wraps && widget->width() < widget->fontMetrics().horizontalAdvance(
                                             label != nullptr ? label->text() : button->text()));
        if (cut) {
            return widget;
        }
    }
    return nullptr;
}

}  // namespace tovra::test
