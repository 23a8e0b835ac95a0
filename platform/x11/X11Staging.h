#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "platform/Pasteboard.h"
#include "platform/TaskHandle.h"

namespace tovra {

/// One write of ours on the clipboard, from its commit until a newer write or a wipe replaces
/// it: what it holds, the pastes it was made for, who read it, and what its watch reported.
struct X11Staging {
    using Clock = std::chrono::steady_clock;
    using Contents = std::vector<ClipboardRepresentation>;

    /// A read of it by another client than the pasting application.
    struct OtherRead {
        /// The reading process, or its client's resource id base when the server cannot tell.
        std::int64_t reader = 0;
        Clock::time_point at;
    };
    /// The paste it was made for, waiting for the pasting application to ask.
    struct Watch {
        std::function<void(PasteDelivery)> report;
        std::chrono::milliseconds window{};
        TaskHandle deadline;
        /// Said once nobody asked in time; a late request may still follow.
        bool reportedNotRequested = false;
        /// Said once the pasting application asked; "done reading" follows when it stops.
        bool reportedRequested = false;
        TaskHandle settling;
    };

    std::shared_ptr<const Contents> contents;
    std::uint64_t generation = 0;
    Clock::time_point at;
    /// The focused windows of the pastes it serves (more than one when pasted again before
    /// anyone asked for it).
    std::vector<xcb_window_t> pasting;
    bool requestedByPasting = false;
    std::vector<OtherRead> otherReads;
    std::optional<Watch> watch;
    /// Another client took the clipboard over with these very contents (a clipboard manager):
    /// still ours to wipe.
    bool heldElsewhere = false;

    /// Ends the watch, telling `outcome` unless something was told already, and that reading is
    /// over where a request was told.
    void endWatch(PasteDelivery outcome) {
        if (!watch) {
            return;
        }
        auto ended = std::move(*watch);
        watch.reset();
        if (!ended.report) {
            return;
        }
        if (ended.reportedRequested) {
            ended.report(PasteDelivery::doneReading);
        } else if (!ended.reportedNotRequested) {
            ended.report(outcome);
        }
    }
};

}  // namespace tovra
