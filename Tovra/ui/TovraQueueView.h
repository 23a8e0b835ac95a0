#pragma once

#include <QFrame>
#include <QWidget>
#include <vector>

#include "Tovra/app/Surfaces.h"
#include "Tovra/core/QueueMode.h"

class QVBoxLayout;

namespace tovra {

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
class TovraQueueView final : public QWidget {
  public:
    explicit TovraQueueView(TovraQueueCoordinator& coordinator);
    /// Reads everything again from the coordinator.
    void render();

    /// Mode label of the header: "Smart · LIFO" or "FIFO".
    static QString modeLabel(QueueMode selected, QueueMode effective);
    /// What the header says about the count: "1 item", "3 items".
    static QString countLabel(std::size_t count);

  private:
    QWidget* nextCard(const PanelItem& item, PrivacyMode mode);
    QWidget* upcomingRow(const PanelItem& item, int position, bool isLast, PrivacyMode mode);
    QWidget* footer();

    TovraQueueCoordinator& coordinator_;
    QVBoxLayout* layout_;
};

}  // namespace tovra
