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
        if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
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
        armDeadline(*transfer);
    }
    if (pending_ == 0) {
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

void WaylandOfferReader::armDeadline(Transfer& transfer) {
    transfer.deadline = mainQueue_.after(options_.step, [this, &transfer] {
        finish(transfer, false);  // the client stopped writing
    });
}

void WaylandOfferReader::onReadable(Transfer& transfer) {
    std::array<char, chunkSize> buffer;
    for (;;) {
        const ssize_t count = read(transfer.fd, buffer.data(), buffer.size());
        if (count > 0) {
            const auto size = static_cast<std::size_t>(count);
            if (used_ + transfer.data.size() + size > options_.maxBytes) {
                // Over the budget: what was read is dropped, the rest refused.
                secureZero(buffer.data(), size);
                finish(transfer, false);
                return;
            }
            transfer.data.append(std::string_view(buffer.data(), size));
            secureZero(buffer.data(), size);
            continue;
        }
        if (count == 0) {
            used_ += transfer.data.size();
            finish(transfer, true);
            return;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            finish(transfer, false);
            return;
        }
        armDeadline(transfer);
        return;
    }
}

void WaylandOfferReader::finish(Transfer& transfer, bool keep) {
    if (transfer.fd < 0) {
        return;
    }
    transfer.watch.cancel();
    transfer.deadline.cancel();
    close(transfer.fd);
    transfer.fd = -1;
    if (!keep) {
        transfer.data = Bytes();
    }
    if (--pending_ == 0) {
        mainQueue_.post([done = done_, alive = std::weak_ptr<bool>(alive_)] {
            if (alive.lock()) {
                done();
            }
        });
    }
}

}  // namespace tovra
