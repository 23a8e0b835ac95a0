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

X11Workspace::X11Workspace(X11Connection& connection)
    : connection_(connection),
      helper_(connection.get(), connection.root(), XCB_EVENT_MASK_PROPERTY_CHANGE) {}

X11Workspace::~X11Workspace() = default;

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
    xcb_connection_t* c = connection_.get();
    xcb_window_t window = XCB_WINDOW_NONE;
    if (hasWindowManager()) {
        window = windowProperty(connection_.root(), "_NET_ACTIVE_WINDOW").value_or(XCB_WINDOW_NONE);
    }
    if (window == XCB_WINDOW_NONE) {
        XcbReply<xcb_get_input_focus_reply_t> focus(
            xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        connection_.scheduleDispatch();
        // None and PointerRoot name no application.
        if (!focus || focus->focus <= XCB_INPUT_FOCUS_POINTER_ROOT ||
            focus->focus == connection_.root()) {
            return std::nullopt;
        }
        window = focus->focus;
    }
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
    if (hasWindowManager()) {
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
