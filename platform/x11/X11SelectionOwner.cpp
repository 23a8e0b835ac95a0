#include "X11SelectionOwner.h"

#include <algorithm>
#include <set>

#include "X11ClipboardTargets.h"
#include "X11Connection.h"

namespace tovra {

namespace {
constexpr std::size_t maxChunkBytes = 256 * 1024;
/// More transfers at once than any one requestor needs.
constexpr std::size_t maxTransfersPerRequestor = 8;
}  // namespace

struct X11SelectionOwner::Transfer {
    std::shared_ptr<const Bytes> bytes;
    xcb_atom_t type = XCB_ATOM_NONE;
    std::size_t offset = 0;
    std::chrono::steady_clock::time_point deadline;
};

std::unique_ptr<X11SelectionOwner> X11SelectionOwner::start(
    X11Connection& names, std::chrono::milliseconds transferTimeout, std::string& error,
    DataRequestObserver onDataRequest) {
    xcb_screen_t* screen = nullptr;
    const std::string& display = names.displayName();
    XcbConnection connection =
        X11Connection::connect(display.empty() ? nullptr : display.c_str(), screen, error);
    if (!connection) {
        return nullptr;
    }
    Atoms atoms{};
    atoms.clipboard = names.atom("CLIPBOARD");
    atoms.targets = names.atom("TARGETS");
    atoms.timestamp = names.atom("TIMESTAMP");
    atoms.multiple = names.atom("MULTIPLE");
    atoms.incr = names.atom("INCR");
    atoms.latin1 = names.atom(x11::latin1Target);
    for (std::size_t i = 0; i < x11::clipboardTargets.size(); ++i) {
        atoms.mapped[i] = names.atom(x11::clipboardTargets[i].target);
        if (x11::clipboardTargets[i].type == pasteboardType::concealed) {
            atoms.concealed = atoms.mapped[i];
        }
    }
    return std::unique_ptr<X11SelectionOwner>(new X11SelectionOwner(
        std::move(connection), screen->root, atoms, transferTimeout, std::move(onDataRequest)));
}

X11SelectionOwner::X11SelectionOwner(XcbConnection owned, xcb_window_t root, Atoms atoms,
                                     std::chrono::milliseconds transferTimeout,
                                     DataRequestObserver observer)
    : connection_(std::move(owned)),
      window_(connection_.get(), root, XCB_EVENT_MASK_PROPERTY_CHANGE),
      atoms_(atoms),
      transferTimeout_(transferTimeout),
      onDataRequest_(std::move(observer)) {
    const std::size_t maxRequest =
        static_cast<std::size_t>(xcb_get_maximum_request_length(connection_.get())) * 4 - 64;
    chunkBytes_ = std::min(maxChunkBytes, maxRequest);
    thread_ = std::make_unique<X11EventThread>(
        connection_.get(), "tovra-clipboard",
        X11EventThread::Loop{[this](const xcb_generic_event_t& event) { handle(event); },
                             [this] { return afterWake(); }});
}

X11SelectionOwner::~X11SelectionOwner() {
    thread_.reset();
}

bool X11SelectionOwner::own(std::shared_ptr<const Contents> contents, xcb_timestamp_t time,
                            std::optional<xcb_timestamp_t> acceptFrom) {
    {
        std::lock_guard lock(mutex_);
        contents_ = std::move(contents);
        ownTime_ = time;
        acceptFrom_ = acceptFrom.value_or(time);
        ++generation_;
    }
    xcb_set_selection_owner(connection_.get(), window_, atoms_.clipboard, time);
    owns_ = currentOwner() == window_;
    return owns_;
}

xcb_window_t X11SelectionOwner::currentOwner() {
    XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        connection_.get(), xcb_get_selection_owner(connection_.get(), atoms_.clipboard), nullptr));
    // Waiting for the reply may have read events the serving thread's poll will never see.
    thread_->wake();
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

std::optional<xcb_timestamp_t> X11SelectionOwner::ownedSince() const {
    if (!owns_) {
        return std::nullopt;
    }
    std::lock_guard lock(mutex_);
    return ownTime_;
}

bool X11SelectionOwner::release() {
    xcb_timestamp_t time;
    {
        std::lock_guard lock(mutex_);
        time = ownTime_;
        releasedAt_ = time;
    }
    // Ignored by the server if someone took the selection since: a copy made meanwhile stays.
    xcb_set_selection_owner(connection_.get(), XCB_WINDOW_NONE, atoms_.clipboard, time);
    owns_ = currentOwner() == window_;
    if (!owns_) {
        std::lock_guard lock(mutex_);
        contents_.reset();
        // Transfers still running hold the wiped bytes: the serving thread drops them.
        dropTransfers_ = true;
    }
    thread_->wake();
    return !owns_;
}

std::optional<X11EventThread::Clock::time_point> X11SelectionOwner::afterWake() {
    if (dropTransfers_.exchange(false)) {
        endTransfers([](const auto&) { return true; });
    }
    const auto now = std::chrono::steady_clock::now();
    endTransfers([now](const auto& entry) { return entry.second->deadline < now; });
    xcb_flush(connection_.get());
    std::optional<X11EventThread::Clock::time_point> next;
    for (const auto& [key, transfer] : transfers_) {
        next = next ? std::min(*next, transfer->deadline) : transfer->deadline;
    }
    return next;
}

void X11SelectionOwner::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_SELECTION_REQUEST:
            onRequest(reinterpret_cast<const xcb_selection_request_event_t&>(event));
            break;
        case XCB_SELECTION_CLEAR:
            onClear(reinterpret_cast<const xcb_selection_clear_event_t&>(event));
            break;
        case XCB_PROPERTY_NOTIFY: {
            const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (property.state == XCB_PROPERTY_DELETE &&
                transfers_.contains({property.window, property.atom})) {
                continueTransfer(property.window, property.atom);
            }
            break;
        }
        default:
            break;
    }
}

void X11SelectionOwner::onClear(const xcb_selection_clear_event_t& clear) {
    if (clear.owner != window_ || clear.selection != atoms_.clipboard) {
        return;
    }
    std::lock_guard lock(mutex_);
    if (releasedAt_ && clear.time == *releasedAt_) {
        // Our own release tells us too, possibly after we took the clipboard again.
        releasedAt_.reset();
        return;
    }
    if (owns_ && x11::isEarlier(clear.time, ownTime_)) {
        return;  // someone took it before we did: read only now, it says nothing of our ownership
    }
    owns_ = false;
}

void X11SelectionOwner::onRequest(const xcb_selection_request_event_t& request) {
    std::shared_ptr<const Contents> contents;
    xcb_timestamp_t ownTime;
    xcb_timestamp_t acceptFrom;
    std::uint64_t generation;
    {
        std::lock_guard lock(mutex_);
        contents = contents_;
        ownTime = ownTime_;
        acceptFrom = acceptFrom_;
        generation = generation_;
    }
    // Requests made before the paste keystroke were meant for an earlier owner. The server
    // sends us only requests made while we were the owner: one can come before `own` has heard
    // back that we are, and a wipe takes the contents away.
    const bool valid =
        request.owner == window_ && request.selection == atoms_.clipboard && contents &&
        (request.time == XCB_CURRENT_TIME || !x11::isEarlier(request.time, acceptFrom));
    if (!valid) {
        answer(connection_.get(), request, XCB_ATOM_NONE);
        return;
    }
    // Told only once some of the contents went out: an application that first asks for a
    // type we lack (GTK 3's text view asks for its own rich text) has not taken the item yet.
    bool servedData = false;
    const auto tellServed = [&] {
        if (servedData && onDataRequest_) {
            onDataRequest_({request.requestor, generation, std::chrono::steady_clock::now()});
        }
    };
    // Clients that name no property get the target as property.
    const xcb_atom_t property =
        request.property == XCB_ATOM_NONE ? request.target : request.property;
    if (request.target != atoms_.multiple) {
        answer(connection_.get(), request,
               convert(request.requestor, request.target, property, contents, ownTime, servedData)
                   ? property
                   : xcb_atom_t{XCB_ATOM_NONE});
        tellServed();
        return;
    }
    if (request.property == XCB_ATOM_NONE) {
        answer(connection_.get(), request, XCB_ATOM_NONE);
        return;
    }
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_.get(),
                               xcb_get_property(connection_.get(), 0, request.requestor, property,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                               nullptr));
    if (!reply || reply->format != 32) {
        answer(connection_.get(), request, XCB_ATOM_NONE);
        return;
    }
    const auto* begin = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    std::vector<xcb_atom_t> pairs(begin, begin + xcb_get_property_value_length(reply.get()) / 4);
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (!convert(request.requestor, pairs[i], pairs[i + 1], contents, ownTime, servedData)) {
            pairs[i + 1] = XCB_ATOM_NONE;
        }
    }
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, request.requestor, property,
                        reply->type, 32, static_cast<std::uint32_t>(pairs.size()), pairs.data());
    answer(connection_.get(), request, property);
    tellServed();
}

bool X11SelectionOwner::convert(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property,
                                const std::shared_ptr<const Contents>& contents,
                                xcb_timestamp_t ownTime, bool& servedData) {
    if (target == atoms_.targets) {
        std::vector<xcb_atom_t> targets{atoms_.targets, atoms_.timestamp, atoms_.multiple};
        for (std::size_t i = 0; i < x11::clipboardTargets.size(); ++i) {
            const bool offered =
                std::any_of(contents->begin(), contents->end(),
                            [&](const auto& r) { return r.type == x11::clipboardTargets[i].type; });
            if (offered) {
                targets.push_back(atoms_.mapped[i]);
            }
        }
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property,
                            XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(targets.size()),
                            targets.data());
        return true;
    }
    if (target == atoms_.timestamp) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &ownTime);
        return true;
    }
    std::shared_ptr<const Bytes> bytes;
    for (std::size_t i = 0; i < x11::clipboardTargets.size() && !bytes; ++i) {
        if (atoms_.mapped[i] != target) {
            continue;
        }
        for (const auto& representation : *contents) {
            if (representation.type != x11::clipboardTargets[i].type) {
                continue;
            }
            bytes = target == atoms_.latin1
                        ? latin1Text(contents, representation.data)
                        // Shares the staged contents: a newer write cannot pull them away.
                        : std::shared_ptr<const Bytes>(contents, &representation.data);
            break;
        }
    }
    if (!bytes) {
        return false;
    }
    if (bytes->size() <= chunkBytes_) {
        // A history tool asking whether to keep what we staged has not read it.
        servedData = servedData || target != atoms_.concealed;
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property, target,
                            8, static_cast<std::uint32_t>(bytes->size()), bytes->data());
        return true;
    }
    const auto running =
        std::count_if(transfers_.begin(), transfers_.end(),
                      [requestor](const auto& t) { return t.first.first == requestor; });
    if (static_cast<std::size_t>(running) >= maxTransfersPerRequestor) {
        // A requestor that starts transfers and never takes them cannot pile them up.
        return false;
    }
    servedData = true;
    // Too big for one property: hand it over in chunks as the requestor takes each one.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_.get(), requestor, XCB_CW_EVENT_MASK, &mask);
    const auto announced = static_cast<std::uint32_t>(bytes->size());
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property, atoms_.incr,
                        32, 1, &announced);
    auto transfer = std::make_unique<Transfer>();
    transfer->bytes = std::move(bytes);
    transfer->type = target;
    transfer->deadline = std::chrono::steady_clock::now() + transferTimeout_;
    transfers_[{requestor, property}] = std::move(transfer);
    transferCount_ = transfers_.size();
    return true;
}

std::shared_ptr<const Bytes> X11SelectionOwner::latin1Text(
    const std::shared_ptr<const Contents>& contents, const Bytes& utf8) {
    // Every transfer of the same contents shares one conversion: many requestors asking at
    // once cost one copy, not one each.
    std::shared_ptr<const Bytes> shared = latin1_.lock();
    const bool same = !latin1Of_.owner_before(contents) && !contents.owner_before(latin1Of_);
    if (!shared || !same) {
        shared =
            std::make_shared<const Bytes>(x11::propertyFromBytes(x11::latin1Target, utf8.view()));
        latin1_ = shared;
        latin1Of_ = contents;
    }
    return shared;
}

void X11SelectionOwner::continueTransfer(xcb_window_t window, xcb_atom_t property) {
    const auto key = std::make_pair(window, property);
    Transfer& transfer = *transfers_.at(key);
    const std::size_t length = std::min(chunkBytes_, transfer.bytes->size() - transfer.offset);
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window, property, transfer.type,
                        8, static_cast<std::uint32_t>(length),
                        transfer.bytes->data() + transfer.offset);
    if (length > 0) {
        transfer.offset += length;
        transfer.deadline = std::chrono::steady_clock::now() + transferTimeout_;
        return;
    }
    // The empty chunk ends the transfer.
    endTransfers([&](const auto& entry) { return entry.first == key; });
}

template <class Ends>
void X11SelectionOwner::endTransfers(const Ends& ends) {
    std::set<xcb_window_t> requestors;
    for (auto it = transfers_.begin(); it != transfers_.end();) {
        if (ends(*it)) {
            requestors.insert(it->first.first);
            it = transfers_.erase(it);
        } else {
            ++it;
        }
    }
    transferCount_ = transfers_.size();
    // Stop watching a requestor's window once none of its transfers is left.
    for (const xcb_window_t window : requestors) {
        const bool others =
            std::any_of(transfers_.begin(), transfers_.end(),
                        [window](const auto& t) { return t.first.first == window; });
        if (!others) {
            const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
            xcb_change_window_attributes(connection_.get(), window, XCB_CW_EVENT_MASK, &none);
        }
    }
}

void X11SelectionOwner::answer(xcb_connection_t* connection,
                               const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t event{};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

}  // namespace tovra
