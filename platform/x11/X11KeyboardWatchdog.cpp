#include "X11KeyboardWatchdog.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xinput.h>

#include <deque>

#include "X11Connection.h"

namespace tovra {

namespace {

using SteadyClock = std::chrono::steady_clock;

std::int64_t steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               SteadyClock::now().time_since_epoch())
        .count();
}

// Presses waiting for their check; beyond this, typing is far faster than any stall.
constexpr std::size_t maxWatchedPresses = 256;

}  // namespace

std::unique_ptr<X11KeyboardWatchdog> X11KeyboardWatchdog::start(const std::string& displayName,
                                                                xcb_connection_t* grabbing,
                                                                std::chrono::milliseconds stall,
                                                                std::string& error) {
    xcb_screen_t* screen = nullptr;
    XcbConnection connection =
        X11Connection::connect(displayName.empty() ? nullptr : displayName.c_str(), screen, error);
    if (!connection) {
        return nullptr;
    }
    xcb_connection_t* c = connection.get();
    const auto* xinput = xcb_get_extension_data(c, &xcb_input_id);
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (xinput == nullptr || xinput->present == 0 || !version || version->major_version < 2) {
        error = "the display has no XInput2";
        return nullptr;
    }
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t mask;
    } rawPresses{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS};
    xcb_input_xi_select_events(c, screen->root, 1, &rawPresses.header);
    xcb_flush(c);
    return std::unique_ptr<X11KeyboardWatchdog>(
        new X11KeyboardWatchdog(std::move(connection), grabbing, stall, xinput->major_opcode));
}

X11KeyboardWatchdog::X11KeyboardWatchdog(XcbConnection connection, xcb_connection_t* grabbing,
                                         std::chrono::milliseconds stall, std::uint8_t xinputOpcode)
    : connection_(std::move(connection)),
      grabbing_(grabbing),
      stall_(stall),
      xinputOpcode_(xinputOpcode) {
    if (pipe2(wakeFds_, O_CLOEXEC | O_NONBLOCK) != 0) {
        wakeFds_[0] = wakeFds_[1] = -1;
    }
    thread_ = std::thread([this] { run(); });
}

X11KeyboardWatchdog::~X11KeyboardWatchdog() {
    stop_ = true;
    if (wakeFds_[1] >= 0) {
        const char byte = 0;
        (void)!write(wakeFds_[1], &byte, 1);
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    for (const int fd : wakeFds_) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void X11KeyboardWatchdog::keySeen(xcb_timestamp_t time) {
    if (!seenAny_ || x11::isEarlier(lastSeen_, time)) {
        lastSeen_ = time;
    }
    seenAny_ = true;
}

void X11KeyboardWatchdog::setFrozen(bool frozen) {
    frozenAt_ = frozen ? steadyMilliseconds() : 0;
}

void X11KeyboardWatchdog::release() {
    // The time of "now": whatever is frozen goes to the focused window as typed.
    xcb_allow_events(grabbing_, XCB_ALLOW_REPLAY_KEYBOARD, XCB_CURRENT_TIME);
    xcb_flush(grabbing_);
    ++releases_;
}

void X11KeyboardWatchdog::run() {
    xcb_connection_t* c = connection_.get();
    struct Press {
        xcb_timestamp_t time;
        std::int64_t checkAt;
    };
    std::deque<Press> presses;
    std::int64_t releasedFrozenAt = 0;
    while (!stop_ && xcb_connection_has_error(c) == 0) {
        const std::int64_t frozenAt = frozenAt_;
        std::int64_t nextCheck = -1;
        if (!presses.empty()) {
            nextCheck = presses.front().checkAt;
        }
        if (frozenAt != 0 && frozenAt != releasedFrozenAt) {
            const std::int64_t frozenCheck = frozenAt + stall_.count();
            nextCheck = nextCheck < 0 ? frozenCheck : std::min(nextCheck, frozenCheck);
        }
        int timeout = -1;  // nothing to check: sleep until a key is pressed
        if (nextCheck >= 0) {
            timeout = static_cast<int>(std::max<std::int64_t>(0, nextCheck - steadyMilliseconds()));
        }
        pollfd fds[2] = {{xcb_get_file_descriptor(c), POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
        poll(fds, wakeFds_[0] >= 0 ? 2 : 1, timeout);
        ++wakeUps_;
        if (stop_) {
            break;
        }
        const std::int64_t now = steadyMilliseconds();
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
            if ((event->response_type & 0x7F) == XCB_GE_GENERIC &&
                generic->extension == xinputOpcode_ &&
                generic->event_type == XCB_INPUT_RAW_KEY_PRESS &&
                presses.size() < maxWatchedPresses) {
                const auto* raw = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(event);
                presses.push_back({raw->time, now + stall_.count()});
            }
            std::free(event);
        }
        bool stuck = false;
        while (!presses.empty() && presses.front().checkAt <= now) {
            // The main loop never even read this key.
            stuck = stuck || !seenAny_ || x11::isEarlier(lastSeen_, presses.front().time);
            presses.pop_front();
        }
        const std::int64_t stillFrozenAt = frozenAt_;
        if (stillFrozenAt != 0 && stillFrozenAt != releasedFrozenAt &&
            now - stillFrozenAt >= stall_.count()) {
            stuck = true;  // read, but held far longer than any paste needs
            releasedFrozenAt = stillFrozenAt;
        }
        if (stuck) {
            release();
        }
    }
}

}  // namespace tovra
