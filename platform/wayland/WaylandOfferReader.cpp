#include "WaylandOfferReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "WaylandConnection.h"
#include "WaylandDataControl.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {
constexpr std::size_t chunkSize = 64 * 1024;
}  // namespace

WaylandOfferReader::WaylandOfferReader(WaylandConnection& connection, MainQueue& mainQueue,
                                       Options options, wl_proxy* offer,
                                       const std::vector<std::string>& offered,
                                       std::function<void()> done)
    : mainQueue_(mainQueue), options_(options), offer_(offer), done_(std::move(done)) {
    for (const wayland::MimeName& name : wayland::mimeTypesToRead(offered)) {
        int ends[2];
        // Only our end never blocks: a client writing with a plain loop would take EAGAIN on
        // a full pipe for the end of its data.
        if (pipe2(ends, O_CLOEXEC) != 0) {
            continue;
        }
        if (fcntl(ends[0], F_SETFL, fcntl(ends[0], F_GETFL) | O_NONBLOCK) != 0) {
            close(ends[0]);
            close(ends[1]);
            continue;
        }
        // The request carries a duplicate of the writing end: ours closes now, so the end of
        // the data is seen when the client closes its own.
        WaylandDataControl::receive(offer_, std::string(name.mime).c_str(), ends[1]);
        close(ends[1]);
        auto transfer = std::make_unique<Transfer>();
        transfer->name = name;
        transfer->fd = ends[0];
        transfers_.push_back(std::move(transfer));
    }
    connection.flush();
    pending_ = transfers_.size();
    for (const auto& transfer : transfers_) {
        Transfer* watched = transfer.get();
        transfer->watch =
            mainQueue_.watchReadable(transfer->fd, [this, watched] { onReadable(*watched); });
    }
    if (pending_ > 0) {
        armStep();
        total_ = mainQueue_.after(options_.total, [this] { giveUp(); });
    } else {
        // Nothing we read is offered: done, with nothing.
        mainQueue_.post([done = done_, alive = std::weak_ptr<bool>(alive_)] {
            if (alive.lock()) {
                done();
            }
        });
    }
}

WaylandOfferReader::~WaylandOfferReader() {
    *alive_ = false;
    for (const auto& transfer : transfers_) {
        if (transfer->fd >= 0) {
            transfer->watch.cancel();
            close(transfer->fd);
        }
    }
    WaylandDataControl::destroy(offer_);
}

std::shared_ptr<const WaylandOfferReader::Contents> WaylandOfferReader::contents() const {
    auto contents = std::make_shared<Contents>();
    for (const auto& transfer : transfers_) {
        if (transfer->fd < 0 && !transfer->data.empty()) {
            contents->push_back({std::string(transfer->name.type),
                                 wayland::bytesFromMime(transfer->name, transfer->data)});
        }
    }
    return contents;
}

void WaylandOfferReader::armStep() {
    step_ = mainQueue_.after(options_.step, [this] { giveUp(); });
}

void WaylandOfferReader::giveUp() {
    step_.cancel();
    total_.cancel();
    for (const auto& transfer : transfers_) {
        finish(*transfer, false);
    }
}

std::size_t WaylandOfferReader::bytesRead() const {
    std::size_t total = 0;
    for (const auto& transfer : transfers_) {
        total += transfer->data.size();
    }
    return total;
}

void WaylandOfferReader::onReadable(Transfer& transfer) {
    std::array<char, chunkSize> buffer;
    bool progressed = false;
    for (;;) {
        const ssize_t count = read(transfer.fd, buffer.data(), buffer.size());
        if (count > 0) {
            const auto size = static_cast<std::size_t>(count);
            if (bytesRead() + size > options_.maxBytes) {
                // Over the budget: what was read is dropped, the rest refused.
                secureZero(buffer.data(), size);
                finish(transfer, false);
                return;
            }
            transfer.data.append(std::string_view(buffer.data(), size));
            secureZero(buffer.data(), size);
            progressed = true;
            continue;
        }
        if (count == 0) {
            finish(transfer, true);
            if (pending_ > 0) {
                armStep();  // the client may start the next type only now
            }
            return;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            finish(transfer, false);
            return;
        }
        if (progressed) {
            armStep();
        }
        return;
    }
}

void WaylandOfferReader::finish(Transfer& transfer, bool keep) {
    if (transfer.fd < 0) {
        return;
    }
    transfer.watch.cancel();
    close(transfer.fd);
    transfer.fd = -1;
    if (!keep) {
        transfer.data = Bytes();
    }
    if (--pending_ == 0) {
        step_.cancel();
        total_.cancel();
        mainQueue_.post([done = done_, alive = std::weak_ptr<bool>(alive_)] {
            if (alive.lock()) {
                done();
            }
        });
    }
}

}  // namespace tovra
