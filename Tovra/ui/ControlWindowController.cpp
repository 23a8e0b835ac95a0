#include "ControlWindowController.h"

#include <QFile>
#include <QHBoxLayout>
#include <QMenu>
#include <QScreen>
#include <QVBoxLayout>

#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "PasteKeyHints.h"
#include "StatusGlyph.h"

namespace tovra {

namespace {
const QColor systemGreen(0x34, 0xC7, 0x59);
const QColor systemOrange(0xFF, 0x95, 0x00);

}  // namespace

ControlWindowController::ControlWindowController(ControlWindowControllerDelegate delegate)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint),
      delegate_(std::move(delegate)),
      statusLabel_(
          mox::styledLabel(QString(), mox::MoxFonts::body14(), mox::MoxColors::textPrimary())),
      statusDot_(new QWidget),
      toggleButton_(new mox::MoxButton(QStringLiteral("Disable Tovra"),
                                       mox::MoxButtonVariant::primary, mox::MoxButtonSize::lg)),
      clearButton_(new mox::MoxButton(QStringLiteral("Clear Queue"),
                                      mox::MoxButtonVariant::secondary, mox::MoxButtonSize::lg)),
      buttonsRow_(new QWidget) {
    setWindowTitle(QStringLiteral("Tovra"));
    setFixedSize(mox::MoxFonts::scaled(420), mox::MoxFonts::scaled(262));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, mox::MoxColors::panel());
    setPalette(palette);
    setAutoFillBackground(true);

    auto* icon = new QLabel;
    icon->setFixedSize(52, 52);
    // The application's own icon, drawn for the screen's pixel ratio.
    const qreal ratio = devicePixelRatioF();
    QImage artwork =
        StatusGlyph::applicationIcon(static_cast<int>(52 * ratio), mox::MoxColors::accent());
    artwork.setDevicePixelRatio(ratio);
    icon->setPixmap(QPixmap::fromImage(artwork));
    icon->setAccessibleName(QString());  // decorative
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(
        mox::styledLabel(QStringLiteral("Tovra"),
                         mox::MoxFonts::font(mox::MoxFontFamily::display, 24, QFont::DemiBold),
                         mox::MoxColors::textPrimary()));
    titles->addWidget(
        mox::styledLabel(QStringLiteral("Collect first. Flow later."),
                         mox::MoxFonts::font(mox::MoxFontFamily::body, 13, QFont::Normal),
                         mox::MoxColors::textSecondary()));
    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addWidget(icon);
    header->addLayout(titles);
    header->addStretch();

    statusDot_->setFixedSize(8, 8);
    statusLabel_->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 13, QFont::Normal));
    auto* status = new QWidget;
    status->setObjectName(QStringLiteral("status"));
    status->setStyleSheet(
        QStringLiteral("QWidget#status { background: rgba(24,26,29,158); border-radius: 9px; }"));
    auto* statusRow = new QHBoxLayout(status);
    statusRow->setContentsMargins(10, 7, 10, 7);
    statusRow->setSpacing(8);
    statusRow->addWidget(statusDot_);
    statusRow->addWidget(statusLabel_, 1);

    auto* buttons = new QHBoxLayout(buttonsRow_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(10);
    buttons->addWidget(toggleButton_);
    buttons->addWidget(clearButton_);
    buttons->addStretch();
    connect(toggleButton_, &QPushButton::clicked, this, [this] {
        if (delegate_.toggleStack) {
            delegate_.toggleStack();
        }
    });
    connect(clearButton_, &QPushButton::clicked, this, [this] {
        if (delegate_.clearQueue) {
            delegate_.clearQueue();
        }
    });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(26, 24, 26, 24);
    column->setSpacing(16);
    column->addLayout(header);
    column->addWidget(status);
    pasteKeys_ = mox::styledLabel(pasteKeysHint(), mox::MoxFonts::body12(),
                                  mox::MoxColors::textSecondary(), true);
    pasteKeys_->setObjectName(QStringLiteral("pasteKeys"));
    column->addWidget(pasteKeys_);
    unavailableLabel_ = mox::styledLabel(QString(), mox::MoxFonts::body12(), systemOrange, true);
    unavailableLabel_->setObjectName(QStringLiteral("unavailableShortcuts"));
    unavailableLabel_->hide();
    column->addWidget(unavailableLabel_);
    column->addWidget(buttonsRow_);
    update(false, 1, 0, false);
}

void ControlWindowController::showBurstShortcuts(const std::string& everywhere,
                                                 const std::string& inTerminals) {
    pasteKeys_->setText(
        pasteKeysHint(QString::fromStdString(everywhere), QString::fromStdString(inTerminals)));
}

void ControlWindowController::showUnavailableShortcuts(const std::vector<std::string>& names) {
    unavailableLabel_->setText(unavailableShortcutsText(names));
    unavailableLabel_->setVisible(!names.empty());
    setFixedSize(mox::MoxFonts::scaled(420), mox::MoxFonts::scaled(names.empty() ? 262 : 290));
}

void ControlWindowController::update(bool isActive, int stackNumber, std::size_t itemCount,
                                     bool shortcutCaptureAvailable) {
    if (!shortcutCaptureAvailable) {
        statusLabel_->setText(QStringLiteral("shortcuts unavailable"));
    } else if (isActive) {
        statusLabel_->setText(
            QStringLiteral("Tovra %1 \u00B7 %2 queued").arg(stackNumber).arg(itemCount));
    } else {
        statusLabel_->setText(QStringLiteral("paused"));
    }
    statusColor_ = !isActive ? mox::MoxColors::textTertiary()
                             : (shortcutCaptureAvailable ? systemGreen : systemOrange);
    statusDot_->setStyleSheet(
        QStringLiteral("background: %1; border-radius: 4px;").arg(statusColor_.name()));
    toggleButton_->setText(isActive ? QStringLiteral("Disable Tovra")
                                    : QStringLiteral("Enable Tovra"));
    clearButton_->setEnabled(itemCount > 0);
}

void ControlWindowController::present() {
    if (!isVisible()) {
        if (const QScreen* screen = this->screen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    show();
    raise();
    activateWindow();
}

void ControlWindowController::offerMenu(QMenu* menu) {
    auto* more = new mox::MoxButton(QStringLiteral("Menu"), mox::MoxButtonVariant::secondary,
                                    mox::MoxButtonSize::md);
    more->setObjectName(QStringLiteral("menu"));
    more->setMenu(menu);
    buttonsRow_->layout()->addWidget(more);
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (const QScreen* screen = this->screen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
}

}  // namespace tovra
