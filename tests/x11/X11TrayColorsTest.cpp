#include "platform/x11/X11TrayColors.h"

#include <gtest/gtest.h>

#include <array>

#include "platform/x11/X11Connection.h"

namespace tovra {
namespace {

/// A system tray as panels run it: a window that owns the screen's tray selection.
class Tray {
  public:
    explicit Tray(X11Connection& connection) : connection_(connection) {
        xcb_connection_t* c = connection.get();
        window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, connection.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_set_selection_owner(c, window, connection.atom("_NET_SYSTEM_TRAY_S0"),
                                XCB_CURRENT_TIME);
        roundTrip(c);
    }
    ~Tray() {
        xcb_destroy_window(connection_.get(), window);
        roundTrip(connection_.get());
    }
    void setColors(const std::array<std::uint32_t, 12>& colors) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window,
                            connection_.atom("_NET_SYSTEM_TRAY_COLORS"), XCB_ATOM_CARDINAL, 32,
                            static_cast<std::uint32_t>(colors.size()), colors.data());
        roundTrip(connection_.get());
    }
    /// Our requests are handled before another connection asks: a flush alone does not order
    /// two connections.
    static void roundTrip(xcb_connection_t* c) {
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    xcb_window_t window;

  private:
    X11Connection& connection_;
};

TEST(X11TrayColorsTest, TheTraysForegroundIsReadWhenItSetsOneAndNothingOtherwise) {
    std::string error;
    auto panel = X11Connection::open(nullptr, error);
    auto ours = X11Connection::open(nullptr, error);
    ASSERT_TRUE(panel && ours) << error;
    EXPECT_EQ(x11::trayForeground(ours->get(), 0), std::nullopt);  // no tray

    {
        Tray tray(*panel);
        EXPECT_EQ(x11::trayForeground(ours->get(), 0), std::nullopt);  // a tray that says nothing
        tray.setColors({0xEEEE, 0xDDDD, 0x1111, 0xFFFF, 0, 0, 0xFFFF, 0xAAAA, 0, 0, 0xFFFF, 0});
        EXPECT_EQ(x11::trayForeground(ours->get(), 0), 0xEEDD11u);
        tray.setColors({0x0000, 0x2020, 0x4040, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        EXPECT_EQ(x11::trayForeground(ours->get(), 0), 0x002040u);     // it follows a theme change
        EXPECT_EQ(x11::trayForeground(ours->get(), 1), std::nullopt);  // another screen's tray
    }
    EXPECT_EQ(x11::trayForeground(ours->get(), 0), std::nullopt);  // the tray went away
}

}  // namespace
}  // namespace tovra
