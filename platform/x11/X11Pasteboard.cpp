#include "X11Pasteboard.h"

#include <xcb/xfixes.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "Tovra/core/ClipboardPayload.h"
#include "Tovra/core/PasteboardTypes.h"
#include "Tovra/core/UnicodeText.h"
#include "X11Connection.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {

struct TargetName {
    std::string_view type;
    std::string_view target;
};

/// Our pasteboard types as X selection targets, most preferred first for each type.
constexpr std::array<TargetName, 8> targetNames{{
    {pasteboardType::rtf, "text/rtf"},
    {pasteboardType::rtf, "application/rtf"},
    {pasteboardType::html, "text/html"},
    {pasteboardType::string, "UTF8_STRING"},
    {pasteboardType::string, "text/plain;charset=utf-8"},
    {pasteboardType::string, "STRING"},
    {pasteboardType::png, "image/png"},
    {pasteboardType::tiff, "image/tiff"},
}};

constexpr std::size_t maxChunkBytes = 256 * 1024;
// A clipboard manager takes what we stage within moments; later equal contents are a new copy.
constexpr std::chrono::milliseconds stagedRecognitionWindow{1500};
constexpr std::uint32_t wholeProperty = 0x1FFFFFFF;  // in 32-bit units: everything there is

Bytes latin1ToUtf8(std::string_view latin1) {
    Bytes utf8;
    utf8.reserve(latin1.size() + latin1.size() / 4);
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.append(std::string_view(&c, 1));
        } else {
            const char pair[2] = {static_cast<char>(0xC0 | (byte >> 6)),
                                  static_cast<char>(0x80 | (byte & 0x3F))};
            utf8.append(std::string_view(pair, 2));
        }
    }
    return utf8;
}

Bytes utf8ToLatin1(std::string_view utf8) {
    Bytes latin1;
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto point = unicode::codePointAt(utf8, i);
        const char c = point.value <= 0xFF ? static_cast<char>(point.value) : '?';
        latin1.append(std::string_view(&c, 1));
        i = point.boundary;
    }
    return latin1;
}

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
    std::size_t budgetUsed = 0;
    Contents contents;
    TaskHandle deadline;

    [[nodiscard]] std::size_t remainingBudget() const { return maxPayloadBytes - budgetUsed; }
};

struct X11Pasteboard::Transfer {
    std::shared_ptr<const Bytes> bytes;
    xcb_atom_t type = XCB_ATOM_NONE;
    std::size_t offset = 0;
    TaskHandle deadline;
};

X11Pasteboard::X11Pasteboard(X11Connection& connection, MainQueue& mainQueue, Timeouts timeouts)
    : connection_(connection),
      mainQueue_(mainQueue),
      timeouts_(timeouts),
      window_(connection.createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE)),
      clipboard_(connection.atom("CLIPBOARD")),
      snapshot_(std::make_shared<Contents>()) {
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
    xcb_destroy_window(connection_.get(), window_);
    connection_.flush();
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

void X11Pasteboard::recheck() {
    if (owning_ || read_ || writePending_) {
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
        case XCB_SELECTION_REQUEST:
            onSelectionRequest(reinterpret_cast<const xcb_selection_request_event_t&>(event));
            break;
        case XCB_SELECTION_CLEAR: {
            const auto& clear = reinterpret_cast<const xcb_selection_clear_event_t&>(event);
            if (clear.owner == window_ && clear.selection == clipboard_) {
                owning_ = false;
            }
            break;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (notify.window == window_ && read_ && read_->incremental &&
                notify.atom == read_->property && notify.state == XCB_PROPERTY_NEW_VALUE) {
                onReadPropertyNewValue();
            } else if (notify.state == XCB_PROPERTY_DELETE &&
                       transfers_.contains({notify.window, notify.atom})) {
                continueTransfer(notify.window, notify.atom);
            }
            break;
        }
        default:
            break;
    }
}

void X11Pasteboard::onOwnerChanged(xcb_window_t owner, xcb_timestamp_t time) {
    if (owner == window_) {
        return;  // our own write, counted when it was made
    }
    read_.reset();
    if (owner == XCB_WINDOW_NONE) {
        // Our own release was counted by the clear that asked for it; an owner that went away
        // leaves an empty clipboard.
        const bool ours = !owning_ && own_ == nullptr && snapshot_->empty();
        owning_ = false;
        stagedHeldElsewhere_ = false;
        if (!ours) {
            snapshot_ = std::make_shared<Contents>();
            ++changeCount_;
        }
        return;
    }
    owning_ = false;
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
    read_->time = time;
    read_->target = connection_.atom("TARGETS");
    read_->property = nextReadProperty();
    xcb_convert_selection(connection_.get(), window_, clipboard_, read_->target, read_->property,
                          time);
    armReadDeadline();
}

void X11Pasteboard::armReadDeadline() {
    const std::uint64_t id = read_->id;
    read_->deadline = mainQueue_.after(timeouts_.readStep, [this, id] {
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
                for (const auto& name : targetNames) {
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
    xcb_connection_t* c = connection_.get();
    auto currentOwner = [&] {
        XcbReply<xcb_get_selection_owner_reply_t> reply(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard_), nullptr));
        return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
    };

    if (!own_->empty()) {
        read_.reset();
        const xcb_timestamp_t time = connection_.serverTime(window_);
        xcb_set_selection_owner(c, window_, clipboard_, time);
        owning_ = currentOwner() == window_;
        ownTime_ = time;
        snapshot_ = own_;
        lastStaged_ = own_;
        lastStagedAt_ = mainQueue_.now();
        stagedHeldElsewhere_ = false;
    } else {
        own_.reset();
        if (owning_) {
            // Ignored by the server if someone took the selection since: a wipe never erases a
            // copy the user made meanwhile.
            xcb_set_selection_owner(c, XCB_WINDOW_NONE, clipboard_, ownTime_);
            owning_ = currentOwner() == window_;
            if (!owning_) {
                snapshot_ = std::make_shared<Contents>();
            }
        } else if (stagedHeldElsewhere_) {
            // A clipboard manager holds what we staged: take it back and let it go.
            const xcb_timestamp_t time = connection_.serverTime(window_);
            xcb_set_selection_owner(c, window_, clipboard_, time);
            xcb_set_selection_owner(c, XCB_WINDOW_NONE, clipboard_, time);
            stagedHeldElsewhere_ = false;
            snapshot_ = std::make_shared<Contents>();
        }
    }
    connection_.flush();
    connection_.scheduleDispatch();
}

// ---- Serving -------------------------------------------------------------------------------

std::vector<xcb_atom_t> X11Pasteboard::targetsOffered() const {
    std::vector<xcb_atom_t> targets{connection_.atom("TARGETS"), connection_.atom("TIMESTAMP"),
                                    connection_.atom("MULTIPLE")};
    if (own_ == nullptr) {
        return targets;
    }
    for (const auto& representation : *own_) {
        for (const auto& name : targetNames) {
            if (name.type == representation.type) {
                targets.push_back(connection_.atom(name.target));
            }
        }
    }
    return targets;
}

std::shared_ptr<const Bytes> X11Pasteboard::bytesForTarget(xcb_atom_t target) const {
    if (own_ == nullptr) {
        return nullptr;
    }
    for (const auto& name : targetNames) {
        if (connection_.atom(name.target) != target) {
            continue;
        }
        const ClipboardRepresentation* representation = find(*own_, name.type);
        if (representation == nullptr) {
            return nullptr;
        }
        if (name.target == "STRING") {
            return std::make_shared<const Bytes>(utf8ToLatin1(representation->data.view()));
        }
        // Shares the owned contents: a newer write does not pull bytes from under a transfer.
        return std::shared_ptr<const Bytes>(own_, &representation->data);
    }
    return nullptr;
}

void X11Pasteboard::onSelectionRequest(const xcb_selection_request_event_t& event) {
    xcb_connection_t* c = connection_.get();
    const bool valid = event.owner == window_ && event.selection == clipboard_ && owning_ &&
                       (event.time == XCB_CURRENT_TIME || event.time >= ownTime_);
    if (!valid) {
        sendNotify(event, XCB_ATOM_NONE);
        return;
    }
    // Clients that name no property get the target as property.
    const xcb_atom_t property = event.property == XCB_ATOM_NONE ? event.target : event.property;

    if (event.target == connection_.atom("MULTIPLE")) {
        if (event.property == XCB_ATOM_NONE) {
            sendNotify(event, XCB_ATOM_NONE);
            return;
        }
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c,
            xcb_get_property(c, 0, event.requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr));
        connection_.scheduleDispatch();
        if (!reply || reply->format != 32) {
            sendNotify(event, XCB_ATOM_NONE);
            return;
        }
        const auto* begin = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        std::vector<xcb_atom_t> pairs(begin,
                                      begin + xcb_get_property_value_length(reply.get()) / 4);
        for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
            if (!convertFor(event.requestor, pairs[i], pairs[i + 1])) {
                pairs[i + 1] = XCB_ATOM_NONE;
            }
        }
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, event.requestor, property, reply->type, 32,
                            static_cast<std::uint32_t>(pairs.size()), pairs.data());
        sendNotify(event, property);
        return;
    }
    sendNotify(event, convertFor(event.requestor, event.target, property)
                          ? property
                          : xcb_atom_t{XCB_ATOM_NONE});
}

bool X11Pasteboard::convertFor(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property) {
    xcb_connection_t* c = connection_.get();
    if (target == connection_.atom("TARGETS")) {
        const auto targets = targetsOffered();
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(targets.size()), targets.data());
        return true;
    }
    if (target == connection_.atom("TIMESTAMP")) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER, 32, 1,
                            &ownTime_);
        return true;
    }
    auto bytes = bytesForTarget(target);
    if (!bytes) {
        return false;
    }
    const std::size_t maxRequest =
        static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4 - 64;
    const std::size_t chunk = std::min(maxChunkBytes, maxRequest);
    if (bytes->size() <= chunk) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, target, 8,
                            static_cast<std::uint32_t>(bytes->size()), bytes->data());
        return true;
    }
    // Too big for one property: hand it over in chunks as the requestor takes each one.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, requestor, XCB_CW_EVENT_MASK, &mask);
    const auto announced = static_cast<std::uint32_t>(bytes->size());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, connection_.atom("INCR"), 32,
                        1, &announced);
    auto transfer = std::make_unique<Transfer>();
    transfer->bytes = std::move(bytes);
    transfer->type = target;
    const auto key = std::make_pair(requestor, property);
    transfer->deadline = mainQueue_.after(timeouts_.serveStep, [this, key] {
        transfers_.erase(key);  // the requestor stopped taking chunks
    });
    transfers_[key] = std::move(transfer);
    return true;
}

void X11Pasteboard::continueTransfer(xcb_window_t window, xcb_atom_t property) {
    const auto key = std::make_pair(window, property);
    Transfer& transfer = *transfers_.at(key);
    xcb_connection_t* c = connection_.get();
    const std::size_t maxRequest =
        static_cast<std::size_t>(xcb_get_maximum_request_length(c)) * 4 - 64;
    const std::size_t length =
        std::min({maxChunkBytes, maxRequest, transfer.bytes->size() - transfer.offset});
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, transfer.type, 8,
                        static_cast<std::uint32_t>(length),
                        transfer.bytes->data() + transfer.offset);
    if (length == 0) {
        // The empty chunk ends the transfer.
        transfers_.erase(key);
        const bool others =
            std::any_of(transfers_.begin(), transfers_.end(),
                        [window](const auto& t) { return t.first.first == window; });
        if (!others) {
            const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &none);
        }
    } else {
        transfer.offset += length;
        transfer.deadline =
            mainQueue_.after(timeouts_.serveStep, [this, key] { transfers_.erase(key); });
    }
    connection_.flush();
}

void X11Pasteboard::sendNotify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(connection_.get(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    connection_.flush();
}

}  // namespace tovra
