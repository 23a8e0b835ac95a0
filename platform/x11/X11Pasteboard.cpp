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

using x11::clipboardTargets;
using x11::latin1ToUtf8;

// A clipboard manager takes what we stage within moments; later equal contents are a new copy.
constexpr std::chrono::milliseconds stagedRecognitionWindow{1500};
constexpr std::uint32_t wholeProperty = 0x1FFFFFFF;  // in 32-bit units: everything there is

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

struct X11Pasteboard::Read {
    std::uint64_t id = 0;
    ReadReason reason = ReadReason::initial;
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    bool gotTargets = false;
    std::vector<std::pair<std::string_view, xcb_atom_t>> wanted;  // (type, target)
    std::size_t nextWanted = 0;
    std::string_view type;
    xcb_atom_t target = XCB_ATOM_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;
    bool incremental = false;
    Bytes incrementalData;
    std::size_t budget = 0;
    std::size_t budgetUsed = 0;
    Contents contents;
    TaskHandle deadline;

    [[nodiscard]] std::size_t remainingBudget() const { return budget - budgetUsed; }
};

X11Pasteboard::X11Pasteboard(X11Connection& connection, MainQueue& mainQueue, Options options)
    : connection_(connection),
      mainQueue_(mainQueue),
      options_(options),
      window_(connection.get(), connection.root(), XCB_EVENT_MASK_PROPERTY_CHANGE),
      clipboard_(connection.atom("CLIPBOARD")),
      snapshot_(std::make_shared<Contents>()) {
    std::string error;
    owner_ = X11SelectionOwner::start(connection.displayName(), options.serveStep, error);
    subscription_ = connection_.subscribe([this](const xcb_generic_event_t& e) { handleEvent(e); });
    xcb_connection_t* c = connection_.get();
    if (connection_.xfixesFirstEvent() != 0) {
        xcb_xfixes_select_selection_input(
            c, window_, clipboard_,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    // Know what is there now, so a later re-read can tell whether anything changed.
    XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard_), nullptr));
    if (owner && owner->owner != XCB_WINDOW_NONE) {
        startRead(ReadReason::initial, XCB_CURRENT_TIME);
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

bool X11Pasteboard::ownsSelection() const {
    return owner_ && owner_->owns();
}

void X11Pasteboard::recheck() {
    if (ownsSelection() || read_ || writePending_) {
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
            onSelectionNotify(reinterpret_cast<const xcb_selection_notify_event_t&>(event));
            break;
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (notify.window == window_ && read_ && read_->incremental &&
                notify.atom == read_->property && notify.state == XCB_PROPERTY_NEW_VALUE) {
                onReadPropertyNewValue();
            }
            break;
        }
        default:
            break;
    }
}

void X11Pasteboard::onOwnerChanged(xcb_window_t owner, xcb_timestamp_t time) {
    if (owner_ && owner == owner_->window()) {
        return;  // our own write, counted when it was made
    }
    read_.reset();
    if (owner == XCB_WINDOW_NONE) {
        // Our own release was counted by the clear that asked for it; an owner that went away
        // leaves an empty clipboard.
        const bool ours = !ownsSelection() && own_ == nullptr && snapshot_->empty();
        stagedHeldElsewhere_ = false;
        if (!ours) {
            snapshot_ = std::make_shared<Contents>();
            ++changeCount_;
        }
        return;
    }
    startRead(ReadReason::ownerChanged, time);
    connection_.flush();
}

xcb_atom_t X11Pasteboard::nextReadProperty() {
    // A fresh property per transfer, from a small rotating set (atoms live as long as the server).
    return connection_.atom("_TOVRA_SELECTION_" + std::to_string(readSequence_ % 8));
}

void X11Pasteboard::startRead(ReadReason reason, xcb_timestamp_t time) {
    read_ = std::make_unique<Read>();
    read_->id = ++readSequence_;
    read_->reason = reason;
    read_->budget = options_.maxBytes;
    read_->time = time;
    read_->target = connection_.atom("TARGETS");
    read_->property = nextReadProperty();
    xcb_convert_selection(connection_.get(), window_, clipboard_, read_->target, read_->property,
                          time);
    armReadDeadline();
}

void X11Pasteboard::armReadDeadline() {
    const std::uint64_t id = read_->id;
    read_->deadline = mainQueue_.after(options_.readStep, [this, id] {
        if (!read_ || read_->id != id) {
            return;
        }
        // The owner did not answer in time: give up this step and go on without it.
        read_->incremental = false;
        read_->incrementalData.clear();
        if (!read_->gotTargets) {
            finishRead();
        } else {
            requestNext();
        }
        connection_.flush();
    });
}

void X11Pasteboard::requestNext() {
    Read& read = *read_;
    if (read.nextWanted >= read.wanted.size()) {
        finishRead();
        return;
    }
    const auto [type, target] = read.wanted[read.nextWanted++];
    read.type = type;
    read.target = target;
    ++readSequence_;
    read.property = nextReadProperty();
    xcb_convert_selection(connection_.get(), window_, clipboard_, target, read.property, read.time);
    armReadDeadline();
}

void X11Pasteboard::onSelectionNotify(const xcb_selection_notify_event_t& event) {
    if (!read_ || event.requestor != window_ || event.selection != clipboard_ ||
        event.target != read_->target) {
        return;
    }
    Read& read = *read_;
    xcb_connection_t* c = connection_.get();

    if (event.property == XCB_ATOM_NONE) {
        if (!read.gotTargets) {
            // An owner that lists no targets may still convert to text.
            read.gotTargets = true;
            read.wanted = {{pasteboardType::string, connection_.atom("UTF8_STRING")}};
        }
        requestNext();
        connection_.flush();
        return;
    }
    if (event.property != read.property) {
        return;
    }

    // Size first: nothing over the budget is ever copied out of the server.
    XcbReply<xcb_get_property_reply_t> probe(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window_, read.property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    connection_.scheduleDispatch();
    if (!probe) {
        requestNext();
        return;
    }

    if (!read.gotTargets) {
        read.gotTargets = true;
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 1, window_, read.property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
            nullptr));
        if (reply && reply->format == 32) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
            const int count = xcb_get_property_value_length(reply.get()) / 4;
            const std::vector<xcb_atom_t> offered(atoms, atoms + count);
            for (const std::string_view type : capturedTypes) {
                for (const auto& name : clipboardTargets) {
                    if (name.type != type) {
                        continue;
                    }
                    const xcb_atom_t atom = connection_.atom(name.target);
                    if (std::find(offered.begin(), offered.end(), atom) != offered.end()) {
                        read.wanted.emplace_back(type, atom);
                        break;
                    }
                }
            }
        }
        requestNext();
        connection_.flush();
        return;
    }

    if (probe->type == connection_.atom("INCR")) {
        XcbReply<xcb_get_property_reply_t> size(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window_, read.property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
            nullptr));
        std::uint32_t announced = 0;
        if (size && size->format == 32 && xcb_get_property_value_length(size.get()) >= 4) {
            std::memcpy(&announced, xcb_get_property_value(size.get()), 4);
        }
        if (announced > read.remainingBudget()) {
            requestNext();  // the announced size is a lower bound: it can only be larger
        } else {
            read.incremental = true;
            read.incrementalData.clear();
            // Deleting the property asks the owner for the first chunk.
            xcb_delete_property(c, window_, read.property);
            armReadDeadline();
        }
        connection_.flush();
        return;
    }

    const std::size_t size = probe->bytes_after;
    if (probe->format != 8 || size == 0 || size > read.remainingBudget()) {
        xcb_delete_property(c, window_, read.property);
        requestNext();
        connection_.flush();
        return;
    }
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c,
        xcb_get_property(c, 1, window_, read.property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                         static_cast<std::uint32_t>((size + 3) / 4)),
        nullptr));
    if (reply && reply->format == 8 &&
        static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) == size) {
        const std::string_view bytes(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                     size);
        const bool latin1 = read.target == connection_.atom("STRING");
        read.contents.push_back(
            {std::string(read.type), latin1 ? latin1ToUtf8(bytes) : Bytes(bytes)});
        read.budgetUsed += size;
        secureZero(xcb_get_property_value(reply.get()), size);
    }
    requestNext();
    connection_.flush();
}

void X11Pasteboard::onReadPropertyNewValue() {
    Read& read = *read_;
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_property_reply_t> chunk(xcb_get_property_reply(
        c,
        xcb_get_property(c, 1, window_, read.property, XCB_GET_PROPERTY_TYPE_ANY, 0, wholeProperty),
        nullptr));
    connection_.scheduleDispatch();
    const std::size_t length =
        chunk ? static_cast<std::size_t>(xcb_get_property_value_length(chunk.get())) : 0;
    if (!chunk || (length > 0 && chunk->format != 8)) {
        read.incremental = false;
        read.incrementalData.clear();
        requestNext();
    } else if (length == 0) {
        read.incremental = false;
        if (!read.incrementalData.empty()) {
            read.budgetUsed += read.incrementalData.size();
            read.contents.push_back({std::string(read.type), std::move(read.incrementalData)});
        }
        read.incrementalData = Bytes();
        requestNext();
    } else if (length > read.remainingBudget() - read.incrementalData.size()) {
        // Over budget: stop here; the owner's transfer runs into its own timeout.
        read.incremental = false;
        read.incrementalData.clear();
        secureZero(xcb_get_property_value(chunk.get()), length);
        requestNext();
    } else {
        read.incrementalData.append(std::string_view(
            static_cast<const char*>(xcb_get_property_value(chunk.get())), length));
        secureZero(xcb_get_property_value(chunk.get()), length);
        armReadDeadline();
    }
    connection_.flush();
}

void X11Pasteboard::finishRead() {
    auto read = std::move(read_);
    auto contents = std::make_shared<Contents>(std::move(read->contents));
    const bool recentlyStaged =
        lastStaged_ && mainQueue_.now() - lastStagedAt_ < stagedRecognitionWindow;
    switch (read->reason) {
        case ReadReason::initial:
            snapshot_ = std::move(contents);
            return;
        case ReadReason::ownerChanged:
            // A clipboard manager taking over what we just staged is no copy of the user's.
            stagedHeldElsewhere_ = recentlyStaged && isPartOf(*contents, *lastStaged_);
            snapshot_ = std::move(contents);
            if (!stagedHeldElsewhere_) {
                ++changeCount_;
            }
            return;
        case ReadReason::recheck:
            if (*contents != *snapshot_) {
                snapshot_ = std::move(contents);
                stagedHeldElsewhere_ = false;
                ++changeCount_;
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
    for (auto& representation : *own_) {
        if (representation.type == type) {
            representation.data = std::move(data);
            return true;
        }
    }
    own_->push_back({std::string(type), std::move(data)});
    return true;
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
        read_.reset();
        std::shared_ptr<const Contents> contents = own_;
        if (owner_->own(contents, connection_.serverTime(window_))) {
            snapshot_ = contents;
            lastStaged_ = contents;
            lastStagedAt_ = mainQueue_.now();
            stagedHeldElsewhere_ = false;
        }
    } else {
        own_.reset();
        if (owner_->owns()) {
            if (owner_->release()) {
                snapshot_ = std::make_shared<Contents>();
            }
        } else if (stagedHeldElsewhere_) {
            // A clipboard manager holds what we staged: take it back and let it go.
            owner_->own(std::make_shared<Contents>(), connection_.serverTime(window_));
            owner_->release();
            stagedHeldElsewhere_ = false;
            snapshot_ = std::make_shared<Contents>();
        }
    }
    connection_.flush();
    connection_.scheduleDispatch();
}

}  // namespace tovra
