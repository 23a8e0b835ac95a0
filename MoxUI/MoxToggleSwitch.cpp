#include "MoxToggleSwitch.h"

#include <QPainter>

#include "MoxColors.h"
#include "MoxFonts.h"

namespace mox {

namespace {
constexpr int trackWidth = 36;
constexpr int trackHeight = 20;
constexpr int gap = 10;
}  // namespace

MoxToggleSwitch::MoxToggleSwitch(const QString& label, QWidget* parent) : QAbstractButton(parent) {
    setText(label);
    setCheckable(true);
    setFont(MoxFonts::body14());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QSize MoxToggleSwitch::sizeHint() const {
    const QFontMetrics metrics(font());
    if (text().isEmpty()) {
        return {trackWidth + 2, std::max(trackHeight, metrics.height()) + 4};  // a label beside
    }
    return {trackWidth + gap + metrics.horizontalAdvance(text()) + 4,
            std::max(trackHeight, metrics.height()) + 4};
}

void MoxToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track(1, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
    painter.setPen(hasFocus() ? QPen(MoxColors::accent(), 1.5) : QPen(MoxColors::line(), 1));
    painter.setBrush(isChecked() ? MoxColors::accent() : MoxColors::panel2());
    painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    const double knob = trackHeight - 6;
    const double x = isChecked() ? track.right() - knob - 3 : track.left() + 3;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? MoxColors::background() : MoxColors::textSecondary());
    painter.drawEllipse(QRectF(x, track.top() + 3, knob, knob));
    painter.setPen(isEnabled() ? MoxColors::textPrimary() : MoxColors::textTertiary());
    painter.drawText(rect().adjusted(trackWidth + gap, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     text());
}

}  // namespace mox
