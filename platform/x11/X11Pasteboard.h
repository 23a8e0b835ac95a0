#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "X11HelperWindow.h"
#include "X11SelectionOwner.h"
#include "X11SelectionReader.h"
#include "X11Staging.h"
#include "platform/EndOfTurnTask.h"
#include "platform/Pasteboard.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;
class X11Connection;

/// The CLIPBOARD selection as a pasteboard. Reading never blocks the main loop: every change
/// another client makes is read into a snapshot (X11SelectionReader) and counted, in order, once
/// its read is done. Writing makes us the owner (served by an X11SelectionOwner); each write is
/// one staging record (X11Staging) that knows who read it, so a paste nobody asked for is told
/// and a wipe leaves a clipboard manager nothing of ours to put back.
class X11Pasteboard final : public Pasteboard {
  public:
    struct Options {
        /// The most bytes one read may take in all its types together: the queue's budget.
        std::size_t maxBytes = 0;
        /// How long one request of a read may wait for the owner without progress.
        std::chrono::milliseconds readStep{300};
        /// How long the read of one copy may take in all.
        std::chrono::milliseconds readTotal{10000};
        /// How long a transfer we serve may wait for the requestor between chunks.
        std::chrono::milliseconds serveStep{5000};
        /// How long the pasting application must have stopped asking before its paste counts
        /// as taken: some read a paste more than once (LibreOffice's own X11 code every
        /// 100 ms), and the next item must not replace it in between.
        std::chrono::milliseconds pasteSettle{200};
    };

    X11Pasteboard(X11Connection& connection, MainQueue& mainQueue, Options options);
    ~X11Pasteboard() override;

    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_; }
    std::optional<Bytes> string() override;
    std::optional<Bytes> data(std::string_view type) override;
    void clearContents() override;
    bool setString(std::string_view text, std::string_view type) override;
    bool setData(Bytes data, std::string_view type) override;

    /// Reads the selection again: some owners change their contents without taking the selection
    /// anew (after a copy keystroke). The count rises only if the contents differ.
    void recheck() override;
    void commitPendingWrites() override;
    /// Our ownership is confirmed by a round trip before this returns, and the server tells every
    /// client of the new owner before it delivers any input that follows.
    bool publishWrites() override;
    /// Told by XFixes: every change is read and reported. Others' contents are read only while
    /// someone observes.
    bool observeChanges(std::function<void(const PasteboardChange&)> onChange) override;
    /// The pasting application is the client that owns the input focus at the paste, or one of
    /// its process. A request from another client counts too, unless that client is known to
    /// read every change (a clipboard manager): it read what the pasting application also read,
    /// read one write more than once, or took our contents over.
    bool watchPasteDelivery(std::chrono::milliseconds window,
                            std::function<void(PasteDelivery)> report) override;
    void settleDeliveries() override { takeServedRequests(); }

    /// True while a read is under way.
    [[nodiscard]] bool isReading() const { return reader_.isReading(); }
    /// True between a clear and the moment the write it starts takes the selection.
    [[nodiscard]] bool hasPendingWrite() const { return pending_ != nullptr; }
    /// True while we are the selection's owner.
    [[nodiscard]] bool ownsSelection() const;
    /// Transfers of our contents in chunks still under way.
    [[nodiscard]] std::size_t transfersInProgress() const;
    /// The windows others' contents are read into.
    [[nodiscard]] std::vector<xcb_window_t> readWindows() const { return reader_.windows(); }
    /// How many of them an owner may still write to.
    [[nodiscard]] std::size_t readWindowsInUse() const { return reader_.windowsInUse(); }
    /// The time of the keystroke being held for a paste, if any: a write made for it is served
    /// to requests stamped with that keystroke (GTK 3 asks with the key event's time).
    void setHeldKeystrokeTime(std::function<std::optional<xcb_timestamp_t>()> time) {
        heldKeystrokeTime_ = std::move(time);
    }

    using Contents = std::vector<ClipboardRepresentation>;

  private:
    enum class ReadReason { initial, ownerChanged, recheck };

    void handleEvent(const xcb_generic_event_t& event);
    void onOwnerChanged(xcb_window_t owner, xcb_timestamp_t time);
    void startRead(ReadReason reason, std::optional<xcb_window_t> owner, xcb_timestamp_t time);
    void finishRead(ReadReason reason, std::shared_ptr<const Contents> contents,
                    xcb_window_t owner);
    /// A change another application made is counted and reported.
    void countForeignChange();

    void commitWrite();
    /// Owns the selection with `contents` for a keystroke at `keystroke`, or for now.
    bool takeOwnership(std::shared_ptr<const Contents> contents,
                       std::optional<xcb_timestamp_t> keystroke);
    void wipe();
    /// Wipes by owning an empty text, leaving a clipboard manager nothing to put back.
    void holdEmptyText();

    /// Handles the requests the serving thread answered since the last look, in order.
    void takeServedRequests();
    void onServed(const X11SelectionOwner::ServedRequest& served);
    void onDeliveryDeadline();
    /// What the watch of the current staging reports now that its window passed or another
    /// paste asks: requested when a client not known to read every change read it.
    [[nodiscard]] bool readByUnknownClient() const;
    /// The process of the client that made `window`, or its resource id base.
    std::int64_t readerOf(xcb_window_t window);
    std::optional<xcb_window_t> focusedWindow();

    X11Connection& connection_;
    MainQueue& mainQueue_;
    Options options_;
    X11HelperWindow window_;
    xcb_atom_t clipboard_;
    TaskHandle subscription_;

    std::int64_t changeCount_ = 0;
    /// What the clipboard holds as far as we have read or written it.
    std::shared_ptr<const Contents> snapshot_;
    /// Whose contents the snapshot holds.
    xcb_window_t snapshotOwner_ = XCB_WINDOW_NONE;
    X11SelectionReader reader_;
    std::function<void(const PasteboardChange&)> onChange_;
    std::function<std::optional<xcb_timestamp_t>()> heldKeystrokeTime_;

    /// A write asked for, from the clear that starts it until the commit that owns it.
    std::shared_ptr<Contents> pending_;
    /// A watch asked for before the write it is for was committed.
    std::optional<std::pair<xcb_window_t, X11Staging::Watch>> pendingWatch_;
    /// The last write of ours, while it is ours (or a clipboard manager holds it for us).
    std::optional<X11Staging> staging_;
    /// Clients known to read every change: never the paste.
    std::set<std::int64_t> knownReaders_;
    /// Another client read a write of ours since the user's last copy: a clipboard manager may
    /// put it back whenever the clipboard is left without an owner.
    bool othersReadSinceCopy_ = false;

    std::mutex servedMutex_;  // guards served_ between the serving thread and ours
    std::vector<X11SelectionOwner::ServedRequest> served_;
    EndOfTurnTask commit_{mainQueue_, [this] { commitWrite(); }};
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    /// Last: its thread reports into what is above.
    std::unique_ptr<X11SelectionOwner> owner_;
};

}  // namespace tovra
