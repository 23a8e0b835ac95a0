#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ClipboardPayload.h"
#include "QueueMode.h"
#include "StackItem.h"
#include "Uuid.h"

namespace tovra {

class SmartModeEngine;

/// The queue of one stack. Items are stored in arrival order (index 0 is the oldest); the mode
/// only decides the order in which they are handed out. Operations that cannot act do nothing or
/// give nothing: the caller decides what to show.
class QueueManager {
  public:
    static constexpr int defaultMaxItems = 50;

    explicit QueueManager(SmartModeEngine& smartEngine);
    QueueManager(const QueueManager&) = delete;
    QueueManager& operator=(const QueueManager&) = delete;

    [[nodiscard]] const std::vector<StackItem>& items() const noexcept { return items_; }
    [[nodiscard]] bool isEmpty() const noexcept { return items_.empty(); }
    [[nodiscard]] std::size_t count() const noexcept { return items_.size(); }

    [[nodiscard]] QueueMode mode() const noexcept { return mode_; }
    void setMode(QueueMode mode) noexcept { mode_ = mode; }

    [[nodiscard]] int maxItems() const noexcept { return maxItems_; }
    /// At least 1: the limit step of `enqueue` always makes room for one item.
    void setMaxItems(int maxItems) noexcept { maxItems_ = maxItems < 1 ? 1 : maxItems; }

    /// The application id at the last capture into or paste from this queue.
    [[nodiscard]] const std::optional<std::string>& smartContext() const noexcept {
        return smartContext_;
    }
    void setSmartContext(std::optional<std::string> context) { smartContext_ = std::move(context); }

    /// Queues a captured payload. With `splitText`, a text listing several values becomes one
    /// plain-text item per value; a lone plain text is stored trimmed; anything else as captured.
    void enqueuePayload(ClipboardPayload payload, bool splitText);
    /// Queues the trimmed text, split into values with `splitText`; blank text adds nothing.
    void enqueueText(std::string_view text, bool splitText);
    /// Appends an item, first removing the oldest stored one (pinned or not) when full.
    void enqueue(StackItem item);
    void trimToMaxItems();
    void clear() noexcept { items_.clear(); }
    /// Empties the queue, handing its items over in stored order.
    [[nodiscard]] std::vector<StackItem> takeAll() noexcept { return std::exchange(items_, {}); }
    /// Puts items taken out earlier back before the ones there now (they are older), then keeps
    /// the newest `maxItems`.
    void restoreOlder(std::vector<StackItem> older);

    /// `fifo` or `lifo`: smart mode asks the engine for the current context at every call.
    [[nodiscard]] QueueMode effectiveMode() const;
    /// The first index in hand-out order, skipping pinned items unless `includingPinned` or all
    /// items are pinned.
    [[nodiscard]] std::optional<std::size_t> nextIndex(bool includingPinned) const;
    /// Removes and returns the next item to paste.
    std::optional<StackItem> takeNext();
    /// An item taken out, and where it stood.
    struct TakenItem {
        StackItem item;
        std::size_t position = 0;
    };
    /// The same, saying where the item stood, so it can be put back.
    std::optional<TakenItem> takeNextWithPosition();
    /// Puts an item back where it stood (clamped to the stack as it is now), unless an item with
    /// its id is there already.
    void putBack(TakenItem taken);
    /// Unpinned items in hand-out order, then pinned ones; the first is what `takeNext` gives.
    /// The pointers stay valid until the queue next changes.
    [[nodiscard]] std::vector<const StackItem*> orderedItems() const;

    void remove(const Uuid& id);
    void togglePin(const Uuid& id);
    /// Moves the item to `target`, counted among the items without it and clamped to them.
    void move(const Uuid& id, std::ptrdiff_t target);
    void swapEnds();
    void togglePinNext();
    void moveNextUp();
    void moveNextDown();

    /// Joins every item's plain text in hand-out order and empties the queue; nothing (and the
    /// queue untouched) when an item has no plain text, the join exceeds the byte budget, or the
    /// joined bytes are not UTF-8.
    std::optional<ClipboardPayload> makeBurstPayload(std::string_view separator);

  private:
    [[nodiscard]] std::vector<std::size_t> handOutOrder() const;
    /// Queues `count` trimmed, non-empty pieces of which only the last ones, `newest`, are given:
    /// the queue never holds more than those.
    void enqueuePieces(std::span<const std::string_view> newest, std::size_t count);
    /// The pieces one text is split into, at most as many as the queue can hold.
    [[nodiscard]] std::size_t piecesKept() const;

    SmartModeEngine& smartEngine_;
    std::vector<StackItem> items_;
    QueueMode mode_ = QueueMode::fifo;
    int maxItems_ = defaultMaxItems;
    std::optional<std::string> smartContext_;
};

}  // namespace tovra
