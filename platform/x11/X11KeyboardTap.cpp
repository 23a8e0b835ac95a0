#include "X11KeyboardTap.h"

#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "X11Connection.h"
#include "platform/MainQueue.h"

namespace tovra {

namespace {

constexpr xcb_keysym_t controlLeftKeysym = 0xffe3;
constexpr xcb_keysym_t shiftLeftKeysym = 0xffe1;
constexpr xcb_keysym_t altLeftKeysym = 0xffe9;
constexpr xcb_keysym_t numLockKeysym = 0xff7f;

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

const std::vector<KeyboardTap::Shortcut>& X11KeyboardTap::interceptedShortcuts() {
    // The paste grab comes first: without it the tap does not start.
    static const std::vector<Shortcut> shortcuts{
        {Key::v, command},
        {Key::v, command | shift},
        {Key::v, command | option},          // urxvt's paste key
        {Key::v, command | option | shift},  // burst where Ctrl+Shift+V pastes (terminals)
        {Key::s, command | shift},
        {Key::escape, noModifier},
        {Key::x, command | option},
        {Key::w, command | option},
        {Key::digit1, command | option},
        {Key::digit2, command | option},
        {Key::digit3, command | option},
        {Key::p, command | option},
        {Key::l, command | option},
        {Key::upArrow, command | option},
        {Key::downArrow, command | option},
    };
    return shortcuts;
}

X11KeyboardTap::X11KeyboardTap(X11Connection& connection, MainQueue& mainQueue, Options options)
    : connection_(connection), mainQueue_(mainQueue), options_(options) {}

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
    refreshPressedKeys();
    running_ = true;
    connection_.flush();
    connection_.scheduleDispatch();
    std::string error;
    watchdog_ =
        X11KeyboardWatchdog::start(connection_.displayName(), c, options_.watchdogStall, error);
    return true;
}

void X11KeyboardTap::stop() {
    if (!running_) {
        return;
    }
    // Never leave the keyboard frozen or grabbed behind us.
    if (held_) {
        xcb_allow_events(connection_.get(), XCB_ALLOW_REPLAY_KEYBOARD, held_->time);
        held_.reset();
        setFrozen(false);
    }
    watchdog_.reset();
    grabs_.ungrabAll();
    injectionDeadline_.cancel();
    injectionsWaiting_.clear();
    activeGrabKey_.reset();
    subscription_.cancel();
    handler_ = nullptr;
    running_ = false;
    connection_.flush();
}

void X11KeyboardTap::refreshPressedKeys() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr));
    connection_.scheduleDispatch();
    if (!keymap) {
        return;
    }
    pressed_.clear();
    for (int code = 8; code < 256; ++code) {
        if ((keymap->keys[code / 8] & (1 << (code % 8))) != 0) {
            pressed_.insert(static_cast<xcb_keycode_t>(code));
        }
    }
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
    auto codesFor = [&](xcb_keysym_t keysym) {
        std::vector<xcb_keycode_t> codes;
        XcbReply<xcb_keycode_t> list(xcb_key_symbols_get_keycode(symbols_.get(), keysym));
        for (const xcb_keycode_t* code = list.get(); code != nullptr && *code != XCB_NO_SYMBOL;
             ++code) {
            // Only keys that produce the symbol unshifted, as applications read shortcuts.
            if (xcb_key_symbols_get_keysym(symbols_.get(), *code, 0) == keysym &&
                std::find(codes.begin(), codes.end(), *code) == codes.end()) {
                codes.push_back(*code);
            }
        }
        return codes;
    };
    auto firstCode = [&](xcb_keysym_t keysym) {
        const auto codes = codesFor(keysym);
        return codes.empty() ? xcb_keycode_t{0} : codes.front();
    };
    controlLeft_ = firstCode(controlLeftKeysym);
    shiftLeft_ = firstCode(shiftLeftKeysym);
    altLeft_ = firstCode(altLeftKeysym);
    const auto numLocks = codesFor(numLockKeysym);

    XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    controlCodes_.clear();
    shiftCodes_.clear();
    altCodes_.clear();
    superCodes_.clear();
    numLockMask_ = 0;
    if (mapping) {
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
        const int perModifier = mapping->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[modifier * perModifier + i];
                if (code == 0) {
                    continue;
                }
                switch (modifier) {
                    case 0:
                        shiftCodes_.insert(code);
                        break;
                    case 2:
                        controlCodes_.insert(code);
                        break;
                    case 3:
                        altCodes_.insert(code);
                        break;
                    case 6:
                        superCodes_.insert(code);
                        break;
                    default:
                        break;
                }
                if (std::find(numLocks.begin(), numLocks.end(), code) != numLocks.end()) {
                    numLockMask_ = static_cast<std::uint16_t>(1U << modifier);
                }
            }
        }
    }
    return !layout_.codesOf(Key::v).empty();
}

bool X11KeyboardTap::grabAll() {
    const bool grabbed = grabs_.grabAll(interceptedShortcuts(), numLockMask_);
    connection_.scheduleDispatch();
    return grabbed;
}

void X11KeyboardTap::setOverlayShortcutsActive(bool active) {
    const bool changed = grabs_.setOverlayActive(active);
    connection_.scheduleDispatch();
    if (changed && shortcutsChanged_) {
        shortcutsChanged_();
    }
}

void X11KeyboardTap::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    switch (type) {
        case XCB_KEY_PRESS:
            onKeyPress(reinterpret_cast<const xcb_key_press_event_t&>(event));
            break;
        case XCB_KEY_RELEASE: {
            // Under our active grab (a swallowed shortcut) key releases come to us, and our own
            // raw events do not: the grab ends with the release of its key.
            const auto& release = reinterpret_cast<const xcb_key_release_event_t&>(event);
            pressed_.erase(release.detail);
            if (activeGrabKey_ == release.detail) {
                activeGrabKey_.reset();
            }
            if (!injectionsWaiting_.empty() && !isHeldDown(Key::v)) {
                injectPasteNow();
            }
            break;
        }
        case XCB_MAPPING_NOTIFY: {
            auto& mapping = const_cast<xcb_mapping_notify_event_t&>(
                reinterpret_cast<const xcb_mapping_notify_event_t&>(event));
            if (mapping.request == XCB_MAPPING_POINTER) {
                break;
            }
            xcb_refresh_keyboard_mapping(symbols_.get(), &mapping);
            // The server also says this when typing moves from one keyboard device to another;
            // regrab only when the keys of our shortcuts really moved, since keys pressed
            // between the ungrab and the grab would slip past us.
            const auto previousLayout = layout_;
            const auto previousNumLock = numLockMask_;
            loadKeymap();
            if (!(layout_ == previousLayout) || numLockMask_ != previousNumLock) {
                const auto previousUnavailable = grabs_.unavailable();
                grabs_.ungrabAll();
                grabAll();
                if (grabs_.unavailable() != previousUnavailable && shortcutsChanged_) {
                    shortcutsChanged_();
                }
            }
            break;
        }
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

void X11KeyboardTap::onRawKey(const xcb_generic_event_t& event, bool press) {
    const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
    const auto code = static_cast<xcb_keycode_t>(raw.detail);
    if (watchdog_) {
        watchdog_->keySeen(raw.time);
    }
    if (!press) {
        pressed_.erase(code);
        if (raw.sourceid != xtestDevice_ && pressedAgain_.erase(code) != 0) {
            // The user let go of a modifier we pressed again for them. Had they let go just
            // before that press, nothing would ever release it: release it on XTEST too.
            xcb_test_fake_input(connection_.get(), XCB_KEY_RELEASE, code, XCB_CURRENT_TIME,
                                XCB_WINDOW_NONE, 0, 0, 0);
            connection_.flush();
        }
        if (!injectionsWaiting_.empty() && !isHeldDown(Key::v)) {
            injectPasteNow();
        }
        return;
    }
    const bool autoRepeat = (raw.flags & XCB_INPUT_KEY_EVENT_FLAGS_KEY_REPEAT) != 0;
    pressed_.insert(code);
    lastPressSource_[code] = raw.sourceid;
    // A copy is only observed: the application gets it untouched, without any grab.
    if (!autoRepeat && layout_.isKeyInAnyGroup(code, Key::c) && raw.sourceid != xtestDevice_ &&
        handler_ && trackedModifiers() == command &&
        layout_.keyAt(code, currentGroup()) == Key::c) {
        handler_(KeyPress{Key::c, command, false, nextSerial_++});
    }
}

unsigned X11KeyboardTap::trackedModifiers() const {
    auto any = [&](const std::set<xcb_keycode_t>& codes) {
        return std::any_of(codes.begin(), codes.end(),
                           [&](xcb_keycode_t code) { return pressed_.contains(code); });
    };
    unsigned modifiers = noModifier;
    if (any(controlCodes_)) {
        modifiers |= command;
    }
    if (any(shiftCodes_)) {
        modifiers |= shift;
    }
    if (any(altCodes_)) {
        modifiers |= option;
    }
    if (any(superCodes_)) {
        modifiers |= control;
    }
    return modifiers;
}

bool X11KeyboardTap::isHeldDown(Key key) const {
    const auto& codes = layout_.codesOf(key);
    return std::any_of(codes.begin(), codes.end(),
                       [&](xcb_keycode_t code) { return pressed_.contains(code); });
}

void X11KeyboardTap::onKeyPress(const xcb_key_press_event_t& event) {
    if (activeGrabKey_) {
        // Our grab is still active from a swallowed shortcut: this is its auto-repeat or a key
        // typed while it is held. Nothing is frozen; nothing to answer.
        pressed_.insert(event.detail);
        return;
    }
    if (watchdog_) {
        watchdog_->keySeen(event.time);
    }
    setFrozen(true);
    // The key as the application in front reads it: in the group the user types in.
    const auto key = layout_.keyAt(event.detail, X11KeyLayout::groupOf(event.state));
    if (!handler_ || !key) {
        answer(KeyAnswer::pass, event.detail, event.time);
        setFrozen(false);
        return;
    }
    const auto source = lastPressSource_.find(event.detail);
    const bool synthetic =
        xtestDevice_ != 0 && source != lastPressSource_.end() && source->second == xtestDevice_;
    const KeyPress press{*key, modifiersOf(event.state), synthetic, nextSerial_++,
                         focusPassesThrough()};
    deciding_ = event.time;
    const KeyAnswer decision = handler_(press);
    deciding_.reset();
    if (decision == KeyAnswer::hold) {
        held_ = Held{press.serial, event.time};
        return;
    }
    answer(decision, event.detail, event.time);
    setFrozen(false);
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

void X11KeyboardTap::answer(KeyAnswer decision, xcb_keycode_t keycode, xcb_timestamp_t time) {
    // The event's own time: an answer that comes too late cannot thaw a newer keystroke.
    if (decision == KeyAnswer::swallow) {
        xcb_allow_events(connection_.get(), XCB_ALLOW_ASYNC_KEYBOARD, time);
        activeGrabKey_ = keycode;
    } else {
        xcb_allow_events(connection_.get(), XCB_ALLOW_REPLAY_KEYBOARD, time);
    }
    connection_.flush();
}

void X11KeyboardTap::replayHeld(std::uint64_t serial) {
    if (!held_ || held_->serial != serial) {
        return;
    }
    const Held held = *held_;
    held_.reset();
    setFrozen(false);
    xcb_allow_events(connection_.get(), XCB_ALLOW_REPLAY_KEYBOARD, held.time);
    connection_.flush();
}

void X11KeyboardTap::swallowHeld(std::uint64_t serial) {
    if (!held_ || held_->serial != serial) {
        return;
    }
    const Held held = *held_;
    held_.reset();
    setFrozen(false);
    xcb_allow_events(connection_.get(), XCB_ALLOW_ASYNC_KEYBOARD, held.time);
    connection_.flush();
}

void X11KeyboardTap::postSyntheticPaste(unsigned modifiers) {
    if (!running_) {
        return;
    }
    injectionsWaiting_.push_back(modifiers);
    refreshPressedKeys();
    if (!isHeldDown(Key::v)) {
        injectPasteNow();
        return;
    }
    // An XTEST V press is dropped while the user still holds V: wait for the release.
    injectionDeadline_ = mainQueue_.after(options_.releaseWait, [this] {
        if (!injectionsWaiting_.empty()) {
            injectPasteNow();
        }
    });
}

void X11KeyboardTap::injectPasteNow() {
    xcb_connection_t* c = connection_.get();
    injectionDeadline_.cancel();
    // The key that types V in the group the user types in now.
    const xcb_keycode_t v = layout_.codeIn(Key::v, currentGroup());
    if (v == 0 || controlLeft_ == 0) {
        injectionsWaiting_.clear();
        return;
    }
    refreshPressedKeys();  // the server's own key state: what the user holds right now
    auto fake = [&](std::uint8_t type, xcb_keycode_t code) {
        xcb_test_fake_input(c, type, code, XCB_CURRENT_TIME, XCB_WINDOW_NONE, 0, 0, 0);
    };
    struct Group {
        unsigned modifier;
        const std::set<xcb_keycode_t>* codes;
        xcb_keycode_t left;
    };
    const Group groups[] = {{command, &controlCodes_, controlLeft_},
                            {shift, &shiftCodes_, shiftLeft_},
                            {option, &altCodes_, altLeft_},
                            {control, &superCodes_, 0}};
    for (; !injectionsWaiting_.empty(); injectionsWaiting_.pop_front()) {
        const unsigned wanted = injectionsWaiting_.front();
        // Exactly the chord asked for: modifiers the user holds beyond it are let go for it and
        // pressed again after; the ones it needs and the user does not hold are added.
        std::vector<xcb_keycode_t> lifted;
        std::vector<xcb_keycode_t> added;
        for (const Group& group : groups) {
            const bool held =
                std::any_of(group.codes->begin(), group.codes->end(),
                            [&](xcb_keycode_t code) { return pressed_.contains(code); });
            if ((wanted & group.modifier) == 0) {
                for (const xcb_keycode_t code : *group.codes) {
                    if (pressed_.contains(code)) {
                        lifted.push_back(code);
                        fake(XCB_KEY_RELEASE, code);
                    }
                }
            } else if (!held && group.left != 0) {
                added.push_back(group.left);
                fake(XCB_KEY_PRESS, group.left);
            }
        }
        fake(XCB_KEY_PRESS, v);
        fake(XCB_KEY_RELEASE, v);
        for (auto code = added.rbegin(); code != added.rend(); ++code) {
            fake(XCB_KEY_RELEASE, *code);
        }
        for (const xcb_keycode_t code : lifted) {
            fake(XCB_KEY_PRESS, code);
            pressedAgain_.insert(code);
        }
    }
    connection_.flush();
}

int X11KeyboardTap::currentGroup() {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, connection_.root()), nullptr));
    connection_.scheduleDispatch();
    return pointer ? X11KeyLayout::groupOf(pointer->mask) : 0;
}

void X11KeyboardTap::setFrozen(bool frozen) {
    if (watchdog_) {
        watchdog_->setFrozen(frozen);
    }
}

}  // namespace tovra
