#include "MoxSparkleViews.h"

#include <QFormLayout>
#include <QPainter>
#include <QPushButton>

#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxDateFormatter.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"

namespace mox {

namespace {

/// The module's two texts for a state, in one table: the settings form's and the badge's.
struct KindWording {
    QString status;
    QString badge;
};

KindWording wordingOf(MoxSparkleState::Kind kind) {
    using Kind = MoxSparkleState::Kind;
    switch (kind) {
        case Kind::updateAvailable:
            return {QStringLiteral("Update available"), QStringLiteral("Update available")};
        case Kind::downloading:
            return {QStringLiteral("Downloading\u2026"), QStringLiteral("Downloading\u2026")};
        case Kind::readyToInstall:
            return {QStringLiteral("Ready to install"), QStringLiteral("Ready to install")};
        case Kind::failed:
            return {QStringLiteral("Update failed"), QStringLiteral("Update failed")};
        case Kind::idle:
            return {QStringLiteral("Idle"), QStringLiteral("Updates")};
        case Kind::checking:
            return {QStringLiteral("Checking\u2026"), QStringLiteral("Checking\u2026")};
        case Kind::noUpdateAvailable:
            return {QStringLiteral("Up to date"), QStringLiteral("Up to date")};
        case Kind::installing:
            return {QStringLiteral("Installing\u2026"), QStringLiteral("Installing\u2026")};
    }
    return {};
}

}  // namespace

QString statusText(const MoxSparkleState& state) {
    using Kind = MoxSparkleState::Kind;
    const QString plain = wordingOf(state.kind).status;
    if (state.kind == Kind::updateAvailable && state.version) {
        return QStringLiteral("%1 (%2)").arg(plain, *state.version);
    }
    if (state.kind == Kind::failed && state.error) {
        const QString description = state.error->errorDescription();
        return description.isEmpty() ? plain : description;
    }
    return plain;
}

QString badgeText(const MoxSparkleState& state) {
    return wordingOf(state.kind).badge;
}

MoxSparkleMenu::MoxSparkleMenu(MoxSparkleManager& manager, QObject* parent)
    : QAction(QStringLiteral("Check for Updates\u2026"), parent), manager_(manager) {
    connect(this, &QAction::triggered, &manager_, &MoxSparkleManager::checkForUpdates);
    connect(&manager_, &MoxSparkleManager::changed, this, &MoxSparkleMenu::sync);
    sync();
}

void MoxSparkleMenu::sync() {
    setEnabled(manager_.canCheckForUpdates());
}

namespace {
QString onOff(bool on) {
    return on ? QStringLiteral("On") : QStringLiteral("Off");
}
}  // namespace

MoxSparkleSettingsView::MoxSparkleSettingsView(MoxSparkleManager& manager, QWidget* parent)
    : QWidget(parent), manager_(manager) {
    setMinimumWidth(380);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(20, 20, 20, 20);
    auto* header = plainLabel(QStringLiteral("Updates"));
    header->setFont(MoxFonts::display20());
    form->addRow(header);
    auto row = [&](const QString& label, const QString& value) {
        auto* field = plainLabel(value);
        field->setObjectName(label);
        form->addRow(label, field);
        return field;
    };
    const MoxBundle& bundle = manager_.bundle();
    row(QStringLiteral("Product"), manager_.config().product.displayName);
    row(QStringLiteral("Version"), bundle.shortVersion().value_or(QStringLiteral("\u2014")));
    row(QStringLiteral("Build"), bundle.buildVersion().value_or(QStringLiteral("\u2014")));
    lastChecked_ = row(QStringLiteral("Last checked"), QString());
    status_ = row(QStringLiteral("Status"), QString());
    row(QStringLiteral("Automatic checks"), onOff(manager_.config().automaticallyChecksForUpdates));
    row(QStringLiteral("Automatic downloads"),
        onOff(manager_.config().automaticallyDownloadsUpdates));
    auto* button = new QPushButton(QStringLiteral("Check for Updates\u2026"));
    connect(button, &QPushButton::clicked, &manager_, &MoxSparkleManager::checkForUpdates);
    form->addRow(button);
    checkButton_ = button;
    connect(&manager_, &MoxSparkleManager::changed, this, &MoxSparkleSettingsView::sync);
    sync();
}

void MoxSparkleSettingsView::sync() {
    const auto& date = manager_.lastCheckDate();
    lastChecked_->setText(date ? MoxDateFormatter::shared().string(*date)
                               : QStringLiteral("Never"));
    status_->setText(statusText(manager_.state()));
    checkButton_->setEnabled(manager_.canCheckForUpdates());
}

QString MoxSparkleSettingsView::value(const QString& row) const {
    const auto* field = findChild<QLabel*>(row);
    return field != nullptr ? field->text() : QString();
}

MoxSparkleUpdateBadge::MoxSparkleUpdateBadge(MoxSparkleManager& manager, QWidget* parent)
    : QLabel(parent), manager_(manager) {
    setTextFormat(Qt::PlainText);  // it shows a version from the feed
    setFont(MoxFonts::body12());
    setContentsMargins(8, 3, 8, 3);
    setText(badgeText(manager_.state()));
    connect(&manager_, &MoxSparkleManager::changed, this,
            [this] { setText(badgeText(manager_.state())); });
}

void MoxSparkleUpdateBadge::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = MoxColors::textSecondary();
    fill.setAlphaF(0.12F);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
    painter.end();
    QLabel::paintEvent(event);
}

}  // namespace mox
