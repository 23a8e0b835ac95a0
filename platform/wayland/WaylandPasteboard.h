#pragma once

#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Tovra/base/ClipboardRepresentation.h"
#include "WaylandDataControl.h"
#include "WaylandEventThread.h"
#include "WaylandOfferReader.h"
#include "WaylandSourceServer.h"
#include "platform/EndOfTurnTask.h"
#include "platform/Pasteboard.h"

namespace tovra {

class MainQueue;
class WaylandConnection;

/// The seat's clipboard through the data-control protocol. The compositor tells of every
/// selection: another client's is read through pipes (never blocking the loop) and reported in
/// the order the copies were made, the count rising once each is read, failed or timed out.
/// Everything we offer carries a marker type, so our own contents coming back (or re-offered by
/// a clipboard manager) are never taken for a copy. A wipe empties the clipboard only while
/// what it holds is ours.
class WaylandPasteboard final : public Pasteboard {
  public:
    struct Options {
        /// The most bytes one read may take in all its types together: the queue's budget.
        std::size_t maxBytes = 0;
        /// How long one step of a read may wait for the offering client.
        std::chrono::milliseconds readStep{300};
        /// How long a transfer we serve may wait for its reader between chunks.
        std::chrono::milliseconds serveStep{5000};
    };

    WaylandPasteboard(WaylandConnection& connection, MainQueue& mainQueue, Options options);
    ~WaylandPasteboard() override;

    /// False when the compositor offers no data control: nothing is read or written.
    [[nodiscard]] bool isAvailable() const { return device_ != nullptr; }

    [[nodiscard]] std::int64_t changeCount() const override { return changeCount_; }
    std::optional<Bytes> string() override;
    std::optional<Bytes> data(std::string_view type) override;
    void clearContents() override;
    bool setString(std::string_view text, std::string_view type) override;
    bool setData(Bytes data, std::string_view type) override;

    /// Sent and confirmed by a round trip: done before the machine may sleep.
    void commitPendingWrites() override;
    /// The selection request leaves on the connection the paste keystroke follows on, and the
    /// compositor hands the focused client its new selection before it handles that keystroke.
    bool publishWrites() override;
    bool observeChanges(std::function<void(const PasteboardChange&)> onChange) override;

    /// True while what the clipboard holds is ours.
    [[nodiscard]] bool ownsSelection() const { return source_ != nullptr; }
    [[nodiscard]] bool isReading() const { return !reads_.empty(); }
    [[nodiscard]] std::size_t transfersInProgress() const { return server_.transfersInProgress(); }

    using Contents = std::vector<ClipboardRepresentation>;

  private:
    struct Read {
        std::unique_ptr<WaylandOfferReader> reader;
        /// The selection found when we started: known, not a copy.
        bool initial = false;
        std::chrono::steady_clock::time_point at;
    };
    /// A clipboard manager takes over what another client copied this soon after.
    static constexpr std::chrono::seconds takeoverWindow{3};

    static const WaylandDataControl::DeviceListener deviceListener;
    static const WaylandDataControl::SourceListener sourceListener;
    static const WaylandDataControl::OfferListener offerListener;

    /// Makes the data device of the seat in use, once per seat.
    void attachDevice();
    void forgetDeviceSettling();
    void onDataOffer(wl_proxy* offer);
    void onSelection(wl_proxy* offer);
    void onPrimarySelection(wl_proxy* offer);
    /// On the sources' thread.
    void onSend(wl_proxy* source, const char* mimeType, int fd);
    void onCancelled(wl_proxy* source);
    /// Reports every read at the head of the line that is complete.
    void deliverReads();
    void countForeignChange(std::shared_ptr<const Contents> contents);
    /// The same contents as the selection before, offered within the takeover window.
    [[nodiscard]] bool isTakeover(const Contents& contents,
                                  std::chrono::steady_clock::time_point at) const;
    void holdEmptyText();
    void wipeIfOurs();
    /// Our contents came back in another client's hands after a wipe: wiped once more.
    void wipeAgainIfWiped();

    void commitWrite();
    /// Puts `contents` on the clipboard as ours.
    void offerContents(std::shared_ptr<const Contents> contents);
    void dropSource();

    WaylandConnection& connection_;
    MainQueue& mainQueue_;
    Options options_;
    WaylandDataControl dataControl_;
    wl_proxy* device_ = nullptr;
    /// The seat `device_` was made from.
    wl_seat* deviceSeat_ = nullptr;
    TaskHandle seatWatch_;
    bool initialSelectionSeen_ = false;
    /// Answered once the compositor has sent what a new device hears first. wlroots announces
    /// the selection even when there is none; KWin only when there is one, so a first
    /// announcement after this is a copy.
    wl_callback* deviceSettled_ = nullptr;
    /// Offers introduced and not yet named as a selection, with the types they list.
    std::map<wl_proxy*, std::vector<std::string>> introduced_;
    std::deque<Read> reads_;

    std::int64_t changeCount_ = 0;
    std::shared_ptr<const Contents> snapshot_;
    std::function<void(const PasteboardChange&)> onChange_;

    std::shared_ptr<Contents> own_;
    bool writePending_ = false;
    wl_proxy* source_ = nullptr;
    /// Our selections the compositor has yet to announce back to us.
    int ownEchoes_ = 0;
    /// A wipe asked for while others' copies were still being read.
    bool wipeAfterReads_ = false;
    /// The source in use and its contents, as the sources' thread reads them.
    struct Served {
        std::mutex mutex;
        wl_proxy* source = nullptr;
        std::shared_ptr<const Contents> contents;
    } served_;
    std::unique_ptr<WaylandEventThread> sources_;
    /// The selection before the newest, whose it was, and since when.
    struct Previous {
        std::shared_ptr<const Contents> contents;
        bool ours = false;
        std::chrono::steady_clock::time_point at;
    } previous_;
    /// What we put on the clipboard last is offered by another client (a clipboard manager).
    bool stagedHeldElsewhere_ = false;
    /// The last write was a wipe: our contents showing up again are put away once more.
    bool wiped_ = false;
    WaylandSourceServer server_;
    EndOfTurnTask commit_{mainQueue_, [this] { commitWrite(); }};
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tovra
