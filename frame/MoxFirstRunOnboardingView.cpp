#include "MoxFirstRunOnboardingView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "MoxLaunchAtLoginToggle.h"
#include "MoxSymbols.h"
#include "MoxUI/MoxBrandPack.h"
#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxScales.h"
#include "MoxUI/MoxToggleSwitch.h"

namespace mox {

using Kind = MoxFirstRunOnboarding::Kind;

MoxFirstRunOnboardingView::LaunchAtLogin MoxFirstRunOnboardingView::LaunchAtLogin::system() {
    return {[] { return MoxLaunchAtLoginToggle::isEnabled(); },
            [](bool on) { MoxLaunchAtLoginToggle::setEnabled(on); }};
}

QString MoxFirstRunOnboardingView::title(Kind kind, const QString& brandName) {
    switch (kind) {
        case Kind::menubar:
            return brandName + QStringLiteral(" lives in your system tray.");
        case Kind::trayless:
            return brandName + QStringLiteral(" keeps a small window open.");
        case Kind::windowed:
            break;
    }
    return QStringLiteral("Welcome to ") + brandName + QLatin1Char('.');
}

std::optional<QString> MoxFirstRunOnboardingView::subtitle(Kind kind, bool hasHighlights,
                                                           const QString& brandName) {
    if (kind == Kind::menubar) {
        return QStringLiteral("Click its icon in your panel's system tray any time. ") + brandName +
               QStringLiteral(" stays out of your taskbar and waits quietly until you need it.");
    }
    if (kind == Kind::trayless) {
        // A desktop without a tray (stock GNOME, a bare window manager).
        return QStringLiteral("This desktop shows no system tray, so ") + brandName +
               QStringLiteral("'s own small window holds its switch and its menu. ") + brandName +
               QStringLiteral(" waits quietly until you need it.");
    }
    if (!hasHighlights) {
        return QStringLiteral(
            "Take a moment to get oriented. You can return here any time from the Help menu.");
    }
    return std::nullopt;
}

MoxFirstRunOnboardingView::MoxFirstRunOnboardingView(MoxFirstRunOnboarding config,
                                                     std::function<void()> onDismiss,
                                                     LaunchAtLogin launchAtLogin, QWidget* parent)
    : QWidget(parent),
      config_(std::move(config)),
      onDismiss_(std::move(onDismiss)),
      launchAtLogin_(std::move(launchAtLogin)) {
    const QString brand = MoxBrandPack::current().displayName;
    auto* column = new QVBoxLayout(this);
    const int padding = static_cast<int>(MoxSpacing::xxl);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(static_cast<int>(MoxSpacing::md));

    auto* header = styledLabel(title(config_.kind, brand), MoxFonts::display20(),
                               MoxColors::textPrimary(), true);
    header->setObjectName(QStringLiteral("title"));
    column->addWidget(header);
    if (const auto text = subtitle(config_.kind, !config_.highlights.empty(), brand)) {
        auto* label = styledLabel(*text, MoxFonts::body14(), MoxColors::textSecondary(), true);
        label->setObjectName(QStringLiteral("subtitle"));
        column->addWidget(label);
    }
    for (const auto& highlight : config_.highlights) {
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        auto* icon = new QLabel;
        icon->setFixedSize(20, 20);
        icon->setPixmap(symbolIcon(highlight.icon).pixmap(20, 20));
        icon->setAccessibleName(QString());  // decorative
        row->addWidget(icon, 0, Qt::AlignTop);
        auto* text = new QVBoxLayout;
        text->addWidget(styledLabel(highlight.title,
                                    MoxFonts::font(MoxFontFamily::body, 14, QFont::DemiBold),
                                    MoxColors::textPrimary()));
        text->addWidget(
            styledLabel(highlight.body, MoxFonts::body12(), MoxColors::textSecondary(), true));
        row->addLayout(text, 1);
        column->addLayout(row);
    }
    if (MoxFirstRunOnboarding::livesInBackground(config_.kind)) {
        column->addSpacing(static_cast<int>(MoxSpacing::md));
        switch_ =
            new MoxToggleSwitch(QStringLiteral("Open ") + brand + QStringLiteral(" at login"));
        switch_->setObjectName(QStringLiteral("launchAtLogin"));
        switch_->setChecked(launchAtLogin_.isEnabled && launchAtLogin_.isEnabled());
        connect(switch_, &QAbstractButton::toggled, this, &MoxFirstRunOnboardingView::flip);
        column->addWidget(switch_);
        // Said by what the desktop has: a tray icon, or the small window where there is none.
        column->addWidget(styledLabel(
            config_.kind == MoxFirstRunOnboarding::Kind::trayless
                ? QStringLiteral("Recommended \u2014 ") + brand +
                      QStringLiteral(" is ready after every restart.")
                : QStringLiteral("Recommended \u2014 keeps the tray icon ready after every "
                                 "restart."),
            MoxFonts::body12(), MoxColors::textSecondary(), true));
        errorLabel_ = styledLabel(QString(), MoxFonts::body12(), MoxColors::danger(), true);
        errorLabel_->setObjectName(QStringLiteral("launchAtLoginError"));
        errorLabel_->hide();
        column->addWidget(errorLabel_);
    }

    column->addStretch();
    auto* footer = new QHBoxLayout;
    footer->addStretch();
    if (config_.onPrimaryAction) {
        auto* done =
            new MoxButton(QStringLiteral("Done"), MoxButtonVariant::secondary, MoxButtonSize::md);
        done->setObjectName(QStringLiteral("done"));
        connect(done, &QPushButton::clicked, this, [this] { onDismiss_(); });
        footer->addWidget(done);
    }
    auto* primary =
        new MoxButton(config_.primaryActionLabel, MoxButtonVariant::primary, MoxButtonSize::md);
    primary->setObjectName(QStringLiteral("primary"));
    primary->setDefault(true);
    connect(primary, &QPushButton::clicked, this, [this] {
        // Dismissing may close this window: keep what is needed first.
        const auto action = config_.onPrimaryAction;
        const auto dismiss = onDismiss_;
        if (action) {
            action();
        }
        dismiss();
    });
    footer->addWidget(primary);
    column->addLayout(footer);
}

void MoxFirstRunOnboardingView::flip(bool on) {
    try {
        if (launchAtLogin_.setEnabled) {
            launchAtLogin_.setEnabled(on);
        }
        launchAtLoginError_.reset();
    } catch (const std::exception&) {
        // The switch keeps the user's choice; the message says where to fix it.
        launchAtLoginError_ =
            QStringLiteral(
                "Couldn't change login setting \u2014 check that ~/.config/autostart "
                "can be written, or add %1 to your desktop's startup applications.")
                .arg(MoxBrandPack::current().displayName);
    }
    errorLabel_->setText(launchAtLoginError_.value_or(QString()));
    errorLabel_->setVisible(launchAtLoginError_.has_value());
}

}  // namespace mox
