#include "MoxSearchField.h"

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

MoxSearchField::MoxSearchField(const QString& placeholder, QWidget* parent) : QLineEdit(parent) {
    setPlaceholderText(placeholder);
    setFont(MoxFonts::body14());
    addAction(QIcon::fromTheme(QStringLiteral("edit-find")), QLineEdit::LeadingPosition);
    setClearButtonEnabled(true);  // the clear button shows once there is text
}

}  // namespace mox
