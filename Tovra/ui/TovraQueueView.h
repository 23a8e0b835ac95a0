#pragma once

#include <QFrame>
#include <QWidget>
#include <functional>
#include <vector>

#include "Tovra/app/Surfaces.h"
#include "Tovra/core/QueueMode.h"

class QVBoxLayout;

namespace tovra {

/// One item as the panel shows it: display data only.
using PanelItem = ItemRow;

/// The panel's model: it holds no queue data, only ways to read it and to act on it, installed
/// by the application controller, and a revision that every refresh increases.
class TovraQueueCoordinator final : public QueuePanelSurface {
  public:
    std::function<std::vector<PanelItem>()> itemsProvider = [] { return std::vector<PanelItem>{}; };
    std::function<PrivacyMode()> privacyModeProvider = [] { return PrivacyMode::preview; };
    std::function<QueueMode()> queueModeProvider = [] { return QueueMode::fifo; };
    std::function<QueueMode()> selectedModeProvider = [] { return QueueMode::fifo; };
    std::function<int()> activeStackIndexProvider = [] { return 0; };
    std::function<int()> availableStackCountProvider = [] { return 1; };
    std::function<void(const Uuid&)> pasteHandler = [](const Uuid&) {};
    std::function<void(const Uuid&)> removeHandler = [](const Uuid&) {};
    std::function<void(const Uuid&)> pinHandler = [](const Uuid&) {};
    std::function<void(int)> selectStackHandler = [](int) {};
    std::function<void(PrivacyMode)> selectPrivacyModeHandler = [](PrivacyMode) {};
    std::function<void()> clearHandler = [] {};

    void reload() override;
    void open() override;
    void close() override;
    [[nodiscard]] int revision() const { return revision_; }
    /// The open panel's view, or null.
    [[nodiscard]] class TovraQueueView* view() const;

  private:
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
