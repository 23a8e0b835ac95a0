#include "TovraQueueView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <optional>

#include "MoxUI/MoxButton.h"
#include "MoxUI/MoxCard.h"
#include "MoxUI/MoxColors.h"
#include "MoxUI/MoxEmptyState.h"
#include "MoxUI/MoxFonts.h"
#include "MoxUI/MoxGlyph.h"
#include "MoxUI/MoxLabel.h"
#include "MoxUI/MoxSatelliteWindowPresenter.h"
#include "MoxUI/MoxScales.h"
#include "QueuePanelRow.h"

namespace tovra {

namespace {

const QString panelIdentifier = QStringLiteral("tovra.queue");

QString rawTitle(std::string_view raw) {
    return QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
}

}  // namespace

// ---- Coordinator ---------------------------------------------------------------------------

TovraQueueView* TovraQueueCoordinator::view() const {
    QWidget* window = mox::MoxSatelliteWindowPresenter::shared().window(panelIdentifier);
    if (window == nullptr) {
        return nullptr;
    }
    // By type, not by meta-object: the view declares no meta-object of its own, so findChild
    // would take any frame in the window for it.
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (auto* view = dynamic_cast<TovraQueueView*>(child)) {
            return view;
        }
    }
    return nullptr;
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
    mox::MoxSatelliteWindowPresenter::shared().present(panelIdentifier,
                                                       QStringLiteral("Tovra \u2014 Queue"), 720,
                                                       568, true, new TovraQueueView(*this));
}

void TovraQueueCoordinator::close() {
    if (QWidget* window = mox::MoxSatelliteWindowPresenter::shared().window(panelIdentifier)) {
        window->close();
    }
}

// ---- View ----------------------------------------------------------------------------------

TovraQueueView::TovraQueueView(TovraQueueCoordinator& coordinator) : coordinator_(coordinator) {
    setMinimumSize(mox::MoxFonts::scaled(640), mox::MoxFonts::scaled(520));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header());
    auto* divider = new QFrame;
    divider->setFixedHeight(1);
    QPalette line = divider->palette();
    line.setColor(QPalette::Window, mox::MoxColors::line());
    divider->setPalette(line);
    divider->setAutoFillBackground(true);
    layout->addWidget(divider);

    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(16);
    empty_ = emptyState();
    column->addWidget(empty_, 1);

    content_ = new QWidget;
    auto* items = new QVBoxLayout(content_);
    items->setContentsMargins(0, 0, 0, 0);
    items->setSpacing(16);
    items->addWidget(mox::styledLabel(QStringLiteral("Next to paste"), mox::MoxFonts::display12(),
                                      mox::MoxColors::textSecondary()));
    cardSlot_ = new QVBoxLayout;
    items->addLayout(cardSlot_);
    upNext_ = mox::styledLabel(QStringLiteral("Up next"), mox::MoxFonts::display12(),
                               mox::MoxColors::textSecondary());
    items->addWidget(upNext_);

    auto* list = new QWidget;
    QPalette card = list->palette();
    card.setColor(QPalette::Window, mox::MoxColors::panel2());
    list->setPalette(card);
    list->setAutoFillBackground(true);
    listRows_ = new QVBoxLayout(list);
    listRows_->setContentsMargins(0, 0, 0, 0);
    listRows_->setSpacing(0);
    listRows_->addStretch();
    scroll_ = new QScrollArea;
    scroll_->setWidget(list);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->viewport()->setAutoFillBackground(false);
    // A card around the list rather than a style sheet: sheets slow every child down. Its
    // inner margin keeps the list's square fill inside the rounded corners.
    listFrame_ = new mox::MoxCard(1);
    listFrame_->setFixedHeight(mox::MoxFonts::scaled(216));
    auto* inside = new QVBoxLayout(listFrame_);
    inside->setContentsMargins(1, mox::MoxRadius::lg / 2, 1, mox::MoxRadius::lg / 2);
    inside->addWidget(scroll_);
    items->addWidget(listFrame_);
    items->addStretch();
    column->addWidget(content_, 1);
    column->addWidget(footer());
    layout->addWidget(body, 1);

    // A row shows its paste button while it or one of its buttons holds the focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        for (QWidget* widget : {old, now}) {
            for (QWidget* at = widget; at != nullptr && at != this; at = at->parentWidget()) {
                if (auto* row = dynamic_cast<QueuePanelRow*>(at)) {
                    row->refreshChrome();
                    break;
                }
            }
        }
    });
    render();
}

void TovraQueueView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The queue is what the panel is for: the keyboard starts on the next item. (Set once
    // shown: the view is put into its window after it was made.)
    if (!shownOnce_ && !rows_.empty()) {
        rows_.front()->setFocus(Qt::OtherFocusReason);
    }
    shownOnce_ = true;
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

QWidget* TovraQueueView::header() {
    auto* bar = new QWidget;
    bar->setFixedHeight(mox::MoxFonts::scaled(62));
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(16, 0, 24, 0);
    row->setSpacing(8);
    stackButton_ =
        new mox::MoxButton(QString(), mox::MoxButtonVariant::ghost, mox::MoxButtonSize::md);
    stackButton_->setFont(mox::MoxFonts::font(mox::MoxFontFamily::body, 14, QFont::DemiBold));
    row->addWidget(stackButton_);
    modeLabel_ =
        mox::styledLabel({}, mox::MoxFonts::font(mox::MoxFontFamily::body, 14, QFont::Medium),
                         mox::MoxColors::textPrimary());
    row->addWidget(modeLabel_);
    row->addStretch();
    countLabel_ = mox::styledLabel({}, mox::MoxFonts::body12(), mox::MoxColors::textSecondary());
    row->addWidget(countLabel_);
    return bar;
}

QWidget* TovraQueueView::emptyState() {
    return new mox::MoxEmptyState(
        QStringLiteral("Nothing waiting."),
        QStringLiteral("Copy something to add it to the queue."),
        mox::glyphIcon(mox::MoxGlyph::inbox, mox::MoxColors::textTertiary()));
}

QWidget* TovraQueueView::footer() {
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    clear_ = new mox::MoxButton(QStringLiteral("Clear all"), mox::MoxButtonVariant::danger,
                                mox::MoxButtonSize::md);
    clear_->setObjectName(QStringLiteral("clearAll"));
    connect(clear_, &QPushButton::clicked, this, [this] { coordinator_.model().clearFromPanel(); });
    row->addWidget(clear_);
    switchStack_ = new mox::MoxButton(QStringLiteral("Switch stack"),
                                      mox::MoxButtonVariant::secondary, mox::MoxButtonSize::md);
    row->addWidget(switchStack_);
    privacy_ =
        new mox::MoxButton(QString(), mox::MoxButtonVariant::secondary, mox::MoxButtonSize::md);
    privacy_->setObjectName(QStringLiteral("privacy"));
    row->addWidget(privacy_);
    row->addStretch();
    return bar;
}

void TovraQueueView::renderMenus() {
    const QueuePanelModel& model = coordinator_.model();
    const int active = model.activeStackIndex();
    const int count = model.availableStackCount();
    const PrivacyMode current = model.privacyMode();
    stackButton_->setText(QStringLiteral("Stack %1  \u25BE").arg(active + 1));
    stackButton_->setAccessibleName(QStringLiteral("Active stack, Stack %1").arg(active + 1));
    privacy_->setText(QStringLiteral("Privacy: ") + rawTitle(rawValue(current)) +
                      QStringLiteral("  \u25BE"));
    // A menu is replaced only when what it offers changed: it may be open now.
    if (menusBuilt_ && active == menusActive_ && count == menusCount_ && current == menusPrivacy_) {
        return;
    }
    menusBuilt_ = true;
    menusActive_ = active;
    menusCount_ = count;
    menusPrivacy_ = current;
    for (QPushButton* button : {stackButton_, switchStack_}) {
        auto* stacks = new QMenu(button);
        for (int i = 0; i < count; ++i) {
            QAction* entry = stacks->addAction(QStringLiteral("Stack %1").arg(i + 1));
            entry->setCheckable(true);
            entry->setChecked(i == active);
            connect(entry, &QAction::triggered, this,
                    [this, i] { coordinator_.model().selectStackFromMenu(i); });
        }
        if (QMenu* old = button->menu()) {
            old->deleteLater();
        }
        button->setMenu(stacks);
    }
    auto* modes = new QMenu(privacy_);
    for (const PrivacyMode mode : allCases<PrivacyMode>()) {
        QAction* entry = modes->addAction(rawTitle(rawValue(mode)));
        entry->setCheckable(true);
        entry->setChecked(mode == current);
        connect(entry, &QAction::triggered, this,
                [this, mode] { coordinator_.model().selectPrivacyMode(rawValue(mode)); });
    }
    if (QMenu* old = privacy_->menu()) {
        old->deleteLater();
    }
    privacy_->setMenu(modes);
}

void TovraQueueView::render() {
    const QueuePanelModel& model = coordinator_.model();
    const auto items = model.panelItems();
    const PrivacyMode privacy = model.privacyMode();
    renderMenus();
    modeLabel_->setText(modeLabel(model.panelSelectedMode(), model.panelQueueMode()));
    countLabel_->setText(countLabel(items.size()));
    empty_->setVisible(items.empty());
    content_->setVisible(!items.empty());
    clear_->setEnabled(!items.empty());

    // Where the focus was, to hand it on when its row goes.
    std::optional<Uuid> focusedId;
    std::size_t focusedIndex = 0;
    const QWidget* focus = QApplication::focusWidget();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (focus != nullptr && (focus == rows_[i] || rows_[i]->isAncestorOf(focus))) {
            focusedId = rows_[i]->id();
            focusedIndex = i;
        }
    }

    std::map<Uuid, QueuePanelRow*> existing;
    for (QueuePanelRow* row : rows_) {
        existing.emplace(row->id(), row);
    }
    std::vector<QueuePanelRow*> next;
    next.reserve(items.size());
    const auto stepper = [this](QueuePanelRow* from, int by) { step(from, by); };
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto style = i == 0 ? QueuePanelRow::Style::card : QueuePanelRow::Style::list;
        QueuePanelRow* row = nullptr;
        if (auto found = existing.find(items[i].id);
            found != existing.end() && found->second->style() == style) {
            row = found->second;
            existing.erase(found);
        } else {
            row = new QueuePanelRow(coordinator_.model(), items[i], style, stepper);
        }
        row->show(items[i], static_cast<int>(i) + 1, i + 1 == items.size(), privacy);
        next.push_back(row);
    }
    for (auto& [id, gone] : existing) {
        delete gone;
    }
    rows_ = std::move(next);

    // Put the rows in order without deleting any: the list keeps its scroll position.
    while (cardSlot_->count() > 0) {
        delete cardSlot_->takeAt(0);
    }
    while (listRows_->count() > 0) {
        delete listRows_->takeAt(0);
    }
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        (i == 0 ? cardSlot_ : listRows_)->addWidget(rows_[i]);
        rows_[i]->setVisible(true);
    }
    listRows_->addStretch();
    upNext_->setVisible(rows_.size() > 1);
    listFrame_->setVisible(rows_.size() > 1);
    // Tab goes through the rows in their order, then to the footer: rows made later would
    // otherwise come after it.
    std::vector<QWidget*> chain{stackButton_};
    for (QueuePanelRow* row : rows_) {
        chain.push_back(row);
        for (QAbstractButton* button : row->findChildren<QAbstractButton*>()) {
            chain.push_back(button);
        }
    }
    chain.insert(chain.end(), {clear_, switchStack_, privacy_});
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }

    if (focusedId && !rows_.empty()) {
        const auto same = std::find_if(rows_.begin(), rows_.end(), [&](const QueuePanelRow* row) {
            return row->id() == *focusedId;
        });
        QueuePanelRow* heir =
            same != rows_.end() ? *same : rows_[std::min(focusedIndex, rows_.size() - 1)];
        if (!heir->hasFocus() && !heir->isAncestorOf(QApplication::focusWidget())) {
            heir->setFocus(Qt::OtherFocusReason);
        }
        scroll_->ensureWidgetVisible(heir, 0, 0);
    }
}

void TovraQueueView::step(QueuePanelRow* from, int by) {
    const auto at = std::find(rows_.begin(), rows_.end(), from);
    if (at == rows_.end()) {
        return;
    }
    const auto index = static_cast<long>(at - rows_.begin()) + by;
    QueuePanelRow* target =
        rows_[static_cast<std::size_t>(std::clamp(index, 0L, static_cast<long>(rows_.size()) - 1))];
    target->setFocus(Qt::OtherFocusReason);
    if (target->style() == QueuePanelRow::Style::list) {
        scroll_->ensureWidgetVisible(target, 0, 0);
    }
}

void TovraQueueView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        window()->close();
        return;
    }
    if ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) && !rows_.empty()) {
        // From anywhere else in the panel the arrows go into the queue.
        rows_.front()->setFocus(Qt::OtherFocusReason);
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace tovra
