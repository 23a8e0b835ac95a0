#include "StackItem.h"

#include <utility>

namespace tovra {

StackItem StackItem::make(ClipboardPayload payload) {
    return StackItem{Uuid::random(), std::move(payload), std::chrono::system_clock::now(), false};
}

}  // namespace tovra
