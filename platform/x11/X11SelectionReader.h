#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "X11ClipboardTargets.h"
#include "X11HelperWindow.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;
class X11Connection;

/// Reads a selection's contents without ever blocking the main loop, one read per copy. A read
/// asks for TARGETS and the text at once (text first: it is what a copy is for), then for each
/// other captured type the owner offers, one at a time. Sizes are checked before bytes are
/// copied out of the server, and the byte budget holds over every INCR chunk.
///
/// Copies can follow each other faster than an owner answers: a new read starts at once, and the
/// one before it makes no more requests (they would reach the new owner) but keeps the answers
/// to those it made; reads finish in the order they started, each whole or as far as it got.
/// Every answer we are handed is deleted, consumed or not: late, refused, abandoned or over the
/// budget (an INCR transfer is drained). Each request has a window of its own: some owners take
/// any deletion on the requestor's window for the go-ahead of their next INCR chunk.
class X11SelectionReader {
  public:
    using Contents = std::vector<ClipboardRepresentation>;
    /// Gets what was read, once, when the read completes, fails or runs out of time, and the
    /// owner it was read from.
    using Done = std::function<void(Contents, xcb_window_t owner)>;
    struct Options {
        /// The most bytes one read may take in all its types together.
        std::size_t maxBytes = 0;
        /// How long one request may wait for the owner without any progress.
        std::chrono::milliseconds step{300};
        /// How long one read may take in all: a slow owner costs at most this per copy.
        std::chrono::milliseconds total{10000};
    };

    /// Reads `selection` on `connection`; the connection and queue must outlive the reader.
    X11SelectionReader(X11Connection& connection, MainQueue& mainQueue, xcb_atom_t selection,
                       Options options);
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    /// Starts reading what `owner` (none: whoever owns it now) holds, as of `time`.
    void start(std::optional<xcb_window_t> owner, xcb_timestamp_t time, Done done);
    /// Abandons every read: no `done` runs; answers still on their way are deleted as they come.
    void cancel();
    [[nodiscard]] bool isReading() const { return !reads_.empty(); }
    /// The windows answers come to, each holding at most one answer at a time.
    [[nodiscard]] std::vector<xcb_window_t> windows() const;
    /// Windows an owner may still write an answer to.
    [[nodiscard]] std::size_t windowsInUse() const;
    /// The connection's events: the reader takes the ones of its reads.
    void handle(const xcb_generic_event_t& event);

  private:
    struct Read;
    struct Request {
        /// The read it serves; 0 once abandoned (its answer is only deleted).
        std::uint64_t read = 0;
        x11::TargetName name;
        xcb_atom_t target = XCB_ATOM_NONE;
        bool incremental = false;
        Bytes chunks;
        /// The type the owner sends the chunks as.
        xcb_atom_t type = XCB_ATOM_NONE;
        TaskHandle deadline;
        std::uint64_t serial = 0;
    };
    struct Drain {
        TaskHandle idle;
        std::chrono::steady_clock::time_point giveUpAt;
    };
    /// One window of ours and what may still come to it.
    struct Slot {
        std::unique_ptr<X11HelperWindow> window;
        std::optional<Request> request;
        std::optional<Drain> drain;
        [[nodiscard]] bool busy() const { return request || drain; }
    };

    Read* findRead(std::uint64_t id);
    Slot* slotOf(xcb_window_t window);
    Slot& freeSlot();
    /// Asks the owner for `target`; false when the request may have reached a newer owner
    /// than the read's (it is then abandoned).
    bool request(Read& read, x11::TargetName name, xcb_atom_t target);
    void armStep(Slot& slot);
    void onSelectionNotify(const xcb_selection_notify_event_t& event);
    void onAnswer(Read& read, Slot& slot);
    void onTargets(Read& read, xcb_window_t window);
    void onChunk(Slot& slot);
    /// Ends the slot's request without its answer; one already under way is drained.
    void abandon(Slot& slot);
    void abandonAll(std::uint64_t read);
    /// Makes the read's next request, or ends it once nothing is left to ask.
    void advance(Read& read);
    void finishInOrder();
    /// Refuses the rest of an INCR transfer: each chunk the owner sends is deleted unread, so
    /// nothing of it stays with us and the owner finishes. An owner that never finishes is left
    /// waiting after a while.
    void drain(Slot& slot);
    void askForNextChunk(Slot& slot);
    void drainChunk(Slot& slot);
    void deleteAnswer(const Slot& slot);

    X11Connection& connection_;
    MainQueue& mainQueue_;
    xcb_atom_t selection_;
    Options options_;
    xcb_atom_t property_;
    xcb_atom_t targets_;
    xcb_atom_t incr_;
    std::uint64_t nextRead_ = 1;
    std::uint64_t nextRequest_ = 1;
    /// In the order they started.
    std::deque<std::unique_ptr<Read>> reads_;
    std::map<xcb_window_t, Slot> slots_;
};

}  // namespace tovra
