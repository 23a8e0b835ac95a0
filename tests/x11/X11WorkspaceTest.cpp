#include "platform/x11/X11Workspace.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

#include "Processes.h"
#include "TestEventLoop.h"
#include "WindowManager.h"
#include "platform/x11/X11Connection.h"

namespace tovra {
namespace {

using test::waitUntil;

/// A top-level window of another client, with the properties applications set.
class AppWindow {
  public:
    AppWindow(X11Connection& connection, std::string_view wmClass) : connection_(connection) {
        xcb_connection_t* c = connection.get();
        window = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, connection.root(), 10, 10, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        set("WM_CLASS", XCB_ATOM_STRING, wmClass);
        child = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, child, window, 0, 0, 50, 50, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_map_window(c, child);
        xcb_map_window(c, window);
        connection.flush();
    }
    ~AppWindow() {
        xcb_destroy_window(connection_.get(), window);
        connection_.flush();
    }
    void set(const char* name, xcb_atom_t type, std::string_view value) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window,
                            connection_.atom(name), type, 8,
                            static_cast<std::uint32_t>(value.size()), value.data());
        connection_.flush();
    }
    void setPid(std::uint32_t pid) {
        xcb_change_property(connection_.get(), XCB_PROP_MODE_REPLACE, window,
                            connection_.atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
        connection_.flush();
    }
    /// True once a window manager manages it.
    bool isManaged() {
        xcb_connection_t* c = connection_.get();
        XcbReply<xcb_get_property_reply_t> state(
            xcb_get_property_reply(c,
                                   xcb_get_property(c, 0, window, connection_.atom("WM_STATE"),
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                                   nullptr));
        connection_.scheduleDispatch();
        return state && state->type != XCB_ATOM_NONE;
    }
    void focus(xcb_window_t target) {
        xcb_set_input_focus(connection_.get(), XCB_INPUT_FOCUS_POINTER_ROOT, target,
                            XCB_CURRENT_TIME);
        connection_.flush();
    }

    xcb_window_t window = 0;
    xcb_window_t child = 0;

  private:
    X11Connection& connection_;
};

class X11WorkspaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ours = X11Connection::open(nullptr, error);
        theirs = X11Connection::open(nullptr, error);
        ASSERT_TRUE(ours && theirs) << error;
        ours->attach(queue);
        theirs->attach(queue);
        workspace = std::make_unique<X11Workspace>(*ours);
    }

    std::optional<FrontmostApplication> frontmostSoon(xcb_window_t expected) {
        waitUntil(
            [&] {
                const auto front = workspace->frontmostApplication();
                return front && front->window == expected;
            },
            3000);
        return workspace->frontmostApplication();
    }

    test::TestEventLoop queue;
    std::unique_ptr<X11Connection> ours;
    std::unique_ptr<X11Connection> theirs;
    std::unique_ptr<X11Workspace> workspace;
};

TEST_F(X11WorkspaceTest, WithoutWindowManagerTheFocusedTopLevelNamesTheApplication) {
    ASSERT_FALSE(workspace->hasWindowManager());
    AppWindow editor(*theirs, std::string_view("editor\0Org.Example.Editor\0", 26));
    editor.setPid(4242);
    editor.focus(editor.child);
    auto front = frontmostSoon(editor.window);
    ASSERT_TRUE(front.has_value());
    EXPECT_EQ(front->id, "Org.Example.Editor");
    EXPECT_EQ(front->pid, 4242);

    // A GTK application id wins over the class; without _NET_WM_PID the server knows the pid.
    AppWindow terminal(*theirs, std::string_view("term\0Term\0", 10));
    terminal.set("_GTK_APPLICATION_ID", theirs->atom("UTF8_STRING"), "org.gnome.Terminal");
    terminal.focus(terminal.window);
    front = frontmostSoon(terminal.window);
    ASSERT_TRUE(front.has_value());
    EXPECT_EQ(front->id, "org.gnome.Terminal");
    EXPECT_EQ(front->pid, getpid());

    // Activating brings the editor back without a window manager too.
    EXPECT_TRUE(
        workspace->activate(FrontmostApplication{std::nullopt, std::nullopt, editor.window}));
    EXPECT_EQ(frontmostSoon(editor.window)->window, editor.window);

    // A class without its final NUL, as Qt sets it, is read within the property.
    AppWindow qtApp(*theirs, std::string_view("qtapp\0QtApp", 11));
    qtApp.focus(qtApp.window);
    front = frontmostSoon(qtApp.window);
    ASSERT_TRUE(front.has_value());
    EXPECT_EQ(front->id, "QtApp");

    terminal.focus(XCB_INPUT_FOCUS_POINTER_ROOT);
    EXPECT_TRUE(waitUntil([&] { return !workspace->frontmostApplication().has_value(); }));
}

TEST_F(X11WorkspaceTest, UnderAWindowManagerTheActiveWindowIsFrontAndCanBeActivated) {
    test::WindowManager openbox;
    ASSERT_TRUE(openbox.waitUntilReady());
    ASSERT_TRUE(workspace->hasWindowManager());
    AppWindow first(*theirs, std::string_view("first\0First\0", 12));
    AppWindow second(*theirs, std::string_view("second\0Second\0", 14));
    ASSERT_TRUE(waitUntil([&] { return first.isManaged() && second.isManaged(); }, 5000));
    // The window manager focuses new windows itself, in its own order: let it settle.
    std::optional<FrontmostApplication> settled;
    waitUntil(
        [&] {
            const auto now = workspace->frontmostApplication();
            const bool same = now == settled;
            settled = now;
            waitUntil([] { return false; }, 250);
            return same && now.has_value();
        },
        5000);
    ASSERT_TRUE(settled.has_value());

    // Activate whichever is behind, then the other one again.
    const bool firstInFront = settled->window == first.window;
    for (AppWindow* next :
         firstInFront ? std::vector{&second, &first} : std::vector{&first, &second}) {
        ASSERT_TRUE(
            workspace->activate(FrontmostApplication{std::nullopt, std::nullopt, next->window}));
        const auto front = frontmostSoon(next->window);
        ASSERT_TRUE(front.has_value());
        EXPECT_EQ(front->window, next->window);
        EXPECT_EQ(front->id, next == &first ? "First" : "Second");
    }

    // Asked while a key waits: answered from what the window manager said, with no request.
    xcb_connection_t* c = ours->get();
    const unsigned before = xcb_no_operation(c).sequence;
    EXPECT_EQ(workspace->frontmostApplication()->id, firstInFront ? "First" : "Second");
    EXPECT_EQ(xcb_no_operation(c).sequence - before, 1u);
    const std::size_t known = workspace->cachedWindowCount();
    EXPECT_GE(known, 2u);

    // A destroyed window is forgotten: its id may name another client's window later.
    const xcb_window_t gone = first.window;
    xcb_destroy_window(theirs->get(), gone);
    theirs->flush();
    EXPECT_TRUE(waitUntil([&] { return workspace->cachedWindowCount() == known - 1; }));
    EXPECT_FALSE(workspace->activate(FrontmostApplication{std::nullopt, std::nullopt, gone}));
}

}  // namespace
}  // namespace tovra
