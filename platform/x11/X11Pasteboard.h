#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "X11HelperWindow.h"
#include "X11SelectionReader.h"
#include "platform/Pasteboard.h"
#include "platform/TaskHandle.h"

namespace tovra {

class MainQueue;
class X11Connection;
class X11SelectionOwner;

/// The CLIPBOARD selection as a pasteboard. Reading never blocks the main loop: when another
/// client takes the selection, its contents are fetched step by step into a snapshot (each step
/// with a deadline, sizes checked before bytes are copied, the byte budget held on every INCR
/// chunk) and the change count rises once the snapshot is complete, failed or timed out.
/// Writing makes us the owner (served by an X11SelectionOwner); a wipe releases ownership only
/// if nobody took it since.
class X11Pasteboard final : public Pasteboard {
  public:
    struct Options {
        /// The most bytes one read may take in all its types together: the queue's budget.
        std::size_t maxBytes = 0;
        /// How long one step of a read may wait for the owner.
        std::chrono::milliseconds readStep{300};
        /// How long a transfer we serve may wait for the requestor between chunks.
        std::chrono::milliseconds serveStep{5000};
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
    /// The application in front is the client that owns the input focus now; a request from
    /// another client (a clipboard manager reading every change) does not count.
    bool watchPasteDelivery(std::chrono::milliseconds window,
                            std::function<void(PasteDelivery)> report) override;
    /// True while a read is under way.
    [[nodiscard]] bool isReading() const { return reader_.isReading(); }
    /// True between a clear and the moment the write it starts takes the selection.
    [[nodiscard]] bool hasPendingWrite() const { return writePending_; }
    /// True while we are the selection's owner.
    [[nodiscard]] bool ownsSelection() const;
    /// Transfers of our contents in chunks still under way.
    [[nodiscard]] std::size_t transfersInProgress() const;
    /// The window others' contents are read into.
    [[nodiscard]] xcb_window_t window() const { return window_; }
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
    void startRead(ReadReason reason, xcb_timestamp_t time);
    void finishRead(ReadReason reason, std::shared_ptr<const Contents> contents);
    /// A change another application made is counted and reported.
    void countForeignChange();

    struct DeliveryWatch {
        std::function<void(PasteDelivery)> report;
        xcb_window_t focus = XCB_WINDOW_NONE;
        /// The contents watched, once committed.
        std::optional<std::uint64_t> generation;
        std::chrono::milliseconds window{};
        bool reportedNotRequested = false;
        TaskHandle deadline;
    };
    void onDataRequested(xcb_window_t requestor, std::uint64_t generation);
    void onDeliveryDeadline();
    /// Ends the watch, reporting `outcome` unless it already said nothing was requested.
    void endDeliveryWatch(std::optional<PasteDelivery> outcome);

    void commitWrite();
    /// Owns the selection with `contents` for a keystroke at `keystroke`, or for now.
    bool takeOwnership(std::shared_ptr<const Contents> contents,
                       std::optional<xcb_timestamp_t> keystroke);
    /// Wipes by owning an empty text, leaving a clipboard manager nothing to put back.
    void holdEmptyText();

    X11Connection& connection_;
    MainQueue& mainQueue_;
    Options options_;
    X11HelperWindow window_;
    xcb_atom_t clipboard_;
    TaskHandle subscription_;

    std::int64_t changeCount_ = 0;
    /// What the clipboard holds as far as we have read or written it.
    std::shared_ptr<const Contents> snapshot_;
    X11SelectionReader reader_;

    /// Our own contents: being written (`writePending_`) or owned.
    std::shared_ptr<Contents> own_;
    bool writePending_ = false;
    bool commitScheduled_ = false;
    std::unique_ptr<X11SelectionOwner> owner_;
    std::function<std::optional<xcb_timestamp_t>()> heldKeystrokeTime_;
    std::function<void(const PasteboardChange&)> onChange_;
    std::optional<DeliveryWatch> deliveryWatch_;
    /// Our last staged contents are held by another client (a clipboard manager): still ours.
    bool stagedHeldElsewhere_ = false;
    std::shared_ptr<const Contents> lastStaged_;
    /// Another client than the one pasting read what we staged: a clipboard manager, which
    /// puts its last text back whenever the clipboard is left without an owner.
    bool othersReadStaged_ = false;
    /// The window pasting what we staged last, and that staging's generation.
    std::optional<xcb_window_t> stagedFocus_;
    std::uint64_t stagedGeneration_ = 0;
    std::chrono::steady_clock::time_point lastStagedAt_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tovra
