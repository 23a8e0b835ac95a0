#include "X11Pasteboard.h"

#include <xcb/xfixes.h>

#include <algorithm>

#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/base/Utf8.h"
#include "X11ClipboardTargets.h"
#include "X11Connection.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {

// A clipboard manager takes what we stage within moments; later equal contents are a new copy.
constexpr std::chrono::milliseconds stagedRecognitionWindow{1500};
// Two reads of one write this far apart come from a client that looks at every change.
constexpr std::chrono::milliseconds pollingGap{250};

const ClipboardRepresentation* find(const X11Pasteboard::Contents& contents,
                                    std::string_view type) {
    for (const auto& representation : contents) {
        if (representation.type == type) {
            return &representation;
        }
    }
    return nullptr;
}

/// Every representation read back is one we staged, byte for byte.
bool isPartOf(const X11Pasteboard::Contents& read, const X11Pasteboard::Contents& staged) {
    return !read.empty() && std::all_of(read.begin(), read.end(), [&](const auto& r) {
        const ClipboardRepresentation* mine = find(staged, r.type);
        return mine != nullptr && mine->data == r.data;
    });
}

}  // namespace

X11Pasteboard::X11Pasteboard(X11Connection& connection, MainQueue& mainQueue, Options options)
    : connection_(connection),
      mainQueue_(mainQueue),
      options_(options),
      window_(connection.get(), connection.root(), XCB_EVENT_MASK_PROPERTY_CHANGE),
      clipboard_(connection.atom("CLIPBOARD")),
      snapshot_(std::make_shared<Contents>()),
      reader_(connection, mainQueue, clipboard_,
              {options.maxBytes, options.readStep, options.readTotal}) {
    std::string error;
    owner_ = X11SelectionOwner::start(
        connection, options.serveStep, error,
        [this, alive = std::weak_ptr<bool>(alive_)](const X11SelectionOwner::ServedRequest& s) {
            // On the serving thread: the main loop looks at these in order, in one turn.
            bool first = false;
            {
                std::lock_guard lock(servedMutex_);
                first = served_.empty();
                served_.push_back(s);
            }
            if (first) {
                mainQueue_.post([this, alive] {
                    if (const auto stillAlive = alive.lock(); stillAlive && *stillAlive) {
                        takeServedRequests();
                    }
                });
            }
        });
    subscription_ = connection_.subscribe([this](const xcb_generic_event_t& e) { handleEvent(e); });
    xcb_connection_t* c = connection_.get();
    if (connection_.xfixesFirstEvent() != 0) {
        xcb_xfixes_select_selection_input(
            c, window_, clipboard_,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    connection_.flush();
    connection_.scheduleDispatch();
}

X11Pasteboard::~X11Pasteboard() {
    // A wipe asked for just before quitting must still happen.
    commitWrite();
    *alive_ = false;
    owner_.reset();
}

// ---- Reading -------------------------------------------------------------------------------

std::optional<Bytes> X11Pasteboard::string() {
    const Contents& contents = pending_ ? *pending_ : *snapshot_;
    const ClipboardRepresentation* text = find(contents, pasteboardType::string);
    if (text == nullptr || !unicode::isValidUtf8(text->data.view())) {
        return std::nullopt;
    }
    return text->data;
}

std::optional<Bytes> X11Pasteboard::data(std::string_view type) {
    const Contents& contents = pending_ ? *pending_ : *snapshot_;
    const ClipboardRepresentation* representation = find(contents, type);
    if (representation == nullptr) {
        return std::nullopt;
    }
    return representation->data;
}

std::size_t X11Pasteboard::transfersInProgress() const {
    return owner_ ? owner_->transfersInProgress() : 0;
}

bool X11Pasteboard::ownsSelection() const {
    return owner_ && owner_->owns();
}

bool X11Pasteboard::observeChanges(std::function<void(const PasteboardChange&)> onChange) {
    if (connection_.xfixesFirstEvent() == 0) {
        return false;
    }
    const bool starting = !onChange_ && onChange;
    onChange_ = std::move(onChange);
    if (!onChange_) {
        // Nobody listens: nothing of others' is read or kept.
        reader_.cancel();
        snapshot_ = std::make_shared<Contents>();
        return true;
    }
    if (starting && !ownsSelection()) {
        // Know what is there now, so a later re-read can tell whether anything changed.
        startRead(ReadReason::initial, std::nullopt, XCB_CURRENT_TIME);
    }
    return true;
}

void X11Pasteboard::recheck() {
    if (!onChange_ || ownsSelection() || reader_.isReading() || pending_) {
        return;
    }
    startRead(ReadReason::recheck, std::nullopt, XCB_CURRENT_TIME);
}

void X11Pasteboard::countForeignChange() {
    ++changeCount_;
    if (onChange_) {
        // A copy of the handler: it may stop the observation.
        const auto onChange = onChange_;
        onChange({changeCount_, snapshot_});
    }
}

void X11Pasteboard::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    const std::uint8_t xfixesNotify = connection_.xfixesFirstEvent() + XCB_XFIXES_SELECTION_NOTIFY;
    if (connection_.xfixesFirstEvent() != 0 && type == xfixesNotify) {
        const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
        if (notify.selection == clipboard_) {
            const bool set = notify.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
            onOwnerChanged(set ? notify.owner : xcb_window_t{XCB_WINDOW_NONE},
                           notify.selection_timestamp);
        }
        return;
    }
    if (type == XCB_SELECTION_NOTIFY || type == XCB_PROPERTY_NOTIFY) {
        reader_.handle(event);
    }
}

void X11Pasteboard::onOwnerChanged(xcb_window_t owner, xcb_timestamp_t time) {
    if (owner_ && owner == owner_->window()) {
        return;  // our own write, counted when it was made
    }
    takeServedRequests();
    if (staging_) {
        // Someone else holds it now: it may serve the paste for us.
        staging_->endWatch(PasteDelivery::takenElsewhere);
    }
    if (owner == XCB_WINDOW_NONE) {
        // Our own release was counted by the clear that asked for it; an owner that went away
        // (a clipboard manager holding our item among them) leaves an empty clipboard.
        const bool ours = !ownsSelection() && !pending_ && snapshot_->empty();
        if (staging_ && staging_->heldElsewhere) {
            staging_.reset();
        }
        if (!ours) {
            snapshot_ = std::make_shared<Contents>();
            countForeignChange();
        }
        return;
    }
    if (!onChange_) {
        // Nobody listens: others' copies are not read. Ours it is not any more.
        staging_.reset();
        snapshot_ = std::make_shared<Contents>();
        ++changeCount_;
        return;
    }
    startRead(ReadReason::ownerChanged, owner, time);
}

void X11Pasteboard::startRead(ReadReason reason, std::optional<xcb_window_t> owner,
                              xcb_timestamp_t time) {
    const auto staged = staging_ ? std::optional(staging_->generation) : std::nullopt;
    reader_.start(owner, time, [this, reason, staged](Contents contents, xcb_window_t readFrom) {
        auto read = std::make_shared<Contents>(std::move(contents));
        if (reason == ReadReason::ownerChanged && staging_ && staged == staging_->generation &&
            !ownsSelection()) {
            // A clipboard manager taking over what we just staged is no copy of the user's.
            if (mainQueue_.now() - staging_->at < stagedRecognitionWindow &&
                isPartOf(*read, *staging_->contents)) {
                staging_->heldElsewhere = true;
                knownReaders_.insert(readerOf(readFrom));
                snapshot_ = std::move(read);
                snapshotOwner_ = readFrom;
                return;
            }
            staging_.reset();
        }
        finishRead(reason, std::move(read), readFrom);
    });
    connection_.flush();
}

void X11Pasteboard::finishRead(ReadReason reason, std::shared_ptr<const Contents> contents,
                               xcb_window_t owner) {
    switch (reason) {
        case ReadReason::initial:
            snapshot_ = std::move(contents);
            snapshotOwner_ = owner;
            return;
        case ReadReason::ownerChanged:
            // The user's copy: what a clipboard manager would put back now is theirs.
            othersReadSinceCopy_ = false;
            snapshot_ = std::move(contents);
            snapshotOwner_ = owner;
            countForeignChange();
            return;
        case ReadReason::recheck:
            // An owner too slow to answer this time has not changed anything, and one that is
            // new since the last copy was read is told of by its own change.
            if (owner == snapshotOwner_ && !contents->empty() && *contents != *snapshot_) {
                snapshot_ = std::move(contents);
                othersReadSinceCopy_ = false;
                countForeignChange();
            }
            return;
    }
}

// ---- Writing -------------------------------------------------------------------------------

void X11Pasteboard::clearContents() {
    pending_ = std::make_shared<Contents>();
    ++changeCount_;
    // What follows in this turn (the types of one write) is committed as one ownership change.
    commit_.schedule();
}

bool X11Pasteboard::setString(std::string_view text, std::string_view type) {
    return setData(Bytes(text), type);
}

bool X11Pasteboard::setData(Bytes data, std::string_view type) {
    if (!pending_) {
        return false;  // only right after our own clear, as owner
    }
    putRepresentation(*pending_, type, std::move(data));
    return true;
}

void X11Pasteboard::commitPendingWrites() {
    commitWrite();
    if (owner_) {
        owner_->sync();
    }
}

bool X11Pasteboard::publishWrites() {
    commitWrite();
    return true;
}

bool X11Pasteboard::takeOwnership(std::shared_ptr<const Contents> contents,
                                  std::optional<xcb_timestamp_t> keystroke) {
    // The server ignores an ownership older than the current one without telling us, and we
    // release with the time we owned with: take the keystroke's time only when it is newer than
    // our own last ownership, and a fresh time when another client owns since the keystroke.
    // Either way the keystroke's own requests are served.
    const auto ownedSince = owner_->ownedSince();
    if (keystroke && (!ownedSince || x11::isEarlier(*ownedSince, *keystroke)) &&
        owner_->own(contents, *keystroke)) {
        return true;
    }
    return owner_->own(std::move(contents), connection_.serverTime(window_), keystroke);
}

void X11Pasteboard::commitWrite() {
    if (!pending_) {
        return;
    }
    std::shared_ptr<const Contents> contents = std::move(pending_);
    pending_.reset();
    auto watch = std::exchange(pendingWatch_, std::nullopt);
    // What the previous write's readers did is known before it is replaced.
    takeServedRequests();
    if (staging_) {
        staging_->endWatch(PasteDelivery::notRequested);  // replaced before anyone asked
    }
    if (!owner_) {
        staging_.reset();
        return;
    }
    if (contents->empty()) {
        wipe();
    } else {
        const auto keystroke = heldKeystrokeTime_ ? heldKeystrokeTime_() : std::nullopt;
        if (takeOwnership(contents, keystroke)) {
            X11Staging staging;
            staging.contents = contents;
            staging.generation = owner_->generation();
            staging.at = mainQueue_.now();
            if (watch) {
                staging.pasting.push_back(watch->first);
                staging.watch = std::move(watch->second);
                staging.watch->deadline =
                    mainQueue_.after(staging.watch->window, [this] { onDeliveryDeadline(); });
            } else if (const auto focus = keystroke ? focusedWindow() : std::nullopt) {
                staging.pasting.push_back(*focus);  // a burst: pasted by a key, not watched
            }
            staging_ = std::move(staging);
            snapshot_ = std::move(contents);
        } else {
            staging_.reset();
            if (watch && watch->second.report) {
                watch->second.report(PasteDelivery::notRequested);  // never on the clipboard
            }
        }
    }
    connection_.flush();
    connection_.scheduleDispatch();
}

void X11Pasteboard::wipe() {
    const bool ours = staging_ && (owner_->owns() || staging_->heldElsewhere);
    const bool held = ours && staging_->heldElsewhere;
    staging_.reset();  // and nothing of it kept here
    if (!ours) {
        return;
    }
    if (othersReadSinceCopy_ || held) {
        // A clipboard manager read it, and puts its last text back whenever the clipboard is
        // left without an owner.
        holdEmptyText();
    } else if (owner_->release()) {
        snapshot_ = std::make_shared<Contents>();
    }
}

void X11Pasteboard::holdEmptyText() {
    snapshot_ = std::make_shared<Contents>();
    auto empty = std::make_shared<Contents>(
        Contents{{std::string(pasteboardType::string), Bytes(std::string_view())}});
    owner_->own(std::move(empty), connection_.serverTime(window_));
    connection_.flush();
}

// ---- Deliveries ----------------------------------------------------------------------------

std::optional<xcb_window_t> X11Pasteboard::focusedWindow() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    connection_.scheduleDispatch();
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT) {
        return std::nullopt;
    }
    return focus->focus;
}

bool X11Pasteboard::watchPasteDelivery(std::chrono::milliseconds window,
                                       std::function<void(PasteDelivery)> report) {
    takeServedRequests();
    const bool stagedNow =
        staging_ && ownsSelection() && owner_->generation() == staging_->generation;
    if (!pending_ && !stagedNow) {
        return false;
    }
    const auto focus = focusedWindow();
    if (!focus) {
        return false;  // no window to tell the pasting application's requests by
    }
    X11Staging::Watch watch{std::move(report), window, TaskHandle(), false, false, TaskHandle()};
    if (pending_) {
        pendingWatch_.emplace(*focus, std::move(watch));
        return true;
    }
    // Pasted again before anyone asked for it: either paste may take it.
    if (std::find(staging_->pasting.begin(), staging_->pasting.end(), *focus) ==
        staging_->pasting.end()) {
        staging_->pasting.push_back(*focus);
    }
    watch.deadline = mainQueue_.after(window, [this] { onDeliveryDeadline(); });
    staging_->watch = std::move(watch);
    return true;
}

void X11Pasteboard::takeServedRequests() {
    std::vector<X11SelectionOwner::ServedRequest> served;
    {
        std::lock_guard lock(servedMutex_);
        served.swap(served_);
    }
    for (const auto& request : served) {
        onServed(request);
    }
}

std::int64_t X11Pasteboard::readerOf(xcb_window_t window) {
    if (const auto process = connection_.clientProcessId(window)) {
        return *process;
    }
    // Negative, so it never equals a process id.
    return -static_cast<std::int64_t>(window & ~xcb_get_setup(connection_.get())->resource_id_mask);
}

void X11Pasteboard::onServed(const X11SelectionOwner::ServedRequest& served) {
    if (!staging_ || served.generation != staging_->generation) {
        return;  // an earlier write: nobody waits for it any more
    }
    X11Staging& staging = *staging_;
    const bool pasting = std::any_of(
        staging.pasting.begin(), staging.pasting.end(),
        [&](xcb_window_t focus) { return connection_.sameApplication(served.requestor, focus); });
    if (pasting) {
        staging.requestedByPasting = true;
        // Whoever else read it reads every change.
        for (const auto& read : staging.otherReads) {
            knownReaders_.insert(read.reader);
        }
        // Told even after "not requested": a late request takes the item out again. Reading is
        // over once it stops asking.
        if (staging.watch) {
            staging.watch->settling = mainQueue_.after(options_.pasteSettle, [this] {
                if (staging_) {
                    staging_->endWatch(PasteDelivery::doneReading);
                }
            });
            if (!staging.watch->reportedRequested) {
                staging.watch->reportedRequested = true;
                const auto report = staging.watch->report;
                report(PasteDelivery::requested);
            }
        }
        return;
    }
    const std::int64_t reader = readerOf(served.requestor);
    const bool readBefore =
        std::any_of(staging.otherReads.begin(), staging.otherReads.end(), [&](const auto& read) {
            return read.reader == reader && served.at - read.at >= pollingGap;
        });
    if (readBefore || staging.requestedByPasting) {
        knownReaders_.insert(reader);
    }
    staging.otherReads.push_back({reader, served.at});
    othersReadSinceCopy_ = true;
}

bool X11Pasteboard::readByUnknownClient() const {
    return std::any_of(staging_->otherReads.begin(), staging_->otherReads.end(),
                       [&](const auto& read) { return !knownReaders_.contains(read.reader); });
}

void X11Pasteboard::onDeliveryDeadline() {
    takeServedRequests();
    if (!staging_ || !staging_->watch || staging_->watch->reportedNotRequested ||
        staging_->watch->reportedRequested) {
        return;
    }
    if (readByUnknownClient()) {
        // Applications whose clipboard is served by another process of theirs ask from there.
        staging_->watch->reportedRequested = true;
        const auto report = staging_->watch->report;
        report(PasteDelivery::requested);
        staging_->endWatch(PasteDelivery::doneReading);
        return;
    }
    // Still ours and nobody asked; a late request may still come.
    staging_->watch->reportedNotRequested = true;
    const auto report = staging_->watch->report;
    report(PasteDelivery::notRequested);
}

}  // namespace tovra
