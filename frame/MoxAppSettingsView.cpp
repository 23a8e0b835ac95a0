#include "MoxAppSettingsView.h"

#include <QVBoxLayout>

#include "MoxAboutView.h"
#include "MoxAppMenu.h"
#include "MoxDiagnosticsView.h"
#include "MoxStandardEditMenu.h"
#include "MoxSupportView.h"
#include "MoxSymbols.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "MoxUpdatesView.h"

namespace mox {

MoxAppSettingsView::MoxAppSettingsView(const MoxAppIdentity& identity, AnyMoxUpdateManager& updates,
                                       std::optional<MoxAppDiagnostics> diagnostics,
                                       QSet<MoxSettingsSection> sections,
                                       MoxAppOpeningURLs& urlOpener, MoxClipboardWriting& clipboard,
                                       QWidget* parent)
    : QTabWidget(parent) {
    setObjectName(QStringLiteral("MoxAppSettingsView"));
    setMinimumSize(MoxFonts::scaled(480), MoxFonts::scaled(360));
    setDocumentMode(true);
    if (sections.contains(MoxSettingsSection::updates)) {
        addTab(new MoxUpdatesView(identity, updates),
               symbolIcon(QStringLiteral("arrow.down.circle")), QStringLiteral("Updates"));
        order_ << MoxSettingsSection::updates;
    }
    if (sections.contains(MoxSettingsSection::support)) {
        support_ =
            new MoxSupportView(MoxSupportActions{identity, diagnostics, urlOpener, clipboard});
        addTab(support_, symbolIcon(QStringLiteral("lifepreserver")), QStringLiteral("Support"));
        order_ << MoxSettingsSection::support;
    }
    if (sections.contains(MoxSettingsSection::about)) {
        addTab(new MoxAboutView(identity, diagnostics, urlOpener),
               symbolIcon(QStringLiteral("info.circle")), QStringLiteral("About"));
        order_ << MoxSettingsSection::about;
    }
    if (sections.contains(MoxSettingsSection::diagnostics) && diagnostics) {
        diagnosticsView_ = new MoxDiagnosticsView(*diagnostics, clipboard);
        addTab(diagnosticsView_, symbolIcon(QStringLiteral("stethoscope")),
               QStringLiteral("Diagnostics"));
        order_ << MoxSettingsSection::diagnostics;
    }
}

bool MoxAppSettingsView::showSection(MoxSettingsSection section) {
    const qsizetype index = order_.indexOf(section);
    if (index < 0) {
        return false;
    }
    setCurrentIndex(static_cast<int>(index));
    return true;
}

void MoxAppSettingsView::setDiagnostics(const MoxAppDiagnostics& diagnostics) {
    if (support_ != nullptr) {
        support_->setDiagnostics(diagnostics);
    }
    if (diagnosticsView_ != nullptr) {
        diagnosticsView_->setDiagnostics(diagnostics);
    }
}

QStringList MoxAppSettingsView::tabLabels() const {
    QStringList labels;
    for (int i = 0; i < count(); ++i) {
        labels << tabText(i);
    }
    return labels;
}

QWidget* presentSettingsWindow(const MoxAppIdentity& identity, AnyMoxUpdateManager& updates,
                               std::function<std::optional<MoxAppDiagnostics>()> diagnostics,
                               std::weak_ptr<MoxCommandActions> actions, MoxSettingsSection section,
                               MoxSatelliteWindowPresenter& presenter) {
    MoxAppOpeningURLs& opener = sharedURLOpener();
    MoxClipboardWriting& clipboard = sharedClipboardWriter();
    const QString identifier = QStringLiteral("settings");
    if (QWidget* open = presenter.window(identifier)) {
        if (auto* view = static_cast<MoxAppSettingsView*>(
                open->findChild<QTabWidget*>(QStringLiteral("MoxAppSettingsView")))) {
            view->showSection(section);
        }
        return presenter.present(identifier, QString(), 0, 0, true, nullptr);
    }
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view =
        new MoxAppSettingsView(identity, updates, diagnostics ? diagnostics() : std::nullopt,
                               {MoxSettingsSection::updates, MoxSettingsSection::support,
                                MoxSettingsSection::about, MoxSettingsSection::diagnostics},
                               opener, clipboard);
    view->showSection(section);
    if (diagnostics) {
        QObject::connect(&updates, &AnyMoxUpdateManager::changed, view, [view, diagnostics] {
            if (const auto record = diagnostics()) {
                view->setDiagnostics(*record);
            }
        });
    }
    layout->addWidget(view);
    auto* menus = new MoxAppMenu(identity, &updates, std::move(actions), opener,
                                 {MoxAppMenuSection::about, MoxAppMenuSection::updates,
                                  MoxAppMenuSection::support, MoxAppMenuSection::diagnostics},
                                 content);
    MoxStandardEditMenu::attachMenuBar(content, {menus->applicationMenu(), menus->helpMenu()});
    return presenter.present(identifier, identity.productDisplayName + QStringLiteral(" Settings"),
                             560, 460, true, content);
}

}  // namespace mox
