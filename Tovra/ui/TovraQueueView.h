#pragma once

#include <QFrame>
#include <QWidget>
#include <vector>

#include "Tovra/app/Surfaces.h"
#include "Tovra/core/PrivacyMode.h"
#include "Tovra/core/QueueMode.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace tovra {

class QueuePanelRow;

/// One item as the panel shows it: display data only.
using PanelItem = ItemRow;

/// The panel as the controller sees it: it holds no queue data, reads everything through the
/// model, and counts its refreshes.
class TovraQueueCoordinator final : public QueuePanelSurface {
  public:
    /// The model must outlive every open panel; without one the panel does not open.
    void setModel(QueuePanelModel* model) { model_ = model; }
    [[nodiscard]] QueuePanelModel& model() const { return *model_; }

    void reload() override;
    void open() override;
    void close() override;
    [[nodiscard]] int revision() const { return revision_; }
    /// The open panel's view, or null.
    [[nodiscard]] class TovraQueueView* view() const;

  private:
    QueuePanelModel* model_ = nullptr;
    int revision_ = 0;
};

/// The panel: the next item in a card, the ones after it in a list, and the footer controls.
/// A change updates the rows in place: the list keeps its scroll position and the focused
/// item keeps the focus (or hands it to the row that took its place).
class TovraQueueView final : public QWidget {
  public:
    explicit TovraQueueView(TovraQueueCoordinator& coordinator);
    /// Reads everything again from the coordinator.
    void render();
    /// The rows in hand-out order; the first is the card of the next item.
    [[nodiscard]] const std::vector<QueuePanelRow*>& rows() const { return rows_; }

    /// Mode label of the header: "Smart · LIFO" or "FIFO".
    static QString modeLabel(QueueMode selected, QueueMode effective);
    /// What the header says about the count: "1 item", "3 items".
    static QString countLabel(std::size_t count);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* header();
    QWidget* emptyState();
    QWidget* footer();
    void renderMenus();
    void step(QueuePanelRow* from, int by);

    TovraQueueCoordinator& coordinator_;
    std::vector<QueuePanelRow*> rows_;
    QPushButton* stackButton_ = nullptr;
    QLabel* modeLabel_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QWidget* empty_ = nullptr;
    QWidget* content_ = nullptr;
    QVBoxLayout* cardSlot_ = nullptr;
    QWidget* upNext_ = nullptr;
    QWidget* listFrame_ = nullptr;
    QVBoxLayout* listRows_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* switchStack_ = nullptr;
    QPushButton* privacy_ = nullptr;
    int menusActive_ = -1;
    int menusCount_ = -1;
    PrivacyMode menusPrivacy_{};
    bool menusBuilt_ = false;
    bool shownOnce_ = false;
};

}  // namespace tovra
