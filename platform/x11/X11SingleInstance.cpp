#include "X11SingleInstance.h"

#include "X11Connection.h"

namespace tovra {

namespace {
constexpr const char* instanceSelection = "_TOVRA_INSTANCE";
constexpr const char* activateMessage = "_TOVRA_ACTIVATE";

xcb_window_t ownerOf(X11Connection& connection, xcb_atom_t selection) {
    xcb_connection_t* c = connection.get();
    XcbReply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    connection.scheduleDispatch();
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}
}  // namespace

std::unique_ptr<X11SingleInstance> X11SingleInstance::claim(X11Connection& connection,
                                                            std::function<void()> onActivate) {
    xcb_connection_t* c = connection.get();
    const xcb_atom_t selection = connection.atom(instanceSelection);
    const xcb_atom_t activate = connection.atom(activateMessage);
    if (const xcb_window_t running = ownerOf(connection, selection); running != XCB_WINDOW_NONE) {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = running;
        message.type = activate;
        xcb_send_event(c, 0, running, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        connection.flush();
        return nullptr;
    }
    auto helper = connection.createHelperWindow(XCB_EVENT_MASK_PROPERTY_CHANGE);
    const xcb_window_t window = helper->id();
    xcb_set_selection_owner(c, window, selection, connection.serverTime(window));
    // Two launches at once: the server keeps one owner, and the other one leaves.
    if (ownerOf(connection, selection) != window) {
        return nullptr;
    }
    auto instance = std::unique_ptr<X11SingleInstance>(new X11SingleInstance(std::move(helper)));
    instance->subscription_ = connection.subscribe(
        [window, activate, onActivate = std::move(onActivate)](const xcb_generic_event_t& event) {
            if ((event.response_type & 0x7F) != XCB_CLIENT_MESSAGE) {
                return;
            }
            const auto& message = reinterpret_cast<const xcb_client_message_event_t&>(event);
            if (message.window == window && message.type == activate && onActivate) {
                onActivate();
            }
        });
    return instance;
}

X11SingleInstance::X11SingleInstance(std::unique_ptr<X11HelperWindow> window)
    : window_(std::move(window)) {}

X11SingleInstance::~X11SingleInstance() = default;

}  // namespace tovra
