#include "MoxSupportView.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <functional>

#include "MoxSymbols.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "MoxUI/MoxScales.h"

namespace mox {

namespace {

/// A 48-point row: symbol, label, chevron; the whole row is the button.
class SupportRow final : public QAbstractButton {
  public:
    SupportRow(const QString& symbol, const QString& label, QWidget* parent = nullptr)
        : QAbstractButton(parent), icon_(symbolIcon(symbol)) {
        setText(label);
        setObjectName(label);
        setFixedHeight(MoxFonts::scaled(48));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_Hover);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        // A row reads as a link: Enter follows it, as Space does.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (underMouse() || hasFocus()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(MoxColors::panel2());
            painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
        }
        const int inset = static_cast<int>(MoxSpacing::md);
        icon_.paint(&painter, QRect(inset, (height() - 20) / 2, 20, 20));
        painter.setPen(MoxColors::textPrimary());
        painter.setFont(MoxFonts::body14());
        painter.drawText(rect().adjusted(inset + 32, 0, -40, 0), Qt::AlignVCenter | Qt::AlignLeft,
                         text());
        painter.setPen(MoxColors::textTertiary());
        painter.drawText(rect().adjusted(0, 0, -inset, 0), Qt::AlignVCenter | Qt::AlignRight,
                         QStringLiteral("\u203A"));
    }

  private:
    QIcon icon_;
};

}  // namespace

MoxSupportView::MoxSupportView(MoxSupportActions actions, QWidget* parent)
    : QWidget(parent), actions_(std::move(actions)) {
    auto* column = new QVBoxLayout(this);
    const int padding = static_cast<int>(MoxSpacing::xl);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(static_cast<int>(MoxSpacing::xxs));
    auto* header =
        styledLabel(QStringLiteral("Need help?"), MoxFonts::display20(), MoxColors::textPrimary());
    column->addWidget(header);
    column->addSpacing(static_cast<int>(MoxSpacing::md));
    const auto& links = actions_.identity.links;
    struct Row {
        const char* symbol;
        const char* label;
        void (MoxSupportActions::*action)() const;
        bool present;
    };
    const Row rows[] = {
        {"lifepreserver", "Open Support", &MoxSupportActions::openSupport, true},
        {"book", "Open Documentation", &MoxSupportActions::openDocumentation,
         links.documentationURL.has_value()},
        {"globe", "Open Website", &MoxSupportActions::openWebsite, true},
        {"envelope", "Contact", &MoxSupportActions::contactSupport, true},
        // Shown once a record arrives, which may be after the window opened.
        {"doc.on.doc", "Copy Diagnostic Info", &MoxSupportActions::copyDiagnosticInfo, true},
        {"hand.raised", "Privacy Policy", &MoxSupportActions::openPrivacyPolicy,
         links.privacyURL.has_value()},
        {"doc.text", "Terms", &MoxSupportActions::openTerms, links.termsURL.has_value()},
    };
    for (const Row& row : rows) {
        if (!row.present) {
            continue;
        }
        auto* button =
            new SupportRow(QString::fromLatin1(row.symbol), QString::fromLatin1(row.label));
        connect(button, &QAbstractButton::clicked, this,
                [this, action = row.action] { (actions_.*action)(); });
        column->addWidget(button);
        if (row.action == &MoxSupportActions::copyDiagnosticInfo) {
            copyRow_ = button;
        }
    }
    column->addStretch();
    copyRow_->setVisible(actions_.diagnostics.has_value());
}

void MoxSupportView::setDiagnostics(std::optional<MoxAppDiagnostics> diagnostics) {
    actions_.diagnostics = std::move(diagnostics);
    copyRow_->setVisible(actions_.diagnostics.has_value());
}

QStringList MoxSupportView::rowLabels() const {
    QStringList labels;
    for (const auto* row : findChildren<QAbstractButton*>()) {
        if (row->isVisibleTo(this)) {
            labels << row->text();
        }
    }
    return labels;
}

bool MoxSupportView::activate(const QString& label) {
    auto* row = findChild<QAbstractButton*>(label);
    if (row == nullptr) {
        return false;
    }
    row->click();
    return true;
}

QWidget* presentSupportWindow(const MoxAppIdentity& identity,
                              std::optional<MoxAppDiagnostics> diagnostics,
                              MoxSatelliteWindowPresenter& presenter) {
    MoxAppOpeningURLs& opener = sharedURLOpener();
    MoxClipboardWriting& clipboard = sharedClipboardWriter();
    // No menu bar: its rows are the help, and it has nothing to edit.
    auto* view = new MoxSupportView(MoxSupportActions{identity, diagnostics, opener, clipboard});
    return presenter.present(QStringLiteral("support"), QStringLiteral("Support"), 540, 480, false,
                             view);
}

}  // namespace mox
