#include "PermissionOnboardingWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "platform/AccessibilityTrust.h"

namespace tovra {

PermissionOnboardingWindow::PermissionOnboardingWindow(AccessibilityTrust& trust)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      trust_(trust) {
    setWindowTitle(QStringLiteral("Tovra Permissions"));
    setFixedSize(mox::MoxFonts::scaled(440), mox::MoxFonts::scaled(250));

    auto* title = mox::plainLabel(QStringLiteral("Keyboard access is needed"), this);
    QFont titleFont = title->font();
    titleFont.setPixelSize(mox::MoxFonts::scaled(18));
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);

    // On this desktop the permission is the session itself; a Wayland compositor says what
    // it lacks.
    const std::string explanation = trust.explanation();
    auto* body = mox::plainLabel(
        explanation.empty()
            ? QStringLiteral("Tovra needs an X11 session to catch global shortcuts and prepare "
                             "the next queued item before paste reaches the focused app. Queue "
                             "contents still stay RAM-only.")
            : QString::fromStdString(explanation),
        this);
    body->setWordWrap(true);
    QFont bodyFont = body->font();
    bodyFont.setPixelSize(mox::MoxFonts::scaled(13));
    body->setFont(bodyFont);
    QPalette secondary = body->palette();
    secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
    body->setPalette(secondary);

    auto* helpButton = new QPushButton(QStringLiteral("Open Help"), this);
    auto* retryButton = new QPushButton(QStringLiteral("Retry"), this);
    // Here the way to the fix is the help, which names what the session lacks.
    connect(helpButton, &QPushButton::clicked, this, &PermissionOnboardingWindow::openSettings);
    connect(retryButton, &QPushButton::clicked, this, &PermissionOnboardingWindow::retry);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addWidget(helpButton);
    buttons->addWidget(retryButton);
    buttons->addStretch();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 22, 24, 22);
    column->setSpacing(14);
    column->addWidget(title);
    column->addWidget(body);
    column->addStretch();
    column->addLayout(buttons);
}

void PermissionOnboardingWindow::show(std::function<void()> retry) {
    retryHandler_ = std::move(retry);
    if (!isVisible()) {
        if (const QScreen* screen = this->screen()) {
            move(screen->availableGeometry().center() - rect().center());
        }
    }
    QWidget::show();
    raise();
    activateWindow();
}

void PermissionOnboardingWindow::close() {
    QWidget::hide();
}

void PermissionOnboardingWindow::openSettings() {
    trust_.openSettings();
}

void PermissionOnboardingWindow::retry() {
    if (retryHandler_) {
        retryHandler_();
    }
}

}  // namespace tovra
