#include "X11Workspace.h"

#include <xcb/res.h>

#include <cstring>
#include <vector>

#include "X11Connection.h"

namespace tovra {

namespace {
// Properties larger than this are no application id.
constexpr std::uint32_t maxTextWords = 1024;
}  // namespace

namespace {
// Beyond this many windows remembered, start again: a long session opens many.
constexpr std::size_t maxKnownWindows = 512;
}  // namespace

X11Workspace::X11Workspace(X11Connection& connection)
    : connection_(connection),
      helper_(connection.get(), connection.root(), XCB_EVENT_MASK_PROPERTY_CHANGE),
      activeWindowAtom_(connection.atom("_NET_ACTIVE_WINDOW")),
      windowManagerCheckAtom_(connection.atom("_NET_SUPPORTING_WM_CHECK")) {
    const std::uint32_t rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection.get(), connection.root(), XCB_CW_EVENT_MASK, &rootMask);
    subscription_ =
        connection.subscribe([this](const xcb_generic_event_t& event) { handleEvent(event); });
    refresh();
}

X11Workspace::~X11Workspace() {
    subscription_.cancel();
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    for (const auto& [window, application] : known_) {
        xcb_change_window_attributes(connection_.get(), window, XCB_CW_EVENT_MASK, &none);
    }
    xcb_change_window_attributes(connection_.get(), connection_.root(), XCB_CW_EVENT_MASK, &none);
    connection_.flush();
}

void X11Workspace::handleEvent(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (notify.window == connection_.root() &&
                (notify.atom == activeWindowAtom_ || notify.atom == windowManagerCheckAtom_)) {
                refresh();
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto& notify = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
            known_.erase(notify.window);
            if (notify.window == windowManager_) {
                refresh();  // the window manager quit without tidying up
            } else if (active_ && active_->window == notify.window) {
                active_.reset();
            }
            break;
        }
        default:
            break;
    }
}

void X11Workspace::refresh() {
    windowManager_ = XCB_WINDOW_NONE;
    if (hasWindowManager()) {
        windowManager_ = windowProperty(connection_.root(), "_NET_SUPPORTING_WM_CHECK")
                             .value_or(xcb_window_t{XCB_WINDOW_NONE});
    }
    if (windowManager_ == XCB_WINDOW_NONE) {
        active_.reset();
        return;
    }
    // Told when it goes away, and its active window with it.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_.get(), windowManager_, XCB_CW_EVENT_MASK, &mask);
    const xcb_window_t window = windowProperty(connection_.root(), "_NET_ACTIVE_WINDOW")
                                    .value_or(xcb_window_t{XCB_WINDOW_NONE});
    active_ = window == XCB_WINDOW_NONE ? std::nullopt : describe(window);
    connection_.flush();
}

std::optional<FrontmostApplication> X11Workspace::describe(xcb_window_t window) {
    if (const auto found = known_.find(window); found != known_.end()) {
        return found->second;
    }
    if (known_.size() >= maxKnownWindows) {
        const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        for (const auto& [known, application] : known_) {
            xcb_change_window_attributes(connection_.get(), known, XCB_CW_EVENT_MASK, &none);
        }
        known_.clear();
    }
    auto application = query(window);
    if (!application) {
        return std::nullopt;  // gone, or not an application's: asked again next time
    }
    // A client that quits gives its ids to the next one: forget the window when it goes.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_.get(), window, XCB_CW_EVENT_MASK, &mask);
    known_.emplace(window, application);
    return application;
}

std::optional<xcb_window_t> X11Workspace::windowProperty(xcb_window_t window, const char* name) {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, connection_.atom(name), XCB_ATOM_WINDOW, 0, 1), nullptr));
    connection_.scheduleDispatch();
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    xcb_window_t value;
    std::memcpy(&value, xcb_get_property_value(reply.get()), sizeof value);
    return value;
}

std::optional<std::string> X11Workspace::className(xcb_window_t window) {
    // Read by hand: xcb-icccm's reader runs strlen past a WM_CLASS without its final NUL, which
    // Qt applications set.
    const auto value = textProperty(window, "WM_CLASS");
    if (!value) {
        return std::nullopt;
    }
    // "instance\0Class\0": the class, not the instance, names the application.
    const std::size_t split = value->find('\0');
    std::string name = split == std::string::npos ? *value : value->substr(split + 1);
    if (const std::size_t end = name.find('\0'); end != std::string::npos) {
        name.resize(end);
    }
    return name.empty() ? std::nullopt : std::optional<std::string>(std::move(name));
}

std::optional<std::string> X11Workspace::textProperty(xcb_window_t window, const char* name) {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, window, connection_.atom(name),
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, maxTextWords),
                               nullptr));
    connection_.scheduleDispatch();
    if (!reply || reply->format != 8 || xcb_get_property_value_length(reply.get()) <= 0) {
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

bool X11Workspace::hasProperty(xcb_window_t window, const char* name) {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, connection_.atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
        nullptr));
    connection_.scheduleDispatch();
    return reply && reply->type != XCB_ATOM_NONE;
}

bool X11Workspace::exists(xcb_window_t window) {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    connection_.scheduleDispatch();
    return reply != nullptr;
}

bool X11Workspace::hasWindowManager() {
    const auto check = windowProperty(connection_.root(), "_NET_SUPPORTING_WM_CHECK");
    // A stale property from a window manager that quit points at a window that is gone.
    return check && *check != XCB_WINDOW_NONE &&
           windowProperty(*check, "_NET_SUPPORTING_WM_CHECK") == check;
}

xcb_window_t X11Workspace::topLevel(xcb_window_t window) {
    xcb_connection_t* c = connection_.get();
    for (int depth = 0; depth < 64 && window != XCB_WINDOW_NONE; ++depth) {
        if (hasProperty(window, "WM_STATE")) {
            return window;
        }
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        connection_.scheduleDispatch();
        if (!tree) {
            return XCB_WINDOW_NONE;
        }
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE) {
            // A frame of a window manager holds its client below; without one, this is it.
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
                if (hasProperty(children[i], "WM_STATE")) {
                    return children[i];
                }
            }
            return window;
        }
        window = tree->parent;
    }
    return window;
}

std::optional<std::int64_t> X11Workspace::processId(xcb_window_t window) {
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_property_reply_t> pid(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, connection_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1),
        nullptr));
    connection_.scheduleDispatch();
    if (pid && pid->format == 32 && xcb_get_property_value_length(pid.get()) >= 4) {
        std::uint32_t value;
        std::memcpy(&value, xcb_get_property_value(pid.get()), sizeof value);
        return value;
    }
    // Clients that do not say: ask the server which local process owns the window.
    return connection_.clientProcessId(window);
}

std::optional<FrontmostApplication> X11Workspace::frontmostApplication() {
    if (windowManager_ != XCB_WINDOW_NONE) {
        return active_;
    }
    xcb_connection_t* c = connection_.get();
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    connection_.scheduleDispatch();
    // None and PointerRoot name no application.
    if (!focus || focus->focus <= XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == connection_.root()) {
        return std::nullopt;
    }
    return describe(focus->focus);
}

std::optional<FrontmostApplication> X11Workspace::query(xcb_window_t window) {
    window = topLevel(window);
    if (window == XCB_WINDOW_NONE || window == connection_.root()) {
        return std::nullopt;
    }
    FrontmostApplication application;
    application.window = window;
    application.pid = processId(window);
    if (auto id = textProperty(window, "_GTK_APPLICATION_ID")) {
        application.id = std::move(id);
    } else if (auto desktop = textProperty(window, "_KDE_NET_WM_DESKTOP_FILE")) {
        application.id = std::move(desktop);
    } else if (auto windowClass = className(window)) {
        application.id = std::move(windowClass);
    }
    return application;
}

bool X11Workspace::activate(const FrontmostApplication& application) {
    const auto window = static_cast<xcb_window_t>(application.window);
    if (window == XCB_WINDOW_NONE || !exists(window)) {
        return false;
    }
    xcb_connection_t* c = connection_.get();
    if (windowManager_ != XCB_WINDOW_NONE) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = connection_.atom("_NET_ACTIVE_WINDOW");
        message.data.data32[0] =
            2;  // from a pager-like tool: honoured without focus stealing rules
        message.data.data32[1] = connection_.serverTime(helper_);
        xcb_send_event(c, 0, connection_.root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else {
        const std::uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    }
    connection_.flush();
    return true;
}

}  // namespace tovra
