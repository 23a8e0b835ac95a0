#include "X11KeyboardTap.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <algorithm>

#include "X11Connection.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {

unsigned modifiersOf(std::uint16_t state) {
    unsigned modifiers = noModifier;
    if ((state & XCB_MOD_MASK_CONTROL) != 0) {
        modifiers |= command;
    }
    if ((state & XCB_MOD_MASK_SHIFT) != 0) {
        modifiers |= shift;
    }
    if ((state & XCB_MOD_MASK_1) != 0) {
        modifiers |= option;
    }
    if ((state & XCB_MOD_MASK_4) != 0) {
        modifiers |= control;
    }
    return modifiers;
}

}  // namespace

X11KeyboardTap::X11KeyboardTap(X11Connection& connection, MainQueue& mainQueue, Options options)
    : connection_(connection),
      mainQueue_(mainQueue),
      options_(options),
      typing_(connection, mainQueue, layout_, modifiers_, options.releaseWait) {}

X11KeyboardTap::~X11KeyboardTap() {
    stop();
}

bool X11KeyboardTap::start(Handler handler) {
    if (running_) {
        return true;
    }
    xcb_connection_t* c = connection_.get();
    const auto* xtest = xcb_get_extension_data(c, &xcb_test_id);
    if (xtest == nullptr || xtest->present == 0 || !connection_.hasXInput21()) {
        return false;
    }
    xinputOpcode_ = xcb_get_extension_data(c, &xcb_input_id)->major_opcode;

    // Our injected keystrokes come from the XTEST keyboard: its raw events tell them apart.
    XcbReply<xcb_input_xi_query_device_reply_t> devices(xcb_input_xi_query_device_reply(
        c, xcb_input_xi_query_device(c, XCB_INPUT_DEVICE_ALL), nullptr));
    if (devices) {
        auto it = xcb_input_xi_query_device_infos_iterator(devices.get());
        for (; it.rem > 0; xcb_input_xi_device_info_next(&it)) {
            const std::string_view name(xcb_input_xi_device_info_name(it.data),
                                        static_cast<std::size_t>(it.data->name_len));
            if (it.data->type == XCB_INPUT_DEVICE_TYPE_SLAVE_KEYBOARD &&
                name.find("XTEST") != std::string_view::npos) {
                xtestDevice_ = it.data->deviceid;
            }
        }
    }

    if (!loadKeymap()) {
        return false;
    }
    handler_ = std::move(handler);
    subscription_ = connection_.subscribe([this](const xcb_generic_event_t& e) { handleEvent(e); });
    if (!grabAll()) {
        grabs_.ungrabAll();
        subscription_.cancel();
        handler_ = nullptr;
        return false;
    }

    struct {
        xcb_input_event_mask_t header;
        std::uint32_t mask;
    } rawMask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
              XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE};
    xcb_input_xi_select_events(c, connection_.root(), 1, &rawMask.header);

    // Start from the keys already down (a modifier held while we start).
    readKeysDown();
    running_ = true;
    connection_.flush();
    connection_.scheduleDispatch();
    std::string error;
    watchdog_ =
        X11KeyboardWatchdog::start(connection_.displayName(), c, options_.watchdogStall, error);
    if (watchdog_) {
        watchdog_->setRepeatDelay(connection_.keyRepeatDelay());
    }
    return true;
}

void X11KeyboardTap::stop() {
    if (!running_) {
        return;
    }
    // Never leave the keyboard frozen or grabbed behind us.
    answer(KeyAnswer::pass);
    watchdog_.reset();
    grabs_.ungrabAll();
    typing_.cancel();
    subscription_.cancel();
    handler_ = nullptr;
    running_ = false;
    connection_.flush();
}

void X11KeyboardTap::readKeysDown() {
    const auto codes = connection_.keysDown();
    if (!codes) {
        return;
    }
    std::map<xcb_keycode_t, KeyDown> down;
    for (const xcb_keycode_t key : *codes) {
        const auto known = keysDown_.find(key);
        down[key] = known != keysDown_.end() ? known->second : KeyDown{};
    }
    keysDown_ = std::move(down);
}

std::set<xcb_keycode_t> X11KeyboardTap::codesDown() const {
    std::set<xcb_keycode_t> codes;
    for (const auto& entry : keysDown_) {
        codes.insert(entry.first);
    }
    return codes;
}

bool X11KeyboardTap::loadKeymap() {
    xcb_connection_t* c = connection_.get();
    if (!symbols_) {
        symbols_.reset(xcb_key_symbols_alloc(c));
        if (!symbols_) {
            return false;
        }
    }
    const xcb_setup_t* setup = xcb_get_setup(c);
    layout_.load(symbols_.get(), setup->min_keycode, setup->max_keycode);
    modifiers_ = X11ModifierKeys::load(c, symbols_.get());
    connection_.scheduleDispatch();
    return !layout_.codesOf(Key::v).empty();
}

bool X11KeyboardTap::grabAll() {
    const bool grabbed = grabs_.grabAll(shortcuts(), modifiers_.numLockMask);
    connection_.scheduleDispatch();
    return grabbed;
}

void X11KeyboardTap::shortcutsDidChange() {
    if (running_) {
        regrab();
    }
}

void X11KeyboardTap::regrab() {
    const auto previousUnavailable = grabs_.unavailable();
    grabs_.ungrabAll();
    grabAll();
    if (grabs_.unavailable() != previousUnavailable && shortcutsChanged_) {
        shortcutsChanged_();
    }
}

void X11KeyboardTap::setOverlayShortcutsActive(bool active) {
    const bool changed = grabs_.setOverlayActive(active);
    connection_.scheduleDispatch();
    if (changed && shortcutsChanged_) {
        shortcutsChanged_();
    }
}

void X11KeyboardTap::handleEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_KEY_PRESS:
            onKeyPress(reinterpret_cast<const xcb_key_press_event_t&>(event));
            break;
        case XCB_KEY_RELEASE: {
            // Comes to us while a grab of ours is active, and for the release the server puts
            // before each repeat of a key held down: the key itself stays down (raw events say
            // when it goes up).
            const auto& release = reinterpret_cast<const xcb_key_release_event_t&>(event);
            typing_.keyReleased(release.detail, false);
            break;
        }
        case XCB_MAPPING_NOTIFY:
            onMappingChanged(const_cast<xcb_mapping_notify_event_t&>(
                reinterpret_cast<const xcb_mapping_notify_event_t&>(event)));
            break;
        case XCB_GE_GENERIC: {
            const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
            if (generic.extension != xinputOpcode_) {
                break;
            }
            if (generic.event_type == XCB_INPUT_RAW_KEY_PRESS) {
                onRawKey(event, true);
            } else if (generic.event_type == XCB_INPUT_RAW_KEY_RELEASE) {
                onRawKey(event, false);
            }
            break;
        }
        default:
            break;
    }
}

void X11KeyboardTap::onMappingChanged(xcb_mapping_notify_event_t& mapping) {
    if (mapping.request == XCB_MAPPING_POINTER) {
        return;
    }
    xcb_refresh_keyboard_mapping(symbols_.get(), &mapping);
    // The server also says this when typing moves from one keyboard device to another; regrab
    // only when the keys of our shortcuts really moved, since keys pressed between the ungrab
    // and the grab would slip past us.
    const auto previousLayout = layout_;
    const auto previousNumLock = modifiers_.numLockMask;
    loadKeymap();
    if (layout_ != previousLayout || modifiers_.numLockMask != previousNumLock) {
        regrab();
    }
}

void X11KeyboardTap::onRawKey(const xcb_generic_event_t& event, bool press) {
    const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
    const auto code = static_cast<xcb_keycode_t>(raw.detail);
    if (watchdog_) {
        watchdog_->keySeen(raw.time);
    }
    if (!press) {
        keysDown_.erase(code);
        typing_.keyReleased(code, raw.sourceid != xtestDevice_);
        return;
    }
    const bool autoRepeat = (raw.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) != 0;
    KeyDown& down = keysDown_[code];
    down.source = raw.sourceid;
    if (!autoRepeat) {
        down = KeyDown{raw.sourceid};  // a new press
    }
    // A copy is only observed: the application gets it untouched, without any grab.
    if (!autoRepeat && layout_.isKeyInAnyGroup(code, Key::c) && raw.sourceid != xtestDevice_ &&
        handler_ && modifiers_.heldBy(codesDown()) == command &&
        layout_.keyAt(code, X11KeyLayout::currentGroup(connection_)) == Key::c) {
        handler_(KeyPress{Key::c, command, false, nextSerial_++});
    }
}

void X11KeyboardTap::onKeyPress(const xcb_key_press_event_t& event) {
    if (watchdog_) {
        watchdog_->keySeen(event.time);
        if (watchdog_->wasLetGo(event.time)) {
            return;  // it reached the application already: too late to act on it
        }
    }
    // The server delivers a grabbed key only once the previous one is no longer frozen: one
    // still waiting here was let go meanwhile.
    setWaiting(Waiting{nextSerial_++, event.detail, event.time});
    KeyDown& down = keysDown_[event.detail];
    // The key as the application in front reads it: in the group the user types in.
    const auto key = layout_.keyAt(event.detail, X11KeyLayout::groupOf(event.state));
    if (!handler_ || !key || !isShortcut({*key, modifiersOf(event.state)})) {
        answer(KeyAnswer::pass);
        return;
    }
    // The server repeats a held key with presses of its own, between no releases.
    const bool repeat = down.grabbedPresses++ > 0;
    if (repeat && down.swallowed) {
        answer(KeyAnswer::swallow);  // a swallowed shortcut held down acts once
        return;
    }
    const KeyPress press{*key, modifiersOf(event.state),
                         xtestDevice_ != 0 && down.source == xtestDevice_, waiting_->serial,
                         focusPassesThrough()};
    const KeyAnswer decision = handler_(press);
    if (decision == KeyAnswer::hold) {
        if (watchdog_ && waiting_ && waiting_->serial == press.serial) {
            // Read again for every hold, so the user's newest setting counts.
            watchdog_->setRepeatDelay(connection_.keyRepeatDelay());
            watchdog_->heldOnPurpose(longestHold_);
        }
        return;
    }
    if (waiting_ && waiting_->serial == press.serial) {
        answer(decision);
    }
}

bool X11KeyboardTap::focusPassesThrough() {
    if (!passThroughFocus_ || (ownWindowMayHaveFocus_ && !ownWindowMayHaveFocus_())) {
        return false;
    }
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    connection_.scheduleDispatch();
    return focus && passThroughFocus_(focus->focus);
}

std::function<bool(xcb_window_t)> X11KeyboardTap::windowsOf(xcb_connection_t* connection) {
    // Every window a client makes carries its connection's resource id base.
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const std::uint32_t base = setup->resource_id_base;
    const std::uint32_t mask = setup->resource_id_mask;
    return [base, mask](xcb_window_t window) {
        return window != XCB_WINDOW_NONE && (window & ~mask) == base;
    };
}

bool X11KeyboardTap::waitingWasLetGo() {
    if (waiting_ && watchdog_ && watchdog_->wasLetGo(waiting_->time)) {
        setWaiting(std::nullopt);
        return true;
    }
    return false;
}

void X11KeyboardTap::setWaiting(std::optional<Waiting> waiting) {
    waiting_ = waiting;
    if (watchdog_) {
        watchdog_->setFrozen(waiting ? std::optional(waiting->time) : std::nullopt);
    }
}

void X11KeyboardTap::answer(KeyAnswer decision) {
    if (!waiting_ || waitingWasLetGo()) {
        return;
    }
    // The event's own time: an answer that comes too late cannot thaw a newer keystroke.
    const Waiting waiting = *waiting_;
    setWaiting(std::nullopt);
    if (decision == KeyAnswer::swallow) {
        // Dropping the grab drops the key and lets every key typed behind it go on, in order,
        // to the focused window.
        xcb_ungrab_keyboard(connection_.get(), waiting.time);
        keysDown_[waiting.code].swallowed = true;
    } else {
        xcb_allow_events(connection_.get(), XCB_ALLOW_REPLAY_KEYBOARD, waiting.time);
        keysDown_[waiting.code].swallowed = false;
    }
    connection_.flush();
}

bool X11KeyboardTap::isHeld(std::uint64_t serial) {
    return waiting_ && waiting_->serial == serial && !waitingWasLetGo();
}

void X11KeyboardTap::replayHeld(std::uint64_t serial) {
    if (waiting_ && waiting_->serial == serial) {
        answer(KeyAnswer::pass);
    }
}

void X11KeyboardTap::swallowHeld(std::uint64_t serial) {
    if (waiting_ && waiting_->serial == serial) {
        answer(KeyAnswer::swallow);
    }
}

void X11KeyboardTap::postSyntheticPaste(unsigned modifiers) {
    if (running_) {
        typing_.post(modifiers);
    }
}

}  // namespace tovra
