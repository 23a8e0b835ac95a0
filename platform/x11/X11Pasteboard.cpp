#include "X11Pasteboard.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "Tovra/base/PasteboardTypes.h"
#include "Tovra/base/Utf8.h"
#include "X11ClipboardTargets.h"
#include "X11Connection.h"
#include "X11SelectionOwner.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {

// A clipboard manager takes what we stage within moments; later equal contents are a new copy.
constexpr std::chrono::milliseconds stagedRecognitionWindow{1500};

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
      reader_(connection, mainQueue, window_, clipboard_, {options.maxBytes, options.readStep}) {
    std::string error;
    owner_ = X11SelectionOwner::start(connection.displayName(), options.serveStep, error,
                                      [this, &mainQueue, alive = std::weak_ptr<bool>(alive_)](
                                          xcb_window_t requestor, std::uint64_t generation) {
                                          // On the serving thread: hand it to the main loop, where
                                          // the watch lives.
                                          mainQueue.post([this, alive, requestor, generation] {
                                              if (const auto stillAlive = alive.lock();
                                                  stillAlive && *stillAlive) {
                                                  onDataRequested(requestor, generation);
                                              }
                                          });
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
    const Contents& contents = writePending_ ? *own_ : *snapshot_;
    const ClipboardRepresentation* text = find(contents, pasteboardType::string);
    if (text == nullptr || !unicode::isValidUtf8(text->data.view())) {
        return std::nullopt;
    }
    return text->data;
}

std::optional<Bytes> X11Pasteboard::data(std::string_view type) {
    const Contents& contents = writePending_ ? *own_ : *snapshot_;
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
        xcb_connection_t* c = connection_.get();
        XcbReply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard_), nullptr));
        connection_.scheduleDispatch();
        if (owner && owner->owner != XCB_WINDOW_NONE) {
            startRead(ReadReason::initial, XCB_CURRENT_TIME);
            connection_.flush();
        }
    }
    return true;
}

bool X11Pasteboard::watchPasteDelivery(std::chrono::milliseconds window,
                                       std::function<void(PasteDelivery)> report) {
    if (!owner_ || (!writePending_ && !owner_->owns())) {
        return false;
    }
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    connection_.scheduleDispatch();
    if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT) {
        return false;  // no window to tell the target's requests by
    }
    endDeliveryWatch(std::nullopt);
    DeliveryWatch watch;
    watch.report = std::move(report);
    watch.focus = focus->focus;
    watch.window = window;
    if (!writePending_) {
        watch.generation = owner_->generation();
        watch.deadline = mainQueue_.after(window, [this] { onDeliveryDeadline(); });
    }
    deliveryWatch_ = std::move(watch);
    return true;
}

void X11Pasteboard::onDataRequested(xcb_window_t requestor, std::uint64_t generation) {
    const bool watched = deliveryWatch_ && deliveryWatch_->generation == generation;
    const bool staged = stagedFocus_ && generation == stagedGeneration_;
    if (!watched && (!staged || othersReadStaged_)) {
        return;
    }
    // The watch's window and the staging's are the same window when both are known.
    const xcb_window_t focus = watched ? deliveryWatch_->focus : *stagedFocus_;
    const bool pasting = connection_.sameApplication(requestor, focus);
    if (!pasting && staged) {
        othersReadStaged_ = true;
    }
    if (!watched || !pasting) {
        return;
    }
    // Reported even after "not requested": a late request takes the item out again.
    auto report = std::move(deliveryWatch_->report);
    deliveryWatch_.reset();
    report(PasteDelivery::requested);
}

void X11Pasteboard::onDeliveryDeadline() {
    if (!deliveryWatch_) {
        return;
    }
    if (owner_->owns() && deliveryWatch_->generation == owner_->generation()) {
        // Still ours and nobody asked; a late request may still come.
        deliveryWatch_->reportedNotRequested = true;
        const auto report = deliveryWatch_->report;
        report(PasteDelivery::notRequested);
        return;
    }
    endDeliveryWatch(PasteDelivery::takenElsewhere);
}

void X11Pasteboard::endDeliveryWatch(std::optional<PasteDelivery> outcome) {
    if (!deliveryWatch_) {
        return;
    }
    auto watch = std::move(*deliveryWatch_);
    deliveryWatch_.reset();
    if (outcome && !watch.reportedNotRequested) {
        watch.report(*outcome);
    }
}

void X11Pasteboard::countForeignChange() {
    ++changeCount_;
    if (onChange_) {
        // A copy of the handler: it may stop the observation.
        const auto onChange = onChange_;
        onChange({changeCount_, snapshot_});
    }
}

void X11Pasteboard::recheck() {
    if (!onChange_ || ownsSelection() || reader_.isReading() || writePending_) {
        return;
    }
    startRead(ReadReason::recheck, XCB_CURRENT_TIME);
    connection_.flush();
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
    switch (type) {
        case XCB_SELECTION_NOTIFY:
        case XCB_PROPERTY_NOTIFY:
            reader_.handle(event);
            break;
        default:
            break;
    }
}

void X11Pasteboard::onOwnerChanged(xcb_window_t owner, xcb_timestamp_t time) {
    if (owner_ && owner == owner_->window()) {
        return;  // our own write, counted when it was made
    }
    // Someone else holds it now: it may serve the paste for us.
    endDeliveryWatch(PasteDelivery::takenElsewhere);
    reader_.cancel();
    if (owner == XCB_WINDOW_NONE) {
        // Our own release was counted by the clear that asked for it; an owner that went away
        // leaves an empty clipboard.
        const bool ours = !ownsSelection() && own_ == nullptr && snapshot_->empty();
        stagedHeldElsewhere_ = false;
        if (!ours) {
            snapshot_ = std::make_shared<Contents>();
            countForeignChange();
        }
        return;
    }
    if (!onChange_) {
        // Nobody listens: others' copies are not read. Ours it is not any more.
        stagedHeldElsewhere_ = false;
        snapshot_ = std::make_shared<Contents>();
        ++changeCount_;
        return;
    }
    startRead(ReadReason::ownerChanged, time);
    connection_.flush();
}

void X11Pasteboard::startRead(ReadReason reason, xcb_timestamp_t time) {
    reader_.start(time, [this, reason](Contents contents) {
        finishRead(reason, std::make_shared<Contents>(std::move(contents)));
    });
}

void X11Pasteboard::finishRead(ReadReason reason, std::shared_ptr<const Contents> contents) {
    const bool recentlyStaged =
        lastStaged_ && mainQueue_.now() - lastStagedAt_ < stagedRecognitionWindow;
    switch (reason) {
        case ReadReason::initial:
            snapshot_ = std::move(contents);
            return;
        case ReadReason::ownerChanged:
            // A clipboard manager taking over what we just staged is no copy of the user's.
            stagedHeldElsewhere_ = recentlyStaged && isPartOf(*contents, *lastStaged_);
            snapshot_ = std::move(contents);
            if (!stagedHeldElsewhere_) {
                countForeignChange();
            }
            return;
        case ReadReason::recheck:
            // An owner too slow to answer this time has not changed anything.
            if (!contents->empty() && *contents != *snapshot_) {
                snapshot_ = std::move(contents);
                stagedHeldElsewhere_ = false;
                countForeignChange();
            }
            return;
    }
}

// ---- Writing -------------------------------------------------------------------------------

void X11Pasteboard::clearContents() {
    own_ = std::make_shared<Contents>();
    writePending_ = true;
    ++changeCount_;
    // What follows in this turn (the types of one write) is committed as one ownership change.
    if (!commitScheduled_) {
        commitScheduled_ = true;
        mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_)] {
            if (const auto stillAlive = alive.lock(); stillAlive && *stillAlive) {
                commitWrite();
            }
        });
    }
}

bool X11Pasteboard::setString(std::string_view text, std::string_view type) {
    return setData(Bytes(text), type);
}

bool X11Pasteboard::setData(Bytes data, std::string_view type) {
    if (!writePending_) {
        return false;  // only right after our own clear, as owner
    }
    putRepresentation(*own_, type, std::move(data));
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
    commitScheduled_ = false;
    if (!writePending_) {
        return;
    }
    writePending_ = false;
    if (!owner_) {
        own_.reset();
        return;
    }
    if (!own_->empty()) {
        reader_.cancel();
        std::shared_ptr<const Contents> contents = own_;
        const auto keystroke = heldKeystrokeTime_ ? heldKeystrokeTime_() : std::nullopt;
        if (takeOwnership(contents, keystroke)) {
            stagedGeneration_ = owner_->generation();
            stagedFocus_ = deliveryWatch_ ? std::optional(deliveryWatch_->focus) : std::nullopt;
            if (deliveryWatch_ && !deliveryWatch_->generation) {
                // The watch asked for before this commit is for these contents.
                deliveryWatch_->generation = owner_->generation();
                deliveryWatch_->deadline =
                    mainQueue_.after(deliveryWatch_->window, [this] { onDeliveryDeadline(); });
            } else {
                endDeliveryWatch(std::nullopt);  // a newer write
            }
            snapshot_ = contents;
            lastStaged_ = contents;
            lastStagedAt_ = mainQueue_.now();
            stagedHeldElsewhere_ = false;
        }
    } else {
        own_.reset();
        endDeliveryWatch(std::nullopt);  // wiped: nothing to wait for
        lastStaged_.reset();             // and nothing of it kept here
        if (owner_->owns() || stagedHeldElsewhere_) {
            // Ours, or what we staged held by a clipboard manager: take it back and let it go.
            stagedHeldElsewhere_ = false;
            if (othersReadStaged_) {
                holdEmptyText();
            } else if (!owner_->owns()) {
                owner_->own(std::make_shared<Contents>(), connection_.serverTime(window_));
                owner_->release();
                snapshot_ = std::make_shared<Contents>();
            } else if (owner_->release()) {
                snapshot_ = std::make_shared<Contents>();
            }
        }
    }
    connection_.flush();
    connection_.scheduleDispatch();
}

void X11Pasteboard::holdEmptyText() {
    snapshot_ = std::make_shared<Contents>();
    auto empty = std::make_shared<Contents>(
        Contents{{std::string(pasteboardType::string), Bytes(std::string_view())}});
    owner_->own(std::move(empty), connection_.serverTime(window_));
    connection_.flush();
}

}  // namespace tovra
