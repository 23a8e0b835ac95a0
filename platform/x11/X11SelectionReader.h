#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;
class X11Connection;

/// One read at a time of a selection's contents, step by step so the main loop never blocks:
/// TARGETS first, then each captured type the owner offers, in the captured order. Each step has
/// a deadline, sizes are checked before bytes are copied out of the server, and the byte budget
/// holds over every INCR chunk. A type that fails or does not fit is skipped, not the read.
class X11SelectionReader {
  public:
    using Contents = std::vector<ClipboardRepresentation>;
    /// Gets what was read, once, when the read completes, fails or runs out of time.
    using Done = std::function<void(Contents)>;
    struct Options {
        /// The most bytes one read may take in all its types together.
        std::size_t maxBytes = 0;
        /// How long one step may wait for the owner.
        std::chrono::milliseconds step{300};
    };

    /// Reads `selection` into properties of `window`, which must select PropertyChangeMask;
    /// the connection, queue and window must outlive the reader.
    X11SelectionReader(X11Connection& connection, MainQueue& mainQueue, xcb_window_t window,
                       xcb_atom_t selection, Options options);
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    /// Starts reading what the owner held at `time`, abandoning a read under way.
    void start(xcb_timestamp_t time, Done done);
    /// Abandons the read under way: its `done` never runs.
    void cancel();
    [[nodiscard]] bool isReading() const { return read_ != nullptr; }
    /// The connection's events: the reader takes the ones of its read.
    void handle(const xcb_generic_event_t& event);

  private:
    struct Read;

    void requestNext();
    void onSelectionNotify(const xcb_selection_notify_event_t& event);
    void onPropertyNewValue();
    void finish();
    void armDeadline();
    xcb_atom_t nextProperty();
    /// Refuses the rest of an INCR transfer into `property`: each chunk the owner sends is
    /// deleted unread, so nothing of it stays on our window and the owner finishes. An owner
    /// that never finishes is left waiting after a while.
    void drain(xcb_atom_t property);
    void askForNextChunk(xcb_atom_t property);
    void drainChunk(xcb_atom_t property);

    X11Connection& connection_;
    MainQueue& mainQueue_;
    xcb_window_t window_;
    xcb_atom_t selection_;
    Options options_;
    std::unique_ptr<Read> read_;
    struct Drain {
        TaskHandle idle;
        std::chrono::steady_clock::time_point giveUpAt;
    };
    /// Properties being drained.
    std::map<xcb_atom_t, Drain> draining_;
    std::uint64_t sequence_ = 0;
};

}  // namespace tovra
