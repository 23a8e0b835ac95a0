#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "Tovra/base/Bytes.h"
#include "Tovra/base/ClipboardRepresentation.h"

namespace tovra {

/// One change another application made to the clipboard, with the contents it left, read whole.
struct PasteboardChange {
    /// The change count this change raised the clipboard to.
    std::int64_t changeCount = 0;
    /// Empty when nothing could be read (the owner went away or never answered). Shared with
    /// the pasteboard's own view of the clipboard, so a large copy is not held twice.
    std::shared_ptr<const std::vector<ClipboardRepresentation>> contents =
        std::make_shared<const std::vector<ClipboardRepresentation>>();
};

/// What became of a write made for a paste into the application in front.
enum class PasteDelivery {
    requested,       // that application asked for it: the item is taken
    doneReading,     // after `requested`: it stopped asking, so the clipboard may change
    takenElsewhere,  // another client took the clipboard first (a clipboard manager may serve it)
    notRequested,    // nobody asked within the window, and the clipboard is still ours
};

/// The system clipboard as the queue sees it. Types are the identifiers of `pasteboardType`.
class Pasteboard {
  public:
    Pasteboard() = default;
    virtual ~Pasteboard() = default;
    Pasteboard(const Pasteboard&) = delete;
    Pasteboard& operator=(const Pasteboard&) = delete;

    /// Rises on every change of the clipboard's owner or contents, our own writes and clears
    /// included; equal readings mean nothing changed.
    [[nodiscard]] virtual std::int64_t changeCount() const = 0;

    /// The plain text on the clipboard as valid UTF-8, or nothing.
    virtual std::optional<Bytes> string() = 0;
    /// The bytes offered under `type`, or nothing when that type is not offered.
    virtual std::optional<Bytes> data(std::string_view type) = 0;

    /// Empties the clipboard and makes us its owner; the change count rises.
    virtual void clearContents() = 0;
    /// Adds content under a type to what we own; false when the write failed.
    virtual bool setString(std::string_view text, std::string_view type) = 0;
    virtual bool setData(Bytes data, std::string_view type) = 0;

    /// Makes writes asked for so far take effect now, and waits until the system has them: a
    /// wipe before sleep must be done before the machine sleeps.
    virtual void commitPendingWrites() {}

    /// Makes the writes asked for so far the clipboard's contents now. True when every keystroke
    /// delivered from now on reaches its application after they took effect, so a paste may be
    /// typed at once; false where the system publishes them in its own time.
    virtual bool publishWrites() { return false; }

    /// A copy keystroke was seen: an owner that keeps the clipboard across copies may have
    /// changed it without telling, so look again.
    virtual void recheck() {}

    /// Starts telling `onChange` of every change another application makes, in order, as soon
    /// as its contents are read; null stops it, and with it every read of others' contents.
    /// False where the system does not tell of changes: the caller then polls `changeCount`.
    virtual bool observeChanges(std::function<void(const PasteboardChange&)> onChange) {
        (void)onChange;
        return false;
    }

    /// Watches the write just made for a paste into the window in front. `report` runs once with
    /// the outcome, at the latest when `window` has passed; after `notRequested` it may run once
    /// more with `requested`, for a late request while the contents are still ours. `requested`
    /// is followed by `doneReading` once the application stopped asking (some read a paste more
    /// than once): a newer write before then would cut that paste short. Watching
    /// the same write again (pasted a second time before anyone asked for it) watches for both
    /// pastes: the window starts again and `report` replaces the earlier one. A newer write or a
    /// wipe ends the watch with `notRequested` when nothing was reported yet. False where the
    /// system cannot tell.
    virtual bool watchPasteDelivery(std::chrono::milliseconds window,
                                    std::function<void(PasteDelivery)> report) {
        (void)window;
        (void)report;
        return false;
    }
    /// Reports now what is known of the watched write: a request already answered is told
    /// before this returns, not in a later turn of the loop.
    virtual void settleDeliveries() {}
};

}  // namespace tovra
