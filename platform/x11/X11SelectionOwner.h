#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "X11ClipboardTargets.h"
#include "X11Connection.h"
#include "X11EventThread.h"
#include "X11HelperWindow.h"

namespace tovra {

/// Serves our clipboard contents to other clients, from a thread and a connection of its own:
/// a client in our own process that waits synchronously for the clipboard (Qt's does) can never
/// starve it. It touches no queue state, only immutable copies of what was staged. Requests for
/// TARGETS, TIMESTAMP, MULTIPLE and the mapped types are answered; large contents go in INCR
/// chunks of at most 256 KiB, each transfer with its own timeout.
class X11SelectionOwner {
  public:
    using Contents = std::vector<ClipboardRepresentation>;

    /// A request answered with some of our contents (not TARGETS, TIMESTAMP, the concealed
    /// marker or a type we lack).
    struct ServedRequest {
        xcb_window_t requestor = XCB_WINDOW_NONE;
        /// The generation of the contents it got.
        std::uint64_t generation = 0;
        std::chrono::steady_clock::time_point at;
    };
    /// Runs on the serving thread after each served request.
    using DataRequestObserver = std::function<void(const ServedRequest&)>;

    /// Connects to the display `names` was opened on and starts serving; nullptr with a reason.
    /// `names` only interns the atoms, before the serving thread starts.
    static std::unique_ptr<X11SelectionOwner> start(X11Connection& names,
                                                    std::chrono::milliseconds transferTimeout,
                                                    std::string& error,
                                                    DataRequestObserver onDataRequest = nullptr);
    ~X11SelectionOwner();
    X11SelectionOwner(const X11SelectionOwner&) = delete;
    X11SelectionOwner& operator=(const X11SelectionOwner&) = delete;

    [[nodiscard]] xcb_window_t window() const { return window_; }
    /// Takes the clipboard with these contents as of `time`; false when the server refused.
    /// Requests stamped before `acceptFrom` (default: `time`) are refused as meant for an
    /// earlier owner; a paste keystroke older than our ownership still gets its contents.
    bool own(std::shared_ptr<const Contents> contents, xcb_timestamp_t time,
             std::optional<xcb_timestamp_t> acceptFrom = std::nullopt);
    /// Returns once the server has handled every request made so far on our connection.
    void sync() { (void)currentOwner(); }
    /// Rises with every `own`: names the contents a request was for.
    [[nodiscard]] std::uint64_t generation() const { return generation_; }
    /// The time we last took the clipboard with, while we hold it.
    [[nodiscard]] std::optional<xcb_timestamp_t> ownedSince() const;
    /// Lets the clipboard go unless someone took it since we did; true when it is no longer ours.
    bool release();
    [[nodiscard]] bool owns() const { return owns_; }
    /// INCR transfers under way, each holding on to the contents it serves.
    [[nodiscard]] std::size_t transfersInProgress() const { return transferCount_; }
    /// How often the serving thread woke up.
    [[nodiscard]] int wakeUps() const { return thread_ ? thread_->wakeUps() : 0; }

    /// Tells the client behind `request` that its answer is in `property` (none: refused).
    static void answer(xcb_connection_t* connection, const xcb_selection_request_event_t& request,
                       xcb_atom_t property);

  private:
    /// Interned before the thread starts and never changed: both threads read them freely.
    struct Atoms {
        xcb_atom_t clipboard, targets, timestamp, multiple, incr, latin1, concealed;
        std::array<xcb_atom_t, x11::clipboardTargets.size()> mapped;
    };
    struct Transfer;
    X11SelectionOwner(XcbConnection connection, xcb_window_t root, Atoms atoms,
                      std::chrono::milliseconds transferTimeout, DataRequestObserver observer);
    void handle(const xcb_generic_event_t& event);
    void onClear(const xcb_selection_clear_event_t& clear);
    void onRequest(const xcb_selection_request_event_t& request);
    /// Writes `target` of `contents` for the requestor; `servedData` turns true when that was
    /// some of the contents themselves, not a list of types, a time or the concealed marker.
    bool convert(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property,
                 const std::shared_ptr<const Contents>& contents, xcb_timestamp_t ownTime,
                 bool& servedData);
    std::shared_ptr<const Bytes> latin1Text(const std::shared_ptr<const Contents>& contents,
                                            const Bytes& utf8);
    void continueTransfer(xcb_window_t window, xcb_atom_t property);
    /// After each wake-up: drops wiped and stale transfers; when to look again.
    std::optional<X11EventThread::Clock::time_point> afterWake();
    /// Ends the transfers `ends` picks, on the serving thread.
    template <class Ends>
    void endTransfers(const Ends& ends);
    xcb_window_t currentOwner();

    XcbConnection connection_;
    X11HelperWindow window_;
    const Atoms atoms_;
    std::chrono::milliseconds transferTimeout_;
    std::size_t chunkBytes_;
    const DataRequestObserver onDataRequest_;

    mutable std::mutex mutex_;  // guards contents_ and the times between the two threads
    std::shared_ptr<const Contents> contents_;
    xcb_timestamp_t ownTime_ = XCB_CURRENT_TIME;
    xcb_timestamp_t acceptFrom_ = XCB_CURRENT_TIME;
    std::optional<xcb_timestamp_t> releasedAt_;
    std::atomic<bool> owns_{false};
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<bool> dropTransfers_{false};
    std::atomic<std::size_t> transferCount_{0};

    // Serving thread only.
    std::map<std::pair<xcb_window_t, xcb_atom_t>, std::unique_ptr<Transfer>> transfers_;
    /// The Latin-1 text transfers share, while any runs, and the contents it was made from.
    std::weak_ptr<const Bytes> latin1_;
    std::weak_ptr<const Contents> latin1Of_;

    /// Last: it runs on everything above.
    std::unique_ptr<X11EventThread> thread_;
};

}  // namespace tovra
