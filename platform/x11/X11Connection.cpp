#include "X11Connection.h"

#include <xcb/res.h>
#include <xcb/xfixes.h>
#include <xcb/xinput.h>
// xkb.h names a field `explicit`, which C++ reserves.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

#include "platform/MainQueue.h"

namespace tovra {

XcbConnection X11Connection::connect(const char* displayName, xcb_screen_t*& screen,
                                     std::string& error) {
    int screenNumber = 0;
    XcbConnection connection(xcb_connect(displayName, &screenNumber));
    // xcb hands out an errored connection rather than none: it still needs closing.
    if (!connection || xcb_connection_has_error(connection.get()) != 0) {
        error = "cannot connect to the X display";
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        error = "the X display has no such screen";
        return nullptr;
    }
    screen = screens.data;
    return connection;
}

std::unique_ptr<X11Connection> X11Connection::open(const char* displayName, std::string& error) {
    xcb_screen_t* screen = nullptr;
    XcbConnection connection = connect(displayName, screen, error);
    if (!connection) {
        return nullptr;
    }
    auto opened = std::unique_ptr<X11Connection>(new X11Connection(std::move(connection), screen));
    opened->displayName_ = displayName != nullptr ? displayName : "";
    return opened;
}

X11Connection::X11Connection(XcbConnection connection, xcb_screen_t* screen)
    : connection_(std::move(connection)), screen_(screen) {
    xcb_connection_t* c = connection_.get();
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes != nullptr && xfixes->present != 0) {
        XcbReply<xcb_xfixes_query_version_reply_t> version(
            xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
        if (version) {
            xfixesFirstEvent_ = xfixes->first_event;
        }
    }
    // Only a client that uses XKB sees the layout group in its events' state.
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(c, &xcb_xkb_id);
    if (xkb != nullptr && xkb->present != 0) {
        XcbReply<xcb_xkb_use_extension_reply_t> used(xcb_xkb_use_extension_reply(
            c, xcb_xkb_use_extension(c, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
        // Events of our grabs too: their key is read in the group the user types in.
        const std::uint32_t flags = XCB_XKB_PER_CLIENT_FLAG_GRABS_USE_XKB_STATE |
                                    XCB_XKB_PER_CLIENT_FLAG_LOOKUP_STATE_WHEN_GRABBED;
        XcbReply<xcb_xkb_per_client_flags_reply_t> set(xcb_xkb_per_client_flags_reply(
            c, xcb_xkb_per_client_flags(c, XCB_XKB_ID_USE_CORE_KBD, flags, flags, 0, 0, 0),
            nullptr));
    }
}

X11Connection::~X11Connection() {
    *alive_ = false;
    readWatch_.cancel();
}

std::optional<std::int64_t> X11Connection::clientProcessId(xcb_window_t window) {
    xcb_connection_t* c = get();
    const xcb_res_client_id_spec_t query{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    XcbReply<xcb_res_query_client_ids_reply_t> ids(
        xcb_res_query_client_ids_reply(c, xcb_res_query_client_ids(c, 1, &query), nullptr));
    scheduleDispatch();
    if (!ids) {
        return std::nullopt;
    }
    auto it = xcb_res_query_client_ids_ids_iterator(ids.get());
    for (; it.rem > 0; xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(it.data) >= 1) {
            return *xcb_res_client_id_value_value(it.data);
        }
    }
    return std::nullopt;
}

bool X11Connection::sameApplication(xcb_window_t window, xcb_window_t other) {
    const std::uint32_t clientBits = ~xcb_get_setup(get())->resource_id_mask;
    if ((window & clientBits) == (other & clientBits)) {
        return true;
    }
    const auto process = clientProcessId(window);
    return process && process == clientProcessId(other);
}

bool X11Connection::hasXInput21() {
    xcb_connection_t* c = get();
    const auto* xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (xinput == nullptr || xinput->present == 0) {
        return false;
    }
    XcbReply<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    scheduleDispatch();
    return version && (version->major_version > 2 ||
                       (version->major_version == 2 && version->minor_version >= 1));
}

xcb_atom_t X11Connection::atom(std::string_view name) {
    const std::string key(name);
    if (const auto found = atoms_.find(key); found != atoms_.end()) {
        return found->second;
    }
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        get(), xcb_intern_atom(get(), 0, static_cast<std::uint16_t>(key.size()), key.data()),
        nullptr));
    scheduleDispatch();
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (value != XCB_ATOM_NONE) {
        atoms_.emplace(key, value);
    }
    return value;
}

std::string X11Connection::atomName(xcb_atom_t atom) {
    for (const auto& [name, value] : atoms_) {
        if (value == atom) {
            return name;
        }
    }
    XcbReply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(get(), xcb_get_atom_name(get(), atom), nullptr));
    scheduleDispatch();
    if (!reply) {
        return {};
    }
    std::string name(xcb_get_atom_name_name(reply.get()),
                     static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
    atoms_.emplace(name, atom);
    return name;
}

void X11Connection::attach(MainQueue& mainQueue) {
    mainQueue_ = &mainQueue;
    readWatch_ =
        mainQueue.watchReadable(xcb_get_file_descriptor(get()), [this] { dispatchPending(); });
    scheduleDispatch();
}

void X11Connection::scheduleDispatch() {
    if (mainQueue_ == nullptr || dispatchScheduled_) {
        return;
    }
    dispatchScheduled_ = true;
    mainQueue_->post([this, alive = std::weak_ptr<bool>(alive_)] {
        const auto stillAlive = alive.lock();
        if (stillAlive && *stillAlive) {
            dispatchScheduled_ = false;
            dispatchPending();
        }
    });
}

void X11Connection::dispatchPending() {
    for (;;) {
        XcbReply<xcb_generic_event_t> event;
        if (!stashed_.empty()) {
            event = std::move(stashed_.front());
            stashed_.pop_front();
        } else {
            event.reset(xcb_poll_for_event(get()));
        }
        if (!event) {
            break;
        }
        deliver(*event);
    }
    xcb_flush(get());
}

void X11Connection::deliver(const xcb_generic_event_t& event) {
    std::erase_if(subscribers_, [](const Subscriber& s) {
        const auto state = s.state.lock();
        return !state || state->cancelled;
    });
    // Handlers may subscribe or unsubscribe while we deliver: iterate over a copy.
    const auto subscribers = subscribers_;
    for (const auto& subscriber : subscribers) {
        const auto state = subscriber.state.lock();
        if (state && !state->cancelled) {
            subscriber.handler(event);
        }
    }
}

TaskHandle X11Connection::subscribe(EventHandler handler) {
    auto state = std::make_shared<TaskState>();
    subscribers_.push_back({state, std::move(handler)});
    return TaskHandle(state);
}

std::optional<std::set<xcb_keycode_t>> X11Connection::keysDown() {
    XcbReply<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(get(), xcb_query_keymap(get()), nullptr));
    scheduleDispatch();  // the wait may have read events for the loop
    if (!keymap) {
        return std::nullopt;
    }
    std::set<xcb_keycode_t> down;
    for (int code = 8; code < 256; ++code) {
        if ((keymap->keys[code / 8] & (1 << (code % 8))) != 0) {
            down.insert(static_cast<xcb_keycode_t>(code));
        }
    }
    return down;
}

std::optional<std::chrono::milliseconds> X11Connection::keyRepeatDelay() {
    XcbReply<xcb_xkb_get_controls_reply_t> controls(xcb_xkb_get_controls_reply(
        get(), xcb_xkb_get_controls(get(), XCB_XKB_ID_USE_CORE_KBD), nullptr));
    scheduleDispatch();
    if (!controls || (controls->enabledControls & XCB_XKB_BOOL_CTRL_REPEAT_KEYS) == 0) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(controls->repeatDelay);
}

xcb_timestamp_t X11Connection::serverTime(xcb_window_t window) {
    const xcb_atom_t property = atom("_TOVRA_TIMESTAMP");
    xcb_change_property(get(), XCB_PROP_MODE_APPEND, window, property, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(get());
    for (;;) {
        XcbReply<xcb_generic_event_t> event(xcb_wait_for_event(get()));
        if (!event) {
            return XCB_CURRENT_TIME;  // the connection broke
        }
        if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event.get());
            if (notify->window == window && notify->atom == property) {
                scheduleDispatch();
                return notify->time;
            }
        }
        stashed_.push_back(std::move(event));
    }
}

}  // namespace tovra
