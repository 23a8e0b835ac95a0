#include "MoxListRow.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "MoxBrandPack.h"
#include "MoxButton.h"
#include "MoxColors.h"
#include "MoxFonts.h"
#include "MoxLabel.h"
#include "MoxScales.h"

namespace mox {

MoxListRow::MoxListRow(int height, bool separator, QWidget* parent)
    : QWidget(parent), separator_(separator) {
    setMinimumHeight(height);
}

void MoxListRow::paintEvent(QPaintEvent*) {
    if (!separator_) {
        return;
    }
    QPainter painter(this);
    painter.fillRect(QRectF(0, height() - MoxRadius::hairline, width(), MoxRadius::hairline),
                     MoxColors::line());
}

}  // namespace mox
