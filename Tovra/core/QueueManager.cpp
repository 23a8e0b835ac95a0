#include "QueueManager.h"

#include <algorithm>
#include <utility>

#include "SmartModeEngine.h"
#include "TextSplitting.h"
#include "Tovra/base/PasteboardTypes.h"
#include "UnicodeText.h"

namespace tovra {

namespace {

StackItem makeTextItem(std::string_view text) {
    ClipboardPayload payload;
    payload.previewText = truncatedPreview(text);
    payload.representations.push_back({std::string(pasteboardType::string), Bytes(text)});
    return StackItem::make(std::move(payload));
}

}  // namespace

QueueManager::QueueManager(SmartModeEngine& smartEngine) : smartEngine_(smartEngine) {}

void QueueManager::enqueuePayload(ClipboardPayload payload, bool splitText) {
    const Bytes* plain = stringData(payload);
    if (plain == nullptr || !unicode::isValidUtf8(plain->view())) {
        enqueue(StackItem::make(std::move(payload)));
        return;
    }
    const std::string_view trimmedText = unicode::trimmed(plain->view());
    const bool plainTextOnly = payload.representations.size() == 1;
    TextPieces split;
    if (splitText) {
        split = splitCapturedPieces(trimmedText, piecesKept());
    } else if (plainTextOnly && !trimmedText.empty()) {
        split.pieces.assign(1, trimmedText);
        split.count = 1;
    }
    if (plainTextOnly && split.count == 1 && trimmedText.size() == plain->size()) {
        // The text is its own one item: the captured bytes move in instead of being copied,
        // which for a large copy is the difference between holding it twice or once.
        payload.previewText = truncatedPreview(trimmedText);
        enqueue(StackItem::make(std::move(payload)));
        return;
    }
    // Fewer than two pieces of a trimmed text is always that trimmed text itself, which is what
    // queuing the lone plain text would split it into again.
    if (split.count >= 2 || plainTextOnly) {
        enqueuePieces(split.pieces, split.count);
        return;
    }
    enqueue(StackItem::make(std::move(payload)));
}

void QueueManager::enqueueText(std::string_view text, bool splitText) {
    const std::string_view trimmedText = unicode::trimmed(text);
    if (trimmedText.empty()) {
        return;
    }
    if (splitText) {
        const TextPieces split = splitCapturedPieces(trimmedText, piecesKept());
        enqueuePieces(split.pieces, split.count);
    } else {
        enqueuePieces({&trimmedText, 1}, 1);
    }
}

std::size_t QueueManager::piecesKept() const {
    return static_cast<std::size_t>(std::max(maxItems_, 1));
}

void QueueManager::enqueuePieces(std::span<const std::string_view> newest, std::size_t count) {
    if (count == 0 || newest.empty()) {
        return;
    }
    // Enqueuing one by one drops the oldest item whenever the queue is full, so the result is the
    // newest `finalCount` of (stored items, then pieces). Only those pieces are made into items:
    // a 100,000-line copy costs 50 items, not 100,000 made and dropped.
    const std::size_t limit = static_cast<std::size_t>(maxItems_);
    const std::size_t stored = items_.size();
    const std::size_t total = stored + count;
    const std::size_t finalCount = total <= limit ? total : std::max(stored, limit);
    const std::size_t dropped = total - finalCount;
    const std::size_t droppedStored = std::min(dropped, stored);
    items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(droppedStored));
    // Piece i of `count` is newest[i - offset]; the pieces queued are all among the newest.
    const std::size_t offset = count - newest.size();
    for (std::size_t i = std::max(dropped - droppedStored, offset); i < count; ++i) {
        items_.push_back(makeTextItem(newest[i - offset]));
    }
}

void QueueManager::enqueue(StackItem item) {
    if (items_.size() >= static_cast<std::size_t>(maxItems_)) {
        items_.erase(items_.begin());
    }
    items_.push_back(std::move(item));
}

void QueueManager::trimToMaxItems() {
    const auto limit = static_cast<std::size_t>(maxItems_);
    if (items_.size() > limit) {
        items_.erase(items_.begin(), items_.end() - static_cast<std::ptrdiff_t>(limit));
    }
}

void QueueManager::restoreOlder(std::vector<StackItem> older) {
    older.insert(older.end(), std::make_move_iterator(items_.begin()),
                 std::make_move_iterator(items_.end()));
    items_ = std::move(older);
    trimToMaxItems();
}

QueueMode QueueManager::effectiveMode() const {
    if (mode_ == QueueMode::smart) {
        return smartEngine_.resolve(smartContext_);
    }
    return mode_;
}

std::vector<std::size_t> QueueManager::handOutOrder() const {
    std::vector<std::size_t> order(items_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    if (effectiveMode() == QueueMode::lifo) {
        std::reverse(order.begin(), order.end());
    }
    return order;
}

std::optional<std::size_t> QueueManager::nextIndex(bool includingPinned) const {
    if (items_.empty()) {
        return std::nullopt;
    }
    const bool lifo = effectiveMode() == QueueMode::lifo;
    const std::size_t n = items_.size();
    auto indexAt = [&](std::size_t step) { return lifo ? n - 1 - step : step; };
    if (!includingPinned) {
        for (std::size_t step = 0; step < n; ++step) {
            if (!items_[indexAt(step)].isPinned) {
                return indexAt(step);
            }
        }
    }
    return indexAt(0);
}

std::optional<StackItem> QueueManager::takeNext() {
    auto taken = takeNextWithPosition();
    if (!taken) {
        return std::nullopt;
    }
    return std::move(taken->item);
}

std::optional<QueueManager::TakenItem> QueueManager::takeNextWithPosition() {
    const auto index = nextIndex(false);
    if (!index) {
        return std::nullopt;
    }
    StackItem item = std::move(items_[*index]);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(*index));
    return TakenItem{std::move(item), *index};
}

void QueueManager::putBack(TakenItem taken) {
    const bool present = std::any_of(items_.begin(), items_.end(), [&](const StackItem& item) {
        return item.id == taken.item.id;
    });
    if (present) {
        return;
    }
    const std::size_t position = std::min(taken.position, items_.size());
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(position), std::move(taken.item));
}

std::vector<const StackItem*> QueueManager::orderedItems() const {
    const auto order = handOutOrder();
    std::vector<const StackItem*> ordered;
    ordered.reserve(order.size());
    for (const bool pinnedPass : {false, true}) {
        for (const std::size_t index : order) {
            if (items_[index].isPinned == pinnedPass) {
                ordered.push_back(&items_[index]);
            }
        }
    }
    return ordered;
}

void QueueManager::remove(const Uuid& id) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const StackItem& item) { return item.id == id; });
    if (found != items_.end()) {
        items_.erase(found);
    }
}

void QueueManager::togglePin(const Uuid& id) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const StackItem& item) { return item.id == id; });
    if (found != items_.end()) {
        found->isPinned = !found->isPinned;
    }
}

void QueueManager::move(const Uuid& id, std::ptrdiff_t target) {
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const StackItem& item) { return item.id == id; });
    if (found == items_.end()) {
        return;
    }
    StackItem item = std::move(*found);
    items_.erase(found);
    const auto remaining = static_cast<std::ptrdiff_t>(items_.size());
    const std::ptrdiff_t index = std::clamp<std::ptrdiff_t>(target, 0, remaining);
    items_.insert(items_.begin() + index, std::move(item));
}

void QueueManager::swapEnds() {
    if (items_.size() >= 2) {
        std::swap(items_.front(), items_.back());
    }
}

void QueueManager::togglePinNext() {
    if (const auto index = nextIndex(true)) {
        items_[*index].isPinned = !items_[*index].isPinned;
    }
}

void QueueManager::moveNextUp() {
    const auto index = nextIndex(false);
    if (index && *index >= 1) {
        std::swap(items_[*index], items_[*index - 1]);
    }
}

void QueueManager::moveNextDown() {
    const auto index = nextIndex(false);
    if (index && *index + 1 < items_.size()) {
        std::swap(items_[*index], items_[*index + 1]);
    }
}

std::optional<ClipboardPayload> QueueManager::makeBurstPayload(std::string_view separator) {
    if (items_.empty()) {
        return std::nullopt;
    }
    std::vector<std::string_view> texts;
    texts.reserve(items_.size());
    std::size_t total = 0;
    for (const std::size_t index : handOutOrder()) {
        const Bytes* text = stringData(items_[index].payload);
        if (text == nullptr) {
            return std::nullopt;
        }
        const std::size_t needed = text->size() + (texts.empty() ? 0 : separator.size());
        if (needed > maxPayloadBytes - total) {
            return std::nullopt;
        }
        total += needed;
        texts.push_back(text->view());
    }

    Bytes joined;
    joined.reserve(total);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            joined.append(separator);
        }
        joined.append(texts[i]);
    }
    auto payload = makeTextPayload(std::move(joined));
    if (payload) {
        items_.clear();
    }
    return payload;
}

}  // namespace tovra
