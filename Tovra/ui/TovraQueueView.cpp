#include "TovraQueueView.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxCard.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "Tovra/core/PrivacyMasking.h"
#include "Tovra/core/UnicodeText.h"

namespace tovra {

namespace {

const QString panelIdentifier = QStringLiteral("tovra.queue");

QString displayText(const std::string& preview, PrivacyMode mode) {
    const std::string masked = maskedText(preview, mode);
    return QString::fromStdString(std::string(unicode::trimmed(masked)));
}

QString rawTitle(std::string_view raw) {
    return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
}

/// A list row that shows its paste button only while the pointer is over it.
class HoverRow final : public QFrame {
  public:
    HoverRow(QWidget* hoverOnly, bool isLast) : hoverOnly_(hoverOnly), isLast_(isLast) {
        setMinimumHeight(54);
        hoverOnly_->setVisible(false);
    }

  protected:
    void enterEvent(QEnterEvent*) override { setHovered(true); }
    void leaveEvent(QEvent*) override { setHovered(false); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (hovered_) {
            painter.fillRect(rect(), mox::MoxColors::highlight());
        }
        if (!isLast_) {
            painter.fillRect(QRectF(0, height() - 1, width(), 1), mox::MoxColors::line());
        }
    }

  private:
    void setHovered(bool hovered) {
        hovered_ = hovered;
        hoverOnly_->setVisible(hovered);
        if (hovered && selectable_ != nullptr) {
            // Selecting needs a text control per label, costly for 50 rows: made on first hover,
            // before the pointer can start a selection.
            selectable_->setTextInteractionFlags(Qt::TextSelectableByMouse);
            selectable_ = nullptr;
        }
        update();
    }

  public:
    void setSelectableOnHover(QLabel* label) { selectable_ = label; }

  private:
    QLabel* selectable_ = nullptr;
    QWidget* hoverOnly_;
    bool isLast_;
    bool hovered_ = false;
};

}  // namespace

// ---- Coordinator ---------------------------------------------------------------------------

TovraQueueView* TovraQueueCoordinator::view() const {
    QWidget* window = mox::MoxSatelliteWindowPresenter::shared().window(panelIdentifier);
    return window != nullptr ? window->findChild<TovraQueueView*>() : nullptr;
}

void TovraQueueCoordinator::reload() {
    ++revision_;
    if (TovraQueueView* open = view()) {
        // Later: the change may come from a click on a button this render replaces.
        QMetaObject::invokeMethod(
            open, [open] { open->render(); }, Qt::QueuedConnection);
    }
}

void TovraQueueCoordinator::open() {
    if (model_ == nullptr) {
        return;
    }
    mox::MoxSatelliteWindowPresenter::shared().present(panelIdentifier, QStringLiteral("Tovra"),
                                                       720, 568, true, new TovraQueueView(*this));
}

void TovraQueueCoordinator::close() {
    if (QWidget* window = mox::MoxSatelliteWindowPresenter::shared().window(panelIdentifier)) {
        window->close();
    }
}

// ---- View ----------------------------------------------------------------------------------

TovraQueueView::TovraQueueView(TovraQueueCoordinator& coordinator)
    : coordinator_(coordinator), layout_(new QVBoxLayout(this)) {
    setMinimumSize(640, 520);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    render();
}

QString TovraQueueView::modeLabel(QueueMode selected, QueueMode effective) {
    if (selected == QueueMode::smart) {
        return QStringLiteral("Smart \u00B7 ") + rawTitle(rawValue(effective));
    }
    return rawTitle(rawValue(effective));
}

QString TovraQueueView::countLabel(std::size_t count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("item")
                                                             : QStringLiteral("items"));
}

void TovraQueueView::render() {
    while (QLayoutItem* child = layout_->takeAt(0)) {
        delete child->widget();
        delete child->layout();
        delete child;
    }
    const QueuePanelModel& model = coordinator_.model();
    const auto items = model.panelItems();
    const PrivacyMode privacy = model.privacyMode();
    const int active = model.activeStackIndex();

    auto* header = new QWidget;
    header->setFixedHeight(62);
    auto* headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(24, 0, 24, 0);
    headerRow->setSpacing(12);
    auto* stackMenu = new QToolButton;
    stackMenu->setText(QStringLiteral("Stack %1 \u2195").arg(active + 1));
    stackMenu->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 14, QFont::DemiBold));
    stackMenu->setAccessibleName(QStringLiteral("Active stack, Stack %1").arg(active + 1));
    stackMenu->setPopupMode(QToolButton::InstantPopup);
    stackMenu->setAutoRaise(true);
    QPalette light = stackMenu->palette();
    light.setColor(QPalette::ButtonText, mox::MoxColors::textPrimary());
    stackMenu->setPalette(light);
    auto* stacks = new QMenu(stackMenu);
    for (int i = 0; i < model.availableStackCount(); ++i) {
        QAction* entry = stacks->addAction(QStringLiteral("Stack %1").arg(i + 1));
        entry->setCheckable(true);
        entry->setChecked(i == active);
        connect(entry, &QAction::triggered, this,
                [this, i] { coordinator_.model().selectStackFromMenu(i); });
    }
    stackMenu->setMenu(stacks);
    headerRow->addWidget(stackMenu);
    headerRow->addWidget(
        mox::styledLabel(modeLabel(model.panelSelectedMode(), model.panelQueueMode()),
                         mox::MoxFonts::font(mox::MoxFontFamily::body, 14, QFont::Medium),
                         mox::MoxColors::textPrimary()));
    headerRow->addStretch();
    headerRow->addWidget(mox::styledLabel(countLabel(items.size()), mox::MoxFonts::body12(),
                                          mox::MoxColors::textSecondary()));
    layout_->addWidget(header);
    auto* divider = new QFrame;
    divider->setFixedHeight(1);
    divider->setStyleSheet(QStringLiteral("background: %1;").arg(mox::MoxColors::line().name()));
    layout_->addWidget(divider);

    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    if (items.empty()) {
        column->addStretch();
        auto* title = mox::styledLabel(QStringLiteral("Nothing waiting."),
                                       mox::MoxFonts::display20(), mox::MoxColors::textPrimary());
        title->setAlignment(Qt::AlignCenter);
        auto* message = mox::styledLabel(QStringLiteral("Copy something to add it to the queue."),
                                         mox::MoxFonts::body14(), mox::MoxColors::textSecondary());
        message->setAlignment(Qt::AlignCenter);
        column->addWidget(title);
        column->addWidget(message);
        column->addStretch();
    } else {
        column->addWidget(mox::styledLabel(QStringLiteral("Next to paste"),
                                           mox::MoxFonts::display12(),
                                           mox::MoxColors::textSecondary()));
        column->addWidget(nextCard(items.front(), privacy));
        if (items.size() > 1) {
            column->addWidget(mox::styledLabel(QStringLiteral("Up next"),
                                               mox::MoxFonts::display12(),
                                               mox::MoxColors::textSecondary()));
            auto* list = new QWidget;
            QPalette card = list->palette();
            card.setColor(QPalette::Window, mox::MoxColors::panel2());
            list->setPalette(card);
            list->setAutoFillBackground(true);
            auto* rows = new QVBoxLayout(list);
            rows->setContentsMargins(0, 0, 0, 0);
            rows->setSpacing(0);
            for (std::size_t i = 1; i < items.size(); ++i) {
                rows->addWidget(
                    upcomingRow(items[i], static_cast<int>(i) + 1, i + 1 == items.size(), privacy));
            }
            rows->addStretch();
            auto* scroll = new QScrollArea;
            scroll->setWidget(list);
            scroll->setWidgetResizable(true);
            scroll->setFrameShape(QFrame::NoFrame);
            // A card around the list rather than a style sheet: sheets slow every child down.
            auto* frame = new mox::MoxCard(1);
            frame->setFixedHeight(216);
            auto* inside = new QVBoxLayout(frame);
            inside->setContentsMargins(1, 1, 1, 1);
            inside->addWidget(scroll);
            column->addWidget(frame);
        }
        column->addStretch();
    }
    column->addWidget(footer());
    layout_->addWidget(body, 1);
}

QWidget* TovraQueueView::nextCard(const PanelItem& item, PrivacyMode mode) {
    auto* card = new mox::MoxCard(0);
    card->setMinimumHeight(90);
    auto* row = new QHBoxLayout(card);
    row->setContentsMargins(24, 12, 24, 12);
    row->setSpacing(16);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    auto* text = mox::styledLabel(displayText(item.previewText, mode),
                                  mox::MoxFonts::font(mox::MoxFontFamily::body, 16, QFont::Medium),
                                  mox::MoxColors::textPrimary());
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    texts->addWidget(text);
    texts->addWidget(mox::styledLabel(QString::fromStdString(item.kind), mox::MoxFonts::body12(),
                                      mox::MoxColors::textSecondary()));
    row->addLayout(texts, 1);
    auto* paste = new mox::MoxButton(QStringLiteral("Ctrl+V  Paste"),
                                     mox::MoxButtonVariant::primary, mox::MoxButtonSize::md);
    paste->setAccessibleName(QStringLiteral("Paste next queue item"));
    const Uuid id = item.id;
    connect(paste, &QPushButton::clicked, this, [this, id] { coordinator_.model().pasteItem(id); });
    row->addWidget(paste);
    return card;
}

QWidget* TovraQueueView::upcomingRow(const PanelItem& item, int position, bool isLast,
                                     PrivacyMode mode) {
    auto* paste = new QPushButton(QStringLiteral("Paste"));
    paste->setFlat(true);
    paste->setAccessibleName(QStringLiteral("Paste queue item %1").arg(position));
    auto* row = new HoverRow(paste, isLast);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(16, 6, 16, 6);
    line->setSpacing(12);
    auto* number = mox::styledLabel(QString::number(position), mox::MoxFonts::body12(),
                                    mox::MoxColors::textTertiary());
    number->setFixedWidth(18);
    number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addWidget(number);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* text = mox::styledLabel(displayText(item.previewText, mode), mox::MoxFonts::body14(),
                                  mox::MoxColors::textPrimary());
    texts->addWidget(text);
    texts->addWidget(mox::styledLabel(QString::fromStdString(item.kind), mox::MoxFonts::body12(),
                                      mox::MoxColors::textSecondary()));
    row->setSelectableOnHover(text);
    line->addLayout(texts, 1);
    line->addWidget(paste);
    auto* pin = new QToolButton;
    pin->setAutoRaise(true);
    pin->setText(item.isPinned ? QStringLiteral("\u25C6") : QStringLiteral("\u25C7"));
    pin->setToolTip(item.isPinned ? QStringLiteral("Unpin") : QStringLiteral("Pin"));
    pin->setAccessibleName((item.isPinned ? QStringLiteral("Unpin queue item %1")
                                          : QStringLiteral("Pin queue item %1"))
                               .arg(position));
    auto* remove = new QToolButton;
    remove->setAutoRaise(true);
    remove->setText(QStringLiteral("\u2715"));
    remove->setToolTip(QStringLiteral("Remove"));
    remove->setAccessibleName(QStringLiteral("Remove queue item %1").arg(position));
    line->addWidget(pin);
    line->addWidget(remove);

    const Uuid id = item.id;
    connect(paste, &QPushButton::clicked, this, [this, id] { coordinator_.model().pasteItem(id); });
    connect(pin, &QToolButton::clicked, this,
            [this, id] { coordinator_.model().togglePinItem(id); });
    connect(remove, &QToolButton::clicked, this,
            [this, id] { coordinator_.model().removeItem(id); });
    row->setContextMenuPolicy(Qt::CustomContextMenu);
    const bool pinned = item.isPinned;
    connect(row, &QWidget::customContextMenuRequested, this, [this, row, id, pinned](QPoint at) {
        QMenu menu;
        menu.addAction(QStringLiteral("Paste this"), this,
                       [this, id] { coordinator_.model().pasteItem(id); });
        menu.addAction(pinned ? QStringLiteral("Unpin") : QStringLiteral("Pin"), this,
                       [this, id] { coordinator_.model().togglePinItem(id); });
        menu.addSeparator();
        menu.addAction(QStringLiteral("Remove"), this,
                       [this, id] { coordinator_.model().removeItem(id); });
        menu.exec(row->mapToGlobal(at));
    });
    return row;
}

QWidget* TovraQueueView::footer() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto* clear = new mox::MoxButton(QStringLiteral("Clear all"), mox::MoxButtonVariant::danger,
                                     mox::MoxButtonSize::md);
    clear->setObjectName(QStringLiteral("clearAll"));
    connect(clear, &QPushButton::clicked, this, [this] { coordinator_.model().clearFromPanel(); });
    row->addWidget(clear);

    const QueuePanelModel& model = coordinator_.model();
    auto* switchStack = new QToolButton;
    switchStack->setText(QStringLiteral("Switch stack"));
    switchStack->setPopupMode(QToolButton::InstantPopup);
    auto* stacks = new QMenu(switchStack);
    for (int i = 0; i < model.availableStackCount(); ++i) {
        connect(stacks->addAction(QStringLiteral("Stack %1").arg(i + 1)), &QAction::triggered, this,
                [this, i] { coordinator_.model().selectStackFromMenu(i); });
    }
    switchStack->setMenu(stacks);
    row->addWidget(switchStack);

    const PrivacyMode current = model.privacyMode();
    auto* privacy = new QToolButton;
    privacy->setObjectName(QStringLiteral("privacy"));
    privacy->setText(QStringLiteral("Privacy: ") + rawTitle(rawValue(current)));
    privacy->setPopupMode(QToolButton::InstantPopup);
    auto* modes = new QMenu(privacy);
    for (const PrivacyMode mode : allCases<PrivacyMode>()) {
        QAction* entry = modes->addAction(rawTitle(rawValue(mode)));
        entry->setCheckable(true);
        entry->setChecked(mode == current);
        connect(entry, &QAction::triggered, this,
                [this, mode] { coordinator_.model().selectPrivacyMode(rawValue(mode)); });
    }
    privacy->setMenu(modes);
    row->addWidget(privacy);
    row->addStretch();
    return bar;
}

}  // namespace tovra
