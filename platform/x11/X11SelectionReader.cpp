#include "X11SelectionReader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Tovra/base/PasteboardTypes.h"
#include "X11Connection.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {

using x11::clipboardTargets;

constexpr x11::TargetName utf8Text{pasteboardType::string, "UTF8_STRING"};
constexpr x11::TargetName targetList{"", "TARGETS"};

constexpr std::uint32_t wholeProperty = 0x1FFFFFFF;  // in 32-bit units: everything there is
/// How many steps an owner may spend sending what we refuse.
constexpr int drainSteps = 10;
/// How long an abandoned request's answer is waited for, to be deleted when it comes.
constexpr std::chrono::seconds abandonedAnswerWait{30};

/// What an answer holds, as our bytes of its type: text the owner sent as STRING is Latin-1,
/// whatever was asked for.
Bytes textOrBytes(const x11::TargetName& name, xcb_atom_t type, std::string_view bytes) {
    if (name.type == pasteboardType::string && type == XCB_ATOM_STRING) {
        return x11::latin1ToUtf8(bytes);
    }
    return Bytes(bytes);
}

/// Zeroes a property's bytes in xcb's reply once they were copied: nothing of a copy stays in
/// memory we do not own.
struct ReplyWipe {
    void* bytes;
    std::size_t size;
    ~ReplyWipe() {
        if (bytes != nullptr) {
            secureZero(bytes, size);
        }
    }
};

}  // namespace

struct X11SelectionReader::Read {
    std::uint64_t id = 0;
    xcb_window_t owner = XCB_WINDOW_NONE;
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    /// A newer copy (or our own write) took the selection: ask nothing more.
    bool superseded = false;
    bool done = false;
    /// What the owner offers that is still to ask for, one at a time.
    std::deque<std::pair<x11::TargetName, xcb_atom_t>> wanted;
    std::size_t budgetUsed = 0;
    Contents contents;
    Done onDone;
    TaskHandle total;

    [[nodiscard]] bool has(std::string_view type) const {
        return std::any_of(contents.begin(), contents.end(),
                           [&](const auto& r) { return r.type == type; });
    }
    void stopAsking() {
        superseded = true;
        wanted.clear();
    }
};

X11SelectionReader::X11SelectionReader(X11Connection& connection, MainQueue& mainQueue,
                                       xcb_atom_t selection, Options options)
    : connection_(connection),
      mainQueue_(mainQueue),
      selection_(selection),
      options_(options),
      property_(connection.atom("_TOVRA_SELECTION")),
      targets_(connection.atom("TARGETS")),
      incr_(connection.atom("INCR")) {}

X11SelectionReader::~X11SelectionReader() = default;

std::vector<xcb_window_t> X11SelectionReader::windows() const {
    std::vector<xcb_window_t> windows;
    for (const auto& entry : slots_) {
        windows.push_back(entry.first);
    }
    return windows;
}

std::size_t X11SelectionReader::windowsInUse() const {
    return static_cast<std::size_t>(std::count_if(
        slots_.begin(), slots_.end(), [](const auto& entry) { return entry.second.busy(); }));
}

X11SelectionReader::Read* X11SelectionReader::findRead(std::uint64_t id) {
    for (auto& read : reads_) {
        if (read->id == id) {
            return read.get();
        }
    }
    return nullptr;
}

X11SelectionReader::Slot* X11SelectionReader::slotOf(xcb_window_t window) {
    const auto found = slots_.find(window);
    return found != slots_.end() ? &found->second : nullptr;
}

X11SelectionReader::Slot& X11SelectionReader::freeSlot() {
    for (auto& [window, slot] : slots_) {
        if (!slot.busy()) {
            return slot;
        }
    }
    auto window = connection_.createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    const xcb_window_t id = *window;
    Slot& slot = slots_[id];
    slot.window = std::move(window);
    return slot;
}

void X11SelectionReader::start(std::optional<xcb_window_t> owner, xcb_timestamp_t time, Done done) {
    for (auto& earlier : reads_) {
        earlier->stopAsking();
    }
    auto created = std::make_unique<Read>();
    Read& read = *created;
    read.id = nextRead_++;
    read.time = time;
    read.onDone = std::move(done);
    const std::uint64_t id = read.id;
    read.total = mainQueue_.after(options_.total, [this, id] {
        // A slow owner: keep what came, and let the copies behind this one be told.
        if (Read* late = findRead(id)) {
            late->stopAsking();
            abandonAll(id);
            advance(*late);
            connection_.flush();
        }
    });
    reads_.push_back(std::move(created));
    if (owner) {
        read.owner = *owner;
    } else {
        XcbReply<xcb_get_selection_owner_reply_t> now(xcb_get_selection_owner_reply(
            connection_.get(), xcb_get_selection_owner(connection_.get(), selection_), nullptr));
        connection_.scheduleDispatch();
        read.owner = now ? now->owner : xcb_window_t{XCB_WINDOW_NONE};
    }
    // The list and the text at once: if the owner is slow to answer and another copy follows,
    // the text is what this one keeps.
    if (request(read, targetList, targets_)) {
        request(read, utf8Text, connection_.atom(utf8Text.target));
    }
    advance(read);
    connection_.flush();
}

void X11SelectionReader::cancel() {
    for (auto& [window, slot] : slots_) {
        if (slot.request && slot.request->read != 0) {
            abandon(slot);
        }
    }
    reads_.clear();
    connection_.flush();
}

bool X11SelectionReader::request(Read& read, x11::TargetName name, xcb_atom_t target) {
    Slot& slot = freeSlot();
    // Assigned, not emplaced: clang decides a nested aggregate with member initialisers is not
    // default-constructible while its enclosing class is being defined.
    slot.request = Request{};
    Request& made = *slot.request;
    made.read = read.id;
    made.name = name;
    made.target = target;
    made.serial = nextRequest_++;
    xcb_convert_selection(connection_.get(), *slot.window, selection_, target, property_,
                          read.time);
    armStep(slot);
    // The server hands a request to whoever owns the selection when it reaches it; if that is
    // no longer the owner of this copy, its answer cannot be told from the next copy's.
    XcbReply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        connection_.get(), xcb_get_selection_owner(connection_.get(), selection_), nullptr));
    connection_.scheduleDispatch();
    if (!owner || owner->owner != read.owner) {
        read.stopAsking();
        abandon(slot);
        return false;
    }
    return true;
}

void X11SelectionReader::armStep(Slot& slot) {
    const xcb_window_t window = *slot.window;
    const std::uint64_t serial = slot.request->serial;
    slot.request->deadline = mainQueue_.after(options_.step, [this, window, serial] {
        Slot* waiting = slotOf(window);
        if (waiting == nullptr || !waiting->request || waiting->request->serial != serial) {
            return;
        }
        // The owner did not answer in time: go on without this type.
        Read* read = findRead(waiting->request->read);
        abandon(*waiting);
        if (read != nullptr) {
            advance(*read);
        }
        connection_.flush();
    });
}

void X11SelectionReader::abandon(Slot& slot) {
    if (!slot.request) {
        return;
    }
    if (slot.request->incremental) {
        // The owner is sending chunks: refuse the rest so nothing stays with us.
        slot.request.reset();
        drain(slot);
        return;
    }
    Request& request = *slot.request;
    request.read = 0;
    request.chunks = Bytes();
    const xcb_window_t window = *slot.window;
    const std::uint64_t serial = request.serial;
    // Its answer may still come: deleted then, or after a long while if it never does.
    request.deadline = mainQueue_.after(abandonedAnswerWait, [this, window, serial] {
        Slot* waiting = slotOf(window);
        if (waiting != nullptr && waiting->request && waiting->request->serial == serial) {
            deleteAnswer(*waiting);
            waiting->request.reset();
            connection_.flush();
        }
    });
}

void X11SelectionReader::abandonAll(std::uint64_t read) {
    for (auto& [window, slot] : slots_) {
        if (slot.request && slot.request->read == read) {
            abandon(slot);
        }
    }
}

void X11SelectionReader::deleteAnswer(const Slot& slot) {
    xcb_delete_property(connection_.get(), *slot.window, property_);
}

void X11SelectionReader::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_SELECTION_NOTIFY:
            onSelectionNotify(reinterpret_cast<const xcb_selection_notify_event_t&>(event));
            break;
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            Slot* slot = slotOf(notify.window);
            if (slot == nullptr || notify.atom != property_ ||
                notify.state != XCB_PROPERTY_NEW_VALUE) {
                break;
            }
            if (slot->drain) {
                drainChunk(*slot);
            } else if (slot->request && slot->request->incremental) {
                onChunk(*slot);
            }
            break;
        }
        default:
            break;
    }
}

void X11SelectionReader::onSelectionNotify(const xcb_selection_notify_event_t& event) {
    Slot* slot = slotOf(event.requestor);
    if (slot == nullptr || event.selection != selection_) {
        return;
    }
    const bool answered = event.property != XCB_ATOM_NONE;
    if (!slot->request || slot->request->incremental || slot->request->target != event.target) {
        if (answered && !slot->drain) {
            deleteAnswer(*slot);  // nobody asked for this, or no longer
        }
        connection_.flush();
        return;
    }
    Read* read = findRead(slot->request->read);
    if (read == nullptr && answered) {
        // A late answer to an abandoned request: an INCR one is refused, the rest deleted.
        XcbReply<xcb_get_property_reply_t> probe(
            xcb_get_property_reply(connection_.get(),
                                   xcb_get_property(connection_.get(), 0, *slot->window, property_,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                                   nullptr));
        connection_.scheduleDispatch();
        slot->request.reset();
        if (probe && probe->type == incr_) {
            drain(*slot);
        } else {
            deleteAnswer(*slot);
        }
        connection_.flush();
        return;
    }
    if (!answered) {
        // Refused. An owner that lists no targets may still give the text asked for with them.
        slot->request.reset();
        if (read != nullptr) {
            advance(*read);
        }
        connection_.flush();
        return;
    }
    onAnswer(*read, *slot);
    advance(*read);
    connection_.flush();
}

void X11SelectionReader::onAnswer(Read& read, Slot& slot) {
    xcb_connection_t* c = connection_.get();
    const xcb_window_t window = *slot.window;
    Request& request = *slot.request;
    if (request.target == targets_) {
        onTargets(read, window);
        slot.request.reset();
        deleteAnswer(slot);
        return;
    }
    const std::size_t remaining = options_.maxBytes - read.budgetUsed;
    // The INCR marker is taken (and deleted, which asks for the first chunk) only if that is
    // what is there: a hasty owner may have written its first chunk already.
    XcbReply<xcb_get_property_reply_t> marker(
        xcb_get_property_reply(c, xcb_get_property(c, 1, window, property_, incr_, 0, 1), nullptr));
    connection_.scheduleDispatch();
    if (marker && marker->type == incr_) {
        std::uint32_t announced = 0;
        if (marker->format == 32 && xcb_get_property_value_length(marker.get()) >= 4) {
            std::memcpy(&announced, xcb_get_property_value(marker.get()), 4);
        }
        request.incremental = true;
        if (announced > remaining) {
            slot.request.reset();
            drain(slot);  // the announced size is a lower bound: it can only be larger
            return;
        }
        request.chunks = Bytes();
        armStep(slot);
        return;
    }
    // Size first: nothing over the budget is ever copied out of the server.
    const std::size_t size = marker ? marker->bytes_after : 0;
    if (marker && marker->format == 8 && size > 0 && size <= remaining) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c,
            xcb_get_property(c, 1, window, property_, XCB_GET_PROPERTY_TYPE_ANY, 0,
                             static_cast<std::uint32_t>((size + 3) / 4)),
            nullptr));
        const ReplyWipe wipe{reply ? xcb_get_property_value(reply.get()) : nullptr, size};
        if (reply && reply->format == 8 &&
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get())) == size &&
            !read.has(request.name.type)) {
            const std::string_view bytes(
                static_cast<const char*>(xcb_get_property_value(reply.get())), size);
            read.contents.push_back(
                {std::string(request.name.type), textOrBytes(request.name, reply->type, bytes)});
            read.budgetUsed += size;
        }
    }
    slot.request.reset();
    deleteAnswer(slot);
}

void X11SelectionReader::onTargets(Read& read, xcb_window_t window) {
    if (read.superseded) {
        return;
    }
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr));
    connection_.scheduleDispatch();
    if (!reply || reply->format != 32) {
        return;
    }
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const std::vector<xcb_atom_t> offered(atoms,
                                          atoms + xcb_get_property_value_length(reply.get()) / 4);
    const auto isOffered = [&](xcb_atom_t atom) {
        return std::find(offered.begin(), offered.end(), atom) != offered.end();
    };
    for (const std::string_view type : capturedTypes) {
        for (const auto& name : clipboardTargets) {
            if (name.type != type || !isOffered(connection_.atom(name.target))) {
                continue;
            }
            if (type == pasteboardType::string) {
                // Asked for at the start as UTF8_STRING; another name is tried first if that
                // gives nothing.
                if (name.target != utf8Text.target) {
                    read.wanted.emplace_front(name, connection_.atom(name.target));
                }
            } else {
                read.wanted.emplace_back(name, connection_.atom(name.target));
            }
            break;
        }
    }
}

void X11SelectionReader::onChunk(Slot& slot) {
    Request& transfer = *slot.request;
    Read* read = findRead(transfer.read);
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_property_reply_t> chunk(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 1, *slot.window, property_,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, wholeProperty),
                               nullptr));
    connection_.scheduleDispatch();
    if (chunk && chunk->type == XCB_ATOM_NONE) {
        return;  // told of a chunk read already
    }
    const std::size_t length =
        chunk ? static_cast<std::size_t>(xcb_get_property_value_length(chunk.get())) : 0;
    const ReplyWipe wipe{chunk ? xcb_get_property_value(chunk.get()) : nullptr, length};
    if (read == nullptr || !chunk || (length > 0 && chunk->format != 8)) {
        slot.request.reset();
        if (length > 0) {
            drain(slot);
        }
    } else if (length == 0) {
        if (!transfer.chunks.empty() && !read->has(transfer.name.type)) {
            read->budgetUsed += transfer.chunks.size();
            read->contents.push_back(
                {std::string(transfer.name.type),
                 textOrBytes(transfer.name, transfer.type, transfer.chunks.view())});
        }
        slot.request.reset();
    } else if (length > options_.maxBytes - read->budgetUsed - transfer.chunks.size()) {
        // Over budget: what was read is dropped, and the rest is refused.
        slot.request.reset();
        drain(slot);
    } else {
        transfer.type = chunk->type;
        transfer.chunks.append(std::string_view(
            static_cast<const char*>(xcb_get_property_value(chunk.get())), length));
        armStep(slot);  // reading it deleted it: the owner sends the next chunk
        connection_.flush();
        return;
    }
    if (read != nullptr) {
        advance(*read);
    }
    connection_.flush();
}

void X11SelectionReader::advance(Read& read) {
    const bool outstanding = std::any_of(slots_.begin(), slots_.end(), [&](const auto& entry) {
        return entry.second.request && entry.second.request->read == read.id;
    });
    if (outstanding) {
        return;
    }
    while (!read.superseded && !read.wanted.empty()) {
        const auto [name, target] = read.wanted.front();
        read.wanted.pop_front();
        if (read.has(name.type)) {
            continue;
        }
        if (request(read, name, target)) {
            return;
        }
    }
    read.done = true;
    finishInOrder();
}

void X11SelectionReader::finishInOrder() {
    while (!reads_.empty() && reads_.front()->done) {
        // Ended before `done` runs: it may start the next read.
        std::unique_ptr<Read> read = std::move(reads_.front());
        reads_.pop_front();
        if (read->onDone) {
            read->onDone(std::move(read->contents), read->owner);
        }
    }
}

void X11SelectionReader::drain(Slot& slot) {
    slot.drain.emplace();
    slot.drain->giveUpAt = std::chrono::steady_clock::now() + options_.step * drainSteps;
    askForNextChunk(slot);
}

void X11SelectionReader::askForNextChunk(Slot& slot) {
    const xcb_window_t window = *slot.window;
    slot.drain->idle = mainQueue_.after(options_.step, [this, window] {
        // The owner stopped sending: take away what it left.
        if (Slot* idle = slotOf(window); idle != nullptr && idle->drain) {
            deleteAnswer(*idle);
            idle->drain.reset();
            connection_.flush();
        }
    });
    // Deleting the property asks the owner for its next chunk.
    deleteAnswer(slot);
    connection_.flush();
}

void X11SelectionReader::drainChunk(Slot& slot) {
    xcb_connection_t* c = connection_.get();
    // Asks for no bytes: the server deletes the property only if it is the empty last chunk.
    XcbReply<xcb_get_property_reply_t> probe(xcb_get_property_reply(
        c, xcb_get_property(c, 1, *slot.window, property_, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    connection_.scheduleDispatch();
    if (!probe || probe->type == XCB_ATOM_NONE) {
        return;  // told of a chunk deleted already
    }
    if (probe->bytes_after == 0) {
        slot.drain.reset();  // the transfer is over
        return;
    }
    if (std::chrono::steady_clock::now() >= slot.drain->giveUpAt) {
        // An owner that sends without end would keep us busy for ever. Its chunk goes with the
        // window, and no deletion ever asks it for another.
        slots_.erase(*slot.window);
        return;
    }
    askForNextChunk(slot);
}

}  // namespace tovra
