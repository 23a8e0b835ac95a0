#include "MoxHeritageIllustration.h"

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

MoxHeritageIllustration::MoxHeritageIllustration(std::optional<QSize> size, QWidget* parent)
    : QLabel(parent) {
    const QSize target = size.value_or(QSize(96, 96));
    setFixedSize(target);
    const MoxBrandPack& brand = MoxBrandPack::current();
    if (brand.heritageIllustration) {
        setPixmap(QPixmap::fromImage(brand.heritageIllustration->scaled(target, Qt::KeepAspectRatio,
                                                                        Qt::SmoothTransformation)));
        return;
    }
    QPixmap drawn(target);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(MoxColors::accentSecondary(), 2));
    painter.drawEllipse(QRectF(drawn.rect()).adjusted(8, 8, -8, -8));
    painter.end();
    setPixmap(drawn);
}

}  // namespace mox
