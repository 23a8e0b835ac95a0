#include "X11SelectionReader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "Tovra/base/PasteboardTypes.h"
#include "X11ClipboardTargets.h"
#include "X11Connection.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {

using x11::clipboardTargets;

constexpr x11::TargetName utf8Text{pasteboardType::string, "UTF8_STRING"};

constexpr std::uint32_t wholeProperty = 0x1FFFFFFF;  // in 32-bit units: everything there is
/// How many read steps an owner may spend sending what we refuse.
constexpr int drainSteps = 10;

}  // namespace

struct X11SelectionReader::Read {
    std::uint64_t id = 0;
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    bool gotTargets = false;
    std::vector<std::pair<x11::TargetName, xcb_atom_t>> wanted;
    std::size_t nextWanted = 0;
    x11::TargetName name;
    xcb_atom_t target = XCB_ATOM_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;
    bool incremental = false;
    Bytes incrementalData;
    std::size_t budget = 0;
    std::size_t budgetUsed = 0;
    Contents contents;
    Done done;
    TaskHandle deadline;

    [[nodiscard]] std::size_t remainingBudget() const { return budget - budgetUsed; }
};

X11SelectionReader::X11SelectionReader(X11Connection& connection, MainQueue& mainQueue,
                                       xcb_window_t window, xcb_atom_t selection, Options options)
    : connection_(connection),
      mainQueue_(mainQueue),
      window_(window),
      selection_(selection),
      options_(options) {}

X11SelectionReader::~X11SelectionReader() = default;

void X11SelectionReader::cancel() {
    read_.reset();
}

void X11SelectionReader::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_SELECTION_NOTIFY:
            onSelectionNotify(reinterpret_cast<const xcb_selection_notify_event_t&>(event));
            break;
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (notify.window != window_ || notify.state != XCB_PROPERTY_NEW_VALUE) {
                break;
            }
            if (draining_.contains(notify.atom)) {
                drainChunk(notify.atom);
            } else if (read_ && read_->incremental && notify.atom == read_->property) {
                onPropertyNewValue();
            }
            break;
        }
        default:
            break;
    }
}

xcb_atom_t X11SelectionReader::nextProperty() {
    // A fresh property per transfer, from a small rotating set (atoms live as long as the server).
    const xcb_atom_t property =
        connection_.atom("_TOVRA_SELECTION_" + std::to_string(sequence_ % 8));
    draining_.erase(property);
    return property;
}

void X11SelectionReader::start(xcb_timestamp_t time, Done done) {
    read_ = std::make_unique<Read>();
    read_->id = ++sequence_;
    read_->budget = options_.maxBytes;
    read_->time = time;
    read_->done = std::move(done);
    read_->target = connection_.atom("TARGETS");
    read_->property = nextProperty();
    xcb_convert_selection(connection_.get(), window_, selection_, read_->target, read_->property,
                          time);
    armDeadline();
}

void X11SelectionReader::armDeadline() {
    const std::uint64_t id = read_->id;
    read_->deadline = mainQueue_.after(options_.step, [this, id] {
        if (!read_ || read_->id != id) {
            return;
        }
        // The owner did not answer in time: give up this step and go on without it.
        read_->incremental = false;
        read_->incrementalData.clear();
        if (!read_->gotTargets) {
            finish();
        } else {
            requestNext();
        }
        connection_.flush();
    });
}

void X11SelectionReader::requestNext() {
    Read& read = *read_;
    if (read.nextWanted >= read.wanted.size()) {
        finish();
        return;
    }
    const auto [name, target] = read.wanted[read.nextWanted++];
    read.name = name;
    read.target = target;
    ++sequence_;
    read.property = nextProperty();
    xcb_convert_selection(connection_.get(), window_, selection_, target, read.property, read.time);
    armDeadline();
}

void X11SelectionReader::onSelectionNotify(const xcb_selection_notify_event_t& event) {
    if (!read_ || event.requestor != window_ || event.selection != selection_ ||
        event.target != read_->target) {
        return;
    }
    Read& read = *read_;
    xcb_connection_t* c = connection_.get();

    if (event.property == XCB_ATOM_NONE) {
        if (!read.gotTargets) {
            // An owner that lists no targets may still convert to text.
            read.gotTargets = true;
            read.wanted = {{utf8Text, connection_.atom(utf8Text.target)}};
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
                        read.wanted.emplace_back(name, atom);
                        break;
                    }
                }
            }
            // A list too long to read whole may name text further on: ask for it anyway.
            const bool text =
                std::any_of(read.wanted.begin(), read.wanted.end(),
                            [](const auto& w) { return w.first.type == pasteboardType::string; });
            if (reply->bytes_after > 0 && !text) {
                read.wanted.emplace_back(utf8Text, connection_.atom(utf8Text.target));
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
            // The announced size is a lower bound: it can only be larger.
            drain(read.property);
            requestNext();
        } else {
            read.incremental = true;
            read.incrementalData.clear();
            // Deleting the property asks the owner for the first chunk.
            xcb_delete_property(c, window_, read.property);
            armDeadline();
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
        read.contents.push_back(
            {std::string(read.name.type), x11::bytesFromProperty(read.name.target, bytes)});
        read.budgetUsed += size;
        secureZero(xcb_get_property_value(reply.get()), size);
    }
    requestNext();
    connection_.flush();
}

void X11SelectionReader::onPropertyNewValue() {
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
            Bytes whole = read.name.target == x11::latin1Target
                              ? x11::latin1ToUtf8(read.incrementalData.view())
                              : std::move(read.incrementalData);
            read.contents.push_back({std::string(read.name.type), std::move(whole)});
        }
        read.incrementalData = Bytes();
        requestNext();
    } else if (length > read.remainingBudget() - read.incrementalData.size()) {
        // Over budget: what was read is dropped, and the rest is refused.
        read.incremental = false;
        read.incrementalData.clear();
        secureZero(xcb_get_property_value(chunk.get()), length);
        drain(read.property);
        requestNext();
    } else {
        read.incrementalData.append(std::string_view(
            static_cast<const char*>(xcb_get_property_value(chunk.get())), length));
        secureZero(xcb_get_property_value(chunk.get()), length);
        armDeadline();
    }
    connection_.flush();
}

void X11SelectionReader::drain(xcb_atom_t property) {
    draining_[property].giveUpAt = std::chrono::steady_clock::now() + options_.step * drainSteps;
    askForNextChunk(property);
}

void X11SelectionReader::askForNextChunk(xcb_atom_t property) {
    draining_[property].idle = mainQueue_.after(options_.step, [this, property] {
        // The owner stopped sending: take away what it left.
        xcb_delete_property(connection_.get(), window_, property);
        connection_.flush();
        draining_.erase(property);
    });
    // Deleting the property asks the owner for its next chunk.
    xcb_delete_property(connection_.get(), window_, property);
    connection_.flush();
}

void X11SelectionReader::drainChunk(xcb_atom_t property) {
    xcb_connection_t* c = connection_.get();
    // Asks for no bytes: the server deletes the property only if it is the empty last chunk.
    XcbReply<xcb_get_property_reply_t> probe(xcb_get_property_reply(
        c, xcb_get_property(c, 1, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr));
    connection_.scheduleDispatch();
    if (!probe || probe->bytes_after == 0) {
        draining_.erase(property);  // the transfer is over
        return;
    }
    if (std::chrono::steady_clock::now() >= draining_[property].giveUpAt) {
        // An owner that sends without end would keep us busy for ever: not deleting this chunk
        // leaves it waiting.
        draining_.erase(property);
        return;
    }
    askForNextChunk(property);
}

void X11SelectionReader::finish() {
    // Ended before `done` runs: it may start the next read.
    auto read = std::move(read_);
    if (read->done) {
        read->done(std::move(read->contents));
    }
}

}  // namespace tovra
