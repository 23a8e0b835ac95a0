#include "MoxElidedLabel.h"

#include <QEvent>

namespace mox {

MoxElidedLabel::MoxElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void MoxElidedLabel::setFullText(const QString& text) {
    if (text == full_ && !QLabel::text().isEmpty()) {
        return;
    }
    full_ = text;
    elide();
}

QSize MoxElidedLabel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

void MoxElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void MoxElidedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        elide();
    }
}

void MoxElidedLabel::elide() {
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(width(), 1));
    if (shown != text()) {
        setText(shown);
    }
}

}  // namespace mox
