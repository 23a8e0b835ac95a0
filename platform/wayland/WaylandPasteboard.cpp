#include "WaylandPasteboard.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "Tovra/base/PasteboardTypes.h"
#include "WaylandConnection.h"
#include "WaylandMimeTypes.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {
WaylandPasteboard* self(void* data) {
    return static_cast<WaylandPasteboard*>(data);
}
}  // namespace

// The protocol's C callbacks reach the members through these tables.
const WaylandDataControl::DeviceListener WaylandPasteboard::deviceListener{
    [](void* data, wl_proxy*, wl_proxy* offer) { self(data)->onDataOffer(offer); },
    [](void* data, wl_proxy*, wl_proxy* offer) { self(data)->onSelection(offer); },
    [](void* data, wl_proxy*) {
        // The seat is gone: nothing more comes from this device; a seat that comes (back)
        // gets a new one.
        auto* pasteboard = self(data);
        WaylandDataControl::destroy(pasteboard->device_);
        pasteboard->device_ = nullptr;
        pasteboard->deviceSeat_ = nullptr;
    },
    [](void* data, wl_proxy*, wl_proxy* offer) { self(data)->onPrimarySelection(offer); },
};

// On the sources' own thread.
const WaylandDataControl::SourceListener WaylandPasteboard::sourceListener{
    [](void* data, wl_proxy* source, const char* mimeType, std::int32_t fd) {
        self(data)->onSend(source, mimeType, fd);
    },
    [](void* data, wl_proxy* source) {
        auto* pasteboard = self(data);
        pasteboard->mainQueue_.post(
            [pasteboard, source, alive = std::weak_ptr<bool>(pasteboard->alive_)] {
                if (const auto stillAlive = alive.lock(); stillAlive && *stillAlive) {
                    pasteboard->onCancelled(source);
                }
            });
    },
};

const WaylandDataControl::OfferListener WaylandPasteboard::offerListener{
    [](void* data, wl_proxy* offer, const char* mimeType) {
        auto& introduced = self(data)->introduced_;
        if (const auto found = introduced.find(offer); found != introduced.end()) {
            found->second.emplace_back(mimeType);
        }
    },
};

WaylandPasteboard::WaylandPasteboard(WaylandConnection& connection, MainQueue& mainQueue,
                                     Options options)
    : connection_(connection),
      mainQueue_(mainQueue),
      options_(options),
      dataControl_(connection.dataControlManager(), connection.dataControlFlavor()),
      snapshot_(std::make_shared<Contents>()),
      server_(options.serveStep) {
    // Our sources answer on a thread of their own: Qt in this very process reads the
    // clipboard synchronously on the main thread (through XWayland), and would wait for them.
    sources_ = std::make_unique<WaylandEventThread>(
        connection.display(), [this, alive = std::weak_ptr<bool>(alive_)] {
            mainQueue_.post([this, alive] {
                if (const auto stillAlive = alive.lock(); stillAlive && *stillAlive) {
                    connection_.scheduleDispatch();
                }
            });
        });
    attachDevice();
    seatWatch_ = connection.onSeatChanged([this] { attachDevice(); });
}

void WaylandPasteboard::attachDevice() {
    if (device_ != nullptr && deviceSeat_ == connection_.seat()) {
        return;
    }
    if (device_ != nullptr) {
        WaylandDataControl::destroy(device_);
        device_ = nullptr;
    }
    forgetDeviceSettling();
    deviceSeat_ = connection_.seat();
    if (!dataControl_.isAvailable() || deviceSeat_ == nullptr) {
        return;
    }
    // A new device announces the selection as it is now: like at start, not a copy.
    initialSelectionSeen_ = false;
    ownEchoes_ = 0;
    device_ = dataControl_.getDevice(deviceSeat_);
    wl_proxy_add_listener(device_,
                          reinterpret_cast<void (**)(void)>(
                              const_cast<WaylandDataControl::DeviceListener*>(&deviceListener)),
                          this);
    static const wl_callback_listener settledListener{
        [](void* data, wl_callback* callback, std::uint32_t /*serial*/) {
            auto* pasteboard = static_cast<WaylandPasteboard*>(data);
            wl_callback_destroy(callback);
            pasteboard->deviceSettled_ = nullptr;
            pasteboard->initialSelectionSeen_ = true;
        },
    };
    forgetDeviceSettling();
    deviceSettled_ = wl_display_sync(connection_.display());
    wl_callback_add_listener(deviceSettled_, &settledListener, this);
    connection_.flush();
}

void WaylandPasteboard::forgetDeviceSettling() {
    if (deviceSettled_ != nullptr) {
        wl_callback_destroy(deviceSettled_);
        deviceSettled_ = nullptr;
    }
}

WaylandPasteboard::~WaylandPasteboard() {
    *alive_ = false;
    forgetDeviceSettling();
    reads_.clear();
    for (const auto& [offer, types] : introduced_) {
        WaylandDataControl::destroy(offer);
    }
    dropSource();
    if (device_ != nullptr) {
        WaylandDataControl::destroy(device_);
    }
    connection_.flush();
    sources_.reset();
}

// ---- Others' copies ------------------------------------------------------------------------

void WaylandPasteboard::onDataOffer(wl_proxy* offer) {
    introduced_[offer];
    wl_proxy_add_listener(offer,
                          reinterpret_cast<void (**)(void)>(
                              const_cast<WaylandDataControl::OfferListener*>(&offerListener)),
                          this);
}

void WaylandPasteboard::onPrimarySelection(wl_proxy* offer) {
    // The middle-click selection changes with every text selected: it is never a copy.
    if (offer != nullptr) {
        introduced_.erase(offer);
        WaylandDataControl::destroy(offer);
    }
}

void WaylandPasteboard::onSelection(wl_proxy* offer) {
    const bool initial = !initialSelectionSeen_;
    initialSelectionSeen_ = true;
    if (offer == nullptr) {
        stagedHeldElsewhere_ = false;
        snapshot_ = std::make_shared<Contents>();
        if (!initial) {
            countForeignChange(snapshot_);
        }
        return;
    }
    std::vector<std::string> types;
    if (const auto found = introduced_.find(offer); found != introduced_.end()) {
        types = std::move(found->second);
        introduced_.erase(found);
    }
    const bool ours =
        std::find(types.begin(), types.end(), wayland::ownContentsMarker) != types.end();
    if (ours) {
        WaylandDataControl::destroy(offer);
        if (ownEchoes_ > 0) {
            --ownEchoes_;  // our own selection, announced back to us
            return;
        }
        // Our contents, offered by another client: a clipboard manager keeping the last copy.
        // Still ours, and put away again if we had wiped them. (Our source hears that it was
        // replaced on the sources' thread, maybe only after this.)
        stagedHeldElsewhere_ = true;
        wipeAgainIfWiped();
        return;
    }
    if (!onChange_ && !initial) {
        // Nobody listens: others' copies are not read.
        WaylandDataControl::destroy(offer);
        snapshot_ = std::make_shared<Contents>();
        ++changeCount_;
        return;
    }
    WaylandOfferReader::Options readOptions{options_.maxBytes, options_.readStep};
    reads_.push_back(
        {std::make_unique<WaylandOfferReader>(connection_, mainQueue_, readOptions, offer, types,
                                              [this] { deliverReads(); }),
         initial, std::chrono::steady_clock::now()});
}

bool WaylandPasteboard::isTakeover(const Contents& contents,
                                   std::chrono::steady_clock::time_point at) const {
    if (previous_.contents == nullptr || at - previous_.at > takeoverWindow) {
        return false;
    }
    bool anything = false;
    for (const auto& representation : contents) {
        const auto same =
            std::find_if(previous_.contents->begin(), previous_.contents->end(),
                         [&](const auto& earlier) { return earlier.type == representation.type; });
        if (same == previous_.contents->end() || same->data.view() != representation.data.view()) {
            return false;
        }
        anything = anything || !representation.data.empty();
    }
    return anything;
}

void WaylandPasteboard::wipeAgainIfWiped() {
    if (wiped_) {
        wiped_ = false;
        holdEmptyText();
        stagedHeldElsewhere_ = false;
        connection_.flush();
    }
}

void WaylandPasteboard::holdEmptyText() {
    auto empty = std::make_shared<Contents>();
    empty->push_back({std::string(pasteboardType::string), Bytes()});
    // What was staged stays the contents a manager may still bring back a moment later: it
    // read them before the wipe, and offers them after it.
    const Previous staged = previous_;
    offerContents(std::move(empty));
    if (staged.contents != nullptr && staged.ours) {
        previous_ = staged;
    }
}

void WaylandPasteboard::deliverReads() {
    while (!reads_.empty() && reads_.front().reader->isDone()) {
        Read read = std::move(reads_.front());
        reads_.pop_front();
        auto contents = read.reader->contents();
        if (!read.initial && isTakeover(*contents, read.at)) {
            // What the clipboard held a moment ago, offered by another client: a clipboard
            // manager keeping it alive. Not a copy; if it was ours, it still is.
            previous_.at = read.at;
            if (previous_.ours) {
                stagedHeldElsewhere_ = true;
                wipeAgainIfWiped();
            }
            continue;
        }
        if (!read.initial) {
            // Someone else's now (our own source, if any, hears it is cancelled).
            stagedHeldElsewhere_ = false;
            wiped_ = false;
        }
        if (source_ == nullptr && !writePending_) {
            snapshot_ = contents;  // unless our own write has replaced it since
        }
        previous_ = {contents, false, read.at};
        if (!read.initial) {
            countForeignChange(std::move(contents));  // a copy made, whatever came after
        }
    }
    if (wipeAfterReads_ && reads_.empty()) {
        wipeAfterReads_ = false;
        wipeIfOurs();
    }
    connection_.flush();
}

void WaylandPasteboard::countForeignChange(std::shared_ptr<const Contents> contents) {
    ++changeCount_;
    if (onChange_) {
        const auto onChange = onChange_;  // it may stop the observation
        onChange({changeCount_, std::move(contents)});
    }
}

bool WaylandPasteboard::observeChanges(std::function<void(const PasteboardChange&)> onChange) {
    onChange_ = std::move(onChange);
    if (!onChange_) {
        reads_.clear();
    }
    return device_ != nullptr;
}

std::optional<Bytes> WaylandPasteboard::string() {
    return data(pasteboardType::string);
}

std::optional<Bytes> WaylandPasteboard::data(std::string_view type) {
    for (const auto& representation : *snapshot_) {
        if (representation.type == type) {
            return representation.data;
        }
    }
    return std::nullopt;
}

// ---- Our writes ----------------------------------------------------------------------------

void WaylandPasteboard::clearContents() {
    own_ = std::make_shared<Contents>();
    writePending_ = true;
    ++changeCount_;
    // What follows in this turn (the types of one write) goes out as one selection.
    commit_.schedule();
}

bool WaylandPasteboard::setString(std::string_view text, std::string_view type) {
    return setData(Bytes(text), type);
}

bool WaylandPasteboard::setData(Bytes data, std::string_view type) {
    if (!writePending_ || device_ == nullptr || wayland::mimeTypesOf(type).empty()) {
        return false;
    }
    putRepresentation(*own_, type, std::move(data));
    return true;
}

void WaylandPasteboard::commitWrite() {
    if (!writePending_) {
        return;
    }
    writePending_ = false;
    std::shared_ptr<Contents> contents = std::move(own_);
    if (device_ == nullptr) {
        return;
    }
    if (!contents->empty()) {
        wiped_ = false;
        wipeAfterReads_ = false;
        offerContents(std::move(contents));
    } else if (!reads_.empty()) {
        // A copy still being read may be a clipboard manager's takeover of what we staged:
        // whether the clipboard is still ours is known once it is read.
        wipeAfterReads_ = true;
    } else {
        wipeIfOurs();
    }
    connection_.flush();
}

void WaylandPasteboard::wipeIfOurs() {
    // Only what is still ours goes. An empty text of ours takes its place rather than nothing:
    // a clipboard manager puts its last text back on an empty clipboard, and that may be the
    // item we staged.
    if (source_ != nullptr || stagedHeldElsewhere_) {
        holdEmptyText();
        wiped_ = true;
    }
    stagedHeldElsewhere_ = false;
}

void WaylandPasteboard::offerContents(std::shared_ptr<const Contents> contents) {
    wl_proxy* source = dataControl_.createSource(sources_->queue());
    wl_proxy_add_listener(source,
                          reinterpret_cast<void (**)(void)>(
                              const_cast<WaylandDataControl::SourceListener*>(&sourceListener)),
                          this);
    for (const auto& representation : *contents) {
        for (const std::string_view mime : wayland::mimeTypesOf(representation.type)) {
            WaylandDataControl::offer(source, std::string(mime).c_str());
        }
    }
    WaylandDataControl::offer(source, std::string(wayland::ownContentsMarker).c_str());
    WaylandDataControl::setSelection(device_, source);
    ++ownEchoes_;
    // The selection we replace is cancelled by the compositor; we need nothing more of it.
    dropSource();
    source_ = source;
    {
        std::lock_guard lock(served_.mutex);
        served_.source = source;
        served_.contents = contents;
    }
    previous_ = {contents, true, std::chrono::steady_clock::now()};
    snapshot_ = std::move(contents);
    stagedHeldElsewhere_ = false;
}

void WaylandPasteboard::dropSource() {
    if (source_ != nullptr) {
        {
            std::lock_guard lock(served_.mutex);
            served_.source = nullptr;
            served_.contents.reset();
        }
        WaylandDataControl::destroy(source_);
        source_ = nullptr;
    }
}

void WaylandPasteboard::onSend(wl_proxy* source, const char* mimeType, int fd) {
    std::shared_ptr<const Contents> served;
    {
        std::lock_guard lock(served_.mutex);
        if (source == served_.source) {
            served = served_.contents;
        }
    }
    if (served == nullptr) {
        close(fd);
        return;
    }
    if (mimeType == wayland::ownContentsMarker) {
        // Not empty: a manager that drops empty types would strip it, and its copy of our item
        // would then count as the user's.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        (void)!write(fd, wayland::ownContentsMarkerValue.data(),
                     wayland::ownContentsMarkerValue.size());
        close(fd);
        return;
    }
    const std::string_view type = wayland::typeOfMime(mimeType);
    const auto& contents = *served;
    const auto found = std::find_if(contents.begin(), contents.end(),
                                    [type](const auto& item) { return item.type == type; });
    if (type.empty() || found == contents.end()) {
        close(fd);  // the marker, or a type we never offered: nothing to say
        return;
    }
    server_.serve(fd, served, static_cast<std::size_t>(found - contents.begin()));
}

void WaylandPasteboard::onCancelled(wl_proxy* source) {
    // Only the current source is alive to hear it: another client's selection replaced ours,
    // and a wipe must leave that alone.
    if (source == source_) {
        dropSource();
    }
}

void WaylandPasteboard::commitPendingWrites() {
    commitWrite();
    if (wipeAfterReads_) {
        // Sleep or quit: no waiting for reads.
        wipeAfterReads_ = false;
        wipeIfOurs();
    }
    connection_.sync();
}

bool WaylandPasteboard::publishWrites() {
    commitWrite();
    connection_.flush();
    return device_ != nullptr;
}

}  // namespace tovra
