#include "X11SelectionOwner.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "X11ClipboardTargets.h"
#include "X11Connection.h"

namespace tovra {

namespace {
constexpr std::size_t maxChunkBytes = 256 * 1024;
/// More transfers at once than any one requestor needs.
constexpr std::size_t maxTransfersPerRequestor = 8;

xcb_atom_t intern(xcb_connection_t* c, std::string_view name) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}
}  // namespace

/// Interned before the thread starts and never changed: both threads read them freely.
struct X11SelectionOwner::Atoms {
    xcb_atom_t clipboard, targets, timestamp, multiple, incr;
    std::array<xcb_atom_t, x11::clipboardTargets.size()> mapped;
    xcb_atom_t latin1;
};

struct X11SelectionOwner::Transfer {
    std::shared_ptr<const Bytes> bytes;
    xcb_atom_t type = XCB_ATOM_NONE;
    std::size_t offset = 0;
    std::chrono::steady_clock::time_point deadline;
};

std::unique_ptr<X11SelectionOwner> X11SelectionOwner::start(
    const std::string& display, std::chrono::milliseconds transferTimeout, std::string& error,
    DataRequestObserver onDataRequest) {
    xcb_screen_t* screen = nullptr;
    XcbConnection connection =
        X11Connection::connect(display.empty() ? nullptr : display.c_str(), screen, error);
    if (!connection) {
        return nullptr;
    }
    auto owner = std::unique_ptr<X11SelectionOwner>(
        new X11SelectionOwner(std::move(connection), screen->root, transferTimeout));
    owner->onDataRequest_ = std::move(onDataRequest);  // before the thread that calls it
    owner->thread_ = std::thread([raw = owner.get()] { raw->run(); });
    return owner;
}

X11SelectionOwner::X11SelectionOwner(XcbConnection owned, xcb_window_t root,
                                     std::chrono::milliseconds transferTimeout)
    : connection_(std::move(owned)),
      window_(connection_.get(), root, XCB_EVENT_MASK_PROPERTY_CHANGE),
      atoms_(std::make_unique<Atoms>()),
      transferTimeout_(transferTimeout),
      wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    atoms_->clipboard = intern(connection_.get(), "CLIPBOARD");
    atoms_->targets = intern(connection_.get(), "TARGETS");
    atoms_->timestamp = intern(connection_.get(), "TIMESTAMP");
    atoms_->multiple = intern(connection_.get(), "MULTIPLE");
    atoms_->incr = intern(connection_.get(), "INCR");
    atoms_->latin1 = intern(connection_.get(), x11::latin1Target);
    for (std::size_t i = 0; i < x11::clipboardTargets.size(); ++i) {
        atoms_->mapped[i] = intern(connection_.get(), x11::clipboardTargets[i].target);
    }
    const std::size_t maxRequest =
        static_cast<std::size_t>(xcb_get_maximum_request_length(connection_.get())) * 4 - 64;
    chunkBytes_ = std::min(maxChunkBytes, maxRequest);
}

X11SelectionOwner::~X11SelectionOwner() {
    stopping_ = true;
    wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    close(wakeFd_);
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
    xcb_set_selection_owner(connection_.get(), window_, atoms_->clipboard, time);
    owns_ = currentOwner() == window_;
    return owns_;
}

xcb_window_t X11SelectionOwner::currentOwner() {
    XcbReply<xcb_get_selection_owner_reply_t> reply(xcb_get_selection_owner_reply(
        connection_.get(), xcb_get_selection_owner(connection_.get(), atoms_->clipboard), nullptr));
    // Waiting for the reply may have read events the serving thread's poll will never see.
    wake();
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
    xcb_set_selection_owner(connection_.get(), XCB_WINDOW_NONE, atoms_->clipboard, time);
    owns_ = currentOwner() == window_;
    if (!owns_) {
        std::lock_guard lock(mutex_);
        contents_.reset();
        // Transfers still running hold the wiped bytes: the serving thread drops them.
        dropTransfers_ = true;
    }
    wake();
    return !owns_;
}

void X11SelectionOwner::run() {
    const int fd = xcb_get_file_descriptor(connection_.get());
    while (!stopping_ && xcb_connection_has_error(connection_.get()) == 0) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        // Sleep until something happens; wake only to time out transfers in progress.
        poll(fds, 2, transfers_.empty() ? -1 : 100);
        while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(connection_.get())}) {
            handle(*event);
        }
        if (dropTransfers_.exchange(false)) {
            endTransfers([](const auto&) { return true; });
        }
        expireTransfers();
        xcb_flush(connection_.get());
    }
}

void X11SelectionOwner::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_SELECTION_REQUEST:
            onRequest(reinterpret_cast<const xcb_selection_request_event_t&>(event));
            break;
        case XCB_SELECTION_CLEAR: {
            const auto& clear = reinterpret_cast<const xcb_selection_clear_event_t&>(event);
            if (clear.owner == window_ && clear.selection == atoms_->clipboard) {
                // Our own release sends us this too, possibly after we took the clipboard
                // again: it carries the time we released with.
                std::lock_guard lock(mutex_);
                if (releasedAt_ && clear.time == *releasedAt_) {
                    releasedAt_.reset();
                } else {
                    owns_ = false;
                }
            }
            break;
        }
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
        request.owner == window_ && request.selection == atoms_->clipboard && contents &&
        (request.time == XCB_CURRENT_TIME || !x11::isEarlier(request.time, acceptFrom));
    if (!valid) {
        notify(request, XCB_ATOM_NONE);
        return;
    }
    // Told only once some of the contents went out: an application that first asks for a
    // type we lack (GTK 3's text view asks for its own rich text) has not taken the item yet.
    bool servedData = false;
    const auto tellServed = [&] {
        if (servedData && onDataRequest_) {
            onDataRequest_(request.requestor, generation);
        }
    };
    // Clients that name no property get the target as property.
    const xcb_atom_t property =
        request.property == XCB_ATOM_NONE ? request.target : request.property;
    if (request.target != atoms_->multiple) {
        notify(request,
               convert(request.requestor, request.target, property, contents, ownTime, servedData)
                   ? property
                   : xcb_atom_t{XCB_ATOM_NONE});
        tellServed();
        return;
    }
    if (request.property == XCB_ATOM_NONE) {
        notify(request, XCB_ATOM_NONE);
        return;
    }
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection_.get(),
                               xcb_get_property(connection_.get(), 0, request.requestor, property,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                               nullptr));
    if (!reply || reply->format != 32) {
        notify(request, XCB_ATOM_NONE);
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
    notify(request, property);
    tellServed();
}

bool X11SelectionOwner::convert(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property,
                                const std::shared_ptr<const Contents>& contents,
                                xcb_timestamp_t ownTime, bool& servedData) {
    if (target == atoms_->targets) {
        std::vector<xcb_atom_t> targets{atoms_->targets, atoms_->timestamp, atoms_->multiple};
        for (std::size_t i = 0; i < x11::clipboardTargets.size(); ++i) {
            const bool offered =
                std::any_of(contents->begin(), contents->end(),
                            [&](const auto& r) { return r.type == x11::clipboardTargets[i].type; });
            if (offered) {
                targets.push_back(atoms_->mapped[i]);
            }
        }
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property,
                            XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(targets.size()),
                            targets.data());
        return true;
    }
    if (target == atoms_->timestamp) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &ownTime);
        return true;
    }
    std::shared_ptr<const Bytes> bytes;
    for (std::size_t i = 0; i < x11::clipboardTargets.size() && !bytes; ++i) {
        if (atoms_->mapped[i] != target) {
            continue;
        }
        for (const auto& representation : *contents) {
            if (representation.type != x11::clipboardTargets[i].type) {
                continue;
            }
            bytes = target == atoms_->latin1
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
        servedData = true;
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
    xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, requestor, property, atoms_->incr,
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

void X11SelectionOwner::expireTransfers() {
    const auto now = std::chrono::steady_clock::now();
    endTransfers([now](const auto& entry) { return entry.second->deadline < now; });
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

void X11SelectionOwner::wake() {
    const std::uint64_t one = 1;
    (void)!write(wakeFd_, &one, sizeof one);
}

void X11SelectionOwner::notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t event{};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    xcb_send_event(connection_.get(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_.get());
}

}  // namespace tovra
