#pragma once

#include <QLabel>

namespace tovra::test {

/// True when `label` lays its text out as the characters it holds: a label that takes
/// "<b>x</b>" for markup shows a bold "x", narrower than the text itself.
inline bool showsLiterally(const QLabel& label) {
    return label.sizeHint().width() >= label.fontMetrics().horizontalAdvance(label.text());
}

}  // namespace tovra::test
