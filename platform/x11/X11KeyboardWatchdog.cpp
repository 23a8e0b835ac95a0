#include "X11KeyboardWatchdog.h"

#include <xcb/xinput.h>

#include <algorithm>

#include "X11Connection.h"

namespace tovra {

namespace {

// Presses waiting for their check; beyond this, typing is far faster than any stall.
constexpr std::size_t maxWatchedPresses = 256;
// Releases nobody asked about yet; more would mean keys the main thread never reads.
constexpr std::size_t maxReleasesToTell = 32;
// Enough to find the key being decided among those typed just before it.
constexpr std::size_t maxArrivals = 64;

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
    thread_ = std::make_unique<X11EventThread>(
        connection_.get(), "tovra-watchdog",
        X11EventThread::Loop{[this](const xcb_generic_event_t& event) { onEvent(event); },
                             [this] { return afterWake(); }});
}

X11KeyboardWatchdog::~X11KeyboardWatchdog() {
    thread_.reset();
}

void X11KeyboardWatchdog::keySeen(xcb_timestamp_t time) {
    if (!seenAny_ || x11::isEarlier(lastSeen_, time)) {
        lastSeen_ = time;
    }
    seenAny_ = true;
}

std::chrono::milliseconds X11KeyboardWatchdog::stall() const {
    const std::int64_t limit = freezeLimitMs_;
    return limit < 0 ? stall_ : std::min(stall_, std::chrono::milliseconds(limit));
}

std::optional<X11KeyboardWatchdog::Clock::time_point> X11KeyboardWatchdog::repeatDeadline(
    Clock::time_point since) const {
    const std::int64_t limit = freezeLimitMs_;
    if (limit < 0) {
        return std::nullopt;
    }
    return since + std::chrono::milliseconds(limit);
}

void X11KeyboardWatchdog::setRepeatDelay(std::optional<std::chrono::milliseconds> delay) {
    if (!delay) {
        freezeLimitMs_ = -1;
        return;
    }
    // Let go a quarter early: our own thread, and the request to the server, may be late.
    const auto margin = std::max(*delay / 4, std::chrono::milliseconds(40));
    freezeLimitMs_ = std::max<std::int64_t>((*delay - margin).count(), 0);
}

void X11KeyboardWatchdog::setFrozen(std::optional<xcb_timestamp_t> key) {
    {
        std::lock_guard lock(mutex_);
        const auto now = Clock::now();
        if (frozen_ && !key) {
            lastThaw_ = now;
        }
        frozen_.reset();
        frozenReleased_ = false;
        if (key) {
            // The server counts towards a repeat from when the grab took the key: when it was
            // typed, or, typed while another key was frozen, when that one was answered. We may
            // read it later than that.
            auto since = now;
            for (const auto& a : arrivals_) {
                if (a.time == *key) {
                    since = std::min(since, std::max(a.at, lastThaw_));
                }
            }
            auto letGoAt = now + stall();
            if (const auto deadline = repeatDeadline(since)) {
                letGoAt = std::min(letGoAt, *deadline);
            }
            frozen_ = Frozen{*key, since, letGoAt};
        }
    }
    if (key) {
        thread_->wake();  // to look again once it is `stall` old
    }
}

void X11KeyboardWatchdog::heldOnPurpose(std::chrono::milliseconds longest) {
    // No wake needed: the watchdog looks again at the earlier time and finds the later one.
    std::lock_guard lock(mutex_);
    if (frozen_ && !frozenReleased_) {
        frozen_->letGoAt = std::max(frozen_->letGoAt, Clock::now() + longest + stall_);
        if (const auto deadline = repeatDeadline(frozen_->since)) {
            frozen_->letGoAt = std::min(frozen_->letGoAt, *deadline);
        }
    }
}

bool X11KeyboardWatchdog::wasLetGo(xcb_timestamp_t key) {
    std::lock_guard lock(mutex_);
    // A release that ends before this key can let go of nothing the main thread reads later.
    while (!releasesToTell_.empty() && x11::isEarlier(releasesToTell_.front().upTo, key)) {
        releasesToTell_.pop_front();
    }
    if (releasesToTell_.empty() || x11::isEarlier(key, releasesToTell_.front().from)) {
        return false;
    }
    releasesToTell_.pop_front();
    return true;
}

void X11KeyboardWatchdog::release(Release released) {
    // The time of "now": whatever is frozen goes to the focused window as typed.
    xcb_allow_events(grabbing_, XCB_ALLOW_REPLAY_KEYBOARD, XCB_CURRENT_TIME);
    xcb_flush(grabbing_);
    lastThaw_ = Clock::now();
    ++releases_;
    if (releasesToTell_.size() >= maxReleasesToTell) {
        releasesToTell_.pop_front();
    }
    releasesToTell_.push_back(released);
}

void X11KeyboardWatchdog::onEvent(const xcb_generic_event_t& event) {
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if ((event.response_type & 0x7F) != XCB_GE_GENERIC || generic.extension != xinputOpcode_ ||
        generic.event_type != XCB_INPUT_RAW_KEY_PRESS) {
        return;
    }
    const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
    if (presses_.empty() || x11::isEarlier(newestPress_, raw.time)) {
        newestPress_ = raw.time;
    }
    const auto now = Clock::now();
    if (presses_.size() < maxWatchedPresses) {
        presses_.push_back({raw.time, now + stall()});
    }
    std::lock_guard lock(mutex_);
    if (arrivals_.size() >= maxArrivals) {
        arrivals_.pop_front();
    }
    arrivals_.push_back({raw.time, now});
}

std::optional<X11KeyboardWatchdog::Clock::time_point> X11KeyboardWatchdog::afterWake() {
    const auto now = Clock::now();
    std::optional<xcb_timestamp_t> firstUnread;
    while (!presses_.empty() && presses_.front().checkAt <= now) {
        // The main loop never even read this key.
        const xcb_timestamp_t time = presses_.front().time;
        if (!firstUnread && (!seenAny_ || x11::isEarlier(lastSeen_, time))) {
            firstUnread = time;
        }
        presses_.pop_front();
    }
    std::optional<Clock::time_point> next;
    if (!presses_.empty()) {
        next = presses_.front().checkAt;
    }
    std::lock_guard lock(mutex_);
    if (frozen_ && !frozenReleased_) {
        // Read, but held far longer than any paste needs, or keys pile up behind it unread:
        // the key being decided is the one frozen.
        if (firstUnread || now >= frozen_->letGoAt) {
            frozenReleased_ = true;
            release({frozen_->key, frozen_->key});
            return next;
        }
        const auto frozenCheck = frozen_->letGoAt;
        next = next ? std::min(*next, frozenCheck) : frozenCheck;
    }
    if (firstUnread) {
        release({*firstUnread, newestPress_});
    }
    return next;
}

}  // namespace tovra
