#include "MoxAboutView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "MoxStandardEditMenu.h"
#include "MoxUI/MoxBrandPack.h"
#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxLocalNoteCard.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "MoxUI/MoxScales.h"

namespace mox {

namespace {

QPixmap roundedIcon(const QImage& image, int size) {
    QPixmap result(size, size);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(0, 0, size, size), size * 0.22, size * 0.22);
    painter.setClipPath(clip);
    painter.drawImage(QRect(0, 0, size, size), image);
    return result;
}

}  // namespace

std::optional<QString> MoxAboutView::versionLine(const std::optional<QString>& version,
                                                 const std::optional<QString>& build) {
    if (version && build) {
        return QStringLiteral("Version %1 (Build %2)").arg(*version, *build);
    }
    if (version) {
        return QStringLiteral("Version ") + *version;
    }
    if (build) {
        return QStringLiteral("Build ") + *build;
    }
    return std::nullopt;
}

MoxAboutView::MoxAboutView(const MoxAppIdentity& identity,
                           std::optional<MoxAppDiagnostics> diagnostics,
                           MoxAppOpeningURLs& urlOpener, const MoxBundle& bundle, QWidget* parent)
    : QScrollArea(parent) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(content);
    const int padding = static_cast<int>(MoxSpacing::xl);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(static_cast<int>(MoxSpacing::sm));

    if (identity.branding.iconName) {
        const QImage image = bundle.image(*identity.branding.iconName);
        if (!image.isNull()) {
            auto* icon = new QLabel;
            icon->setObjectName(QStringLiteral("MoxAboutView.icon"));
            icon->setPixmap(roundedIcon(image, 64));
            icon->setFixedSize(64, 64);
            column->addWidget(icon, 0, Qt::AlignHCenter);
        }
    }
    auto* name =
        styledLabel(identity.productDisplayName, MoxFonts::display28(), MoxColors::textPrimary());
    column->addWidget(name, 0, Qt::AlignHCenter);
    column->addWidget(styledLabel(QStringLiteral("Made by ") + identity.branding.companyDisplayName,
                                  MoxFonts::body14(), MoxColors::textSecondary()),
                      0, Qt::AlignHCenter);

    const std::optional<QString> version =
        diagnostics ? diagnostics->appVersion : bundle.shortVersion();
    const std::optional<QString> build =
        diagnostics ? diagnostics->buildNumber : bundle.buildVersion();
    if (const auto line = versionLine(version, build)) {
        auto* label = styledLabel(*line, MoxFonts::body12(), MoxColors::textTertiary());
        label->setObjectName(QStringLiteral("MoxAboutView.version"));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(label, 0, Qt::AlignHCenter);
    }

    auto* links = new QHBoxLayout;
    links->addStretch();
    auto addLink = [&](const QString& title, const QUrl& url) {
        auto* button = new MoxButton(title, MoxButtonVariant::ghost, MoxButtonSize::sm);
        button->setObjectName(QStringLiteral("MoxAboutView.link"));
        connect(button, &QPushButton::clicked, this, [&urlOpener, url] { urlOpener.open(url); });
        links->addWidget(button);
    };
    addLink(QStringLiteral("Website"), identity.links.websiteURL);
    if (identity.links.privacyURL) {
        addLink(QStringLiteral("Privacy Policy"), *identity.links.privacyURL);
    }
    if (identity.links.termsURL) {
        addLink(QStringLiteral("Terms"), *identity.links.termsURL);
    }
    links->addStretch();
    column->addSpacing(static_cast<int>(MoxSpacing::sm));
    column->addLayout(links);

    const MoxBrandPack& brand = MoxBrandPack::current();
    if (brand.originText) {
        column->addSpacing(static_cast<int>(MoxSpacing::md));
        auto* note =
            new MoxLocalNoteCard(*brand.originText, brand.originTitle, brand.rootsText, true);
        note->setObjectName(QStringLiteral("MoxAboutView.localNote"));
        note->setAccessibleName(brand.originTitle);
        column->addWidget(note);
    }
    column->addStretch();
    setWidget(content);
    viewport()->setAutoFillBackground(false);
}

QString MoxAboutView::shownVersionLine() const {
    const auto* label = findChild<QLabel*>(QStringLiteral("MoxAboutView.version"));
    return label != nullptr ? label->text() : QString();
}

QStringList MoxAboutView::linkTitles() const {
    QStringList titles;
    for (const auto* button : findChildren<QPushButton*>(QStringLiteral("MoxAboutView.link"))) {
        titles << button->text();
    }
    return titles;
}

QWidget* presentAboutWindow(const MoxAppIdentity& identity,
                            std::optional<MoxAppDiagnostics> diagnostics,
                            MoxSatelliteWindowPresenter& presenter) {
    MoxAppOpeningURLs& opener = sharedURLOpener();
    auto* view = new MoxAboutView(identity, std::move(diagnostics), opener);
    return presenter.present(QStringLiteral("about-app"),
                             QStringLiteral("About ") + identity.productDisplayName, 480, 540,
                             false, view);
}

}  // namespace mox
