#pragma once

#include <vector>

#include "Tovra/app/Surfaces.h"

namespace tovra::test {

/// A stack in Smart order resolved to LIFO with the rows a test sets; records what the panel
/// asks for.
class FakePanelModel final : public QueuePanelModel {
  public:
    [[nodiscard]] std::vector<ItemRow> panelItems() const override { return items; }
    [[nodiscard]] PrivacyMode privacyMode() const override { return privacy; }
    [[nodiscard]] QueueMode panelQueueMode() const override { return QueueMode::lifo; }
    [[nodiscard]] QueueMode panelSelectedMode() const override { return QueueMode::smart; }
    [[nodiscard]] int activeStackIndex() const override { return 0; }
    [[nodiscard]] int availableStackCount() const override { return 3; }
    void pasteItem(const Uuid& id) override { pasted.push_back(id); }
    void removeItem(const Uuid& id) override { removed.push_back(id); }
    void togglePinItem(const Uuid& id) override { pinned.push_back(id); }
    void selectStackFromMenu(std::optional<long>) override {}
    void selectPrivacyMode(std::string_view) override {}
    void clearFromPanel() override { ++clears; }

    std::vector<ItemRow> items;
    PrivacyMode privacy = PrivacyMode::preview;
    std::vector<Uuid> pasted, removed, pinned;
    int clears = 0;
};

}  // namespace tovra::test
