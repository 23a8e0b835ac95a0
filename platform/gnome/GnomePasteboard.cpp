#include "GnomePasteboard.h"

#include <algorithm>

#include "Base64.h"
#include "Tovra/base/PasteboardTypes.h"
#include "platform/MainQueue.h"
#include "platform/wayland/WaylandMimeTypes.h"

namespace tovra {

GnomePasteboard::GnomePasteboard(GnomeBridge& bridge, MainQueue& mainQueue, Options options)
    : bridge_(bridge), mainQueue_(mainQueue), options_(options) {
    bridge_.on("selection", [this](const GnomeBridge::Fields& fields) { onSelection(fields); });
    bridge_.on("data", [this](const GnomeBridge::Fields& fields) { onData(fields, true); });
    bridge_.on("nodata", [this](const GnomeBridge::Fields& fields) { onData(fields, false); });
    bridge_.on("replaced", [this](const GnomeBridge::Fields& fields) {
        if (fields.size() == 2 && fields[1] == std::to_string(ownWrite_)) {
            ownWrite_ = 0;
        }
    });
    bridge_.onConnectionChanged([this](bool connected) {
        // Reads in flight are answered by nobody now: what they have is all there is.
        if (!connected) {
            ownWrite_ = 0;
            while (!reads_.empty()) {
                reads_.front().failed = true;
                finishHead();
            }
        }
    });
}

std::optional<Bytes> GnomePasteboard::string() {
    return data(pasteboardType::string);
}

std::optional<Bytes> GnomePasteboard::data(std::string_view type) {
    for (const auto& representation : *snapshot_) {
        if (representation.type == type) {
            return representation.data;
        }
    }
    return std::nullopt;
}

bool GnomePasteboard::observeChanges(std::function<void(const PasteboardChange&)> onChange) {
    onChange_ = std::move(onChange);
    if (!onChange_) {
        reads_.clear();
        readDeadline_.cancel();
    }
    return true;
}

// ---- Others' copies ------------------------------------------------------------------------

void GnomePasteboard::onSelection(const GnomeBridge::Fields& fields) {
    if (fields.size() < 2) {
        return;
    }
    ownWrite_ = 0;  // another owner: what we set is gone
    if (!onChange_) {
        ++changeCount_;  // not read, but a change all the same
        return;
    }
    Read read;
    read.serial = std::string(fields[1]);
    const std::vector<std::string> offered(fields.begin() + 2, fields.end());
    for (const wayland::MimeName& name : wayland::mimeTypesToRead(offered)) {
        read.mimes.emplace_back(name.mime);
        read.types.push_back(name.type);
    }
    reads_.push_back(std::move(read));
    if (reads_.size() == 1) {
        askNext();
    }
}

void GnomePasteboard::askNext() {
    while (!reads_.empty()) {
        Read& head = reads_.front();
        if (head.failed || head.mimes.empty()) {
            finishHead();
            continue;
        }
        if (!head.asked) {
            head.asked = true;
            readDeadline_ = mainQueue_.after(options_.readBudget, [this] {
                if (!reads_.empty()) {
                    reads_.front().failed = true;
                    finishHead();
                    askNext();
                }
            });
        }
        // The shell reads no more than one byte over what is left of the budget.
        const std::string limit = options_.maxBytes == 0
                                      ? std::string("-1")
                                      : std::to_string(options_.maxBytes - head.bytes + 1);
        bridge_.send("read " + head.serial + " " + head.mimes.front() + " " + limit);
        return;
    }
}

void GnomePasteboard::onData(const GnomeBridge::Fields& fields, bool hasData) {
    if (reads_.empty() || fields.size() < 3 || fields[1] != reads_.front().serial ||
        fields[2] != reads_.front().mimes.front()) {
        return;
    }
    Read& head = reads_.front();
    const std::string_view type = head.types[head.types.size() - head.mimes.size()];
    const wayland::MimeName name{type, head.mimes.front()};
    head.mimes.erase(head.mimes.begin());
    if (hasData && fields.size() == 4) {
        std::optional<Bytes> bytes = gnome::base64Decode(fields[3]);
        if (!bytes) {
            head.failed = true;
        } else if (head.bytes + bytes->size() > options_.maxBytes && options_.maxBytes > 0) {
            // Over the budget: the copy is not taken, as elsewhere.
            head.contents->clear();
            head.failed = true;
        } else if (!std::any_of(head.contents->begin(), head.contents->end(),
                                [type](const auto& item) { return item.type == type; })) {
            head.bytes += bytes->size();
            head.contents->push_back(
                {std::string(type), wayland::bytesFromMime(name, std::move(*bytes))});
        }
    }
    askNext();
}

void GnomePasteboard::finishHead() {
    readDeadline_.cancel();
    Read read = std::move(reads_.front());
    reads_.pop_front();
    if (read.failed && read.bytes > 0 && !read.contents->empty()) {
        read.contents->clear();  // half a copy is no copy
    }
    ++changeCount_;
    snapshot_ = read.contents;
    if (onChange_) {
        onChange_(PasteboardChange{changeCount_, snapshot_});
    }
}

// ---- Our writes ----------------------------------------------------------------------------

std::string_view GnomePasteboard::writtenMime(const std::vector<ClipboardRepresentation>& contents,
                                              std::string_view* type) {
    // Text first: what almost every paste target asks for.
    for (const std::string_view wanted :
         {pasteboardType::string, pasteboardType::html, pasteboardType::rtf, pasteboardType::png,
          pasteboardType::tiff}) {
        for (const auto& representation : contents) {
            if (representation.type == wanted) {
                if (type != nullptr) {
                    *type = wanted;
                }
                return wayland::mimeTypesOf(wanted).front();
            }
        }
    }
    return {};
}

void GnomePasteboard::clearContents() {
    own_ = std::make_shared<Contents>();
    writePending_ = true;
    ++changeCount_;
    // The types of one write, set in this turn, go out as one message.
    commit_.schedule();
}

bool GnomePasteboard::setString(std::string_view text, std::string_view type) {
    return setData(Bytes(text), type);
}

bool GnomePasteboard::setData(Bytes data, std::string_view type) {
    if (!writePending_ || !bridge_.isConnected() || wayland::mimeTypesOf(type).empty()) {
        return false;
    }
    putRepresentation(*own_, type, std::move(data));
    return true;
}

void GnomePasteboard::commitWrite() {
    if (!writePending_) {
        return;
    }
    writePending_ = false;
    const std::shared_ptr<Contents> contents = std::move(own_);
    std::string_view type;
    const std::string_view mime = writtenMime(*contents, &type);
    if (mime.empty()) {
        if (ownWrite_ != 0) {
            bridge_.send("wipe " + std::to_string(ownWrite_));
            ownWrite_ = 0;
        }
        return;
    }
    const auto found = std::find_if(contents->begin(), contents->end(),
                                    [type](const auto& item) { return item.type == type; });
    ownWrite_ = ++writes_;
    bridge_.send("set " + std::to_string(ownWrite_) + " " + std::string(mime) + " " +
                 gnome::base64Encode(found->data.view()));
    snapshot_ = contents;
}

void GnomePasteboard::commitPendingWrites() {
    commitWrite();
}

bool GnomePasteboard::publishWrites() {
    commitWrite();
    return bridge_.isConnected();
}

}  // namespace tovra
