#pragma once

#include <chrono>

#include "ClipboardPayload.h"
#include "Uuid.h"

namespace tovra {

/// One queued entry. Lookups (remove, pin, move, paste a chosen item) use `id` alone.
struct StackItem {
    Uuid id;
    ClipboardPayload payload;
    std::chrono::system_clock::time_point createdAt;
    bool isPinned = false;

    /// A new, unpinned item with a fresh random id, made now.
    static StackItem make(ClipboardPayload payload);

    friend bool operator==(const StackItem&, const StackItem&) = default;
};

}  // namespace tovra
