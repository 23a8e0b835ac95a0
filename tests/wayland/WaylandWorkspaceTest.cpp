// The window in front on a compositor that lists its windows, and bringing one back. Pastes typed
// into toolkits and terminals are checked through the binary, in the sway end-to-end tests.
#include <gtest/gtest.h>

#include "WaylandClients.h"

namespace tovra {
namespace {

using test::BackgroundProcess;
using test::Client;
using test::waitUntil;

TEST(WaylandWorkspace, TheApplicationInFrontCanBeBroughtBack) {
    Client us;
    setenv("TOVRA_TARGET_REPORT_CHANGES", "1", 1);
    BackgroundProcess first({"env", "QT_QPA_PLATFORM=wayland", TOVRA_PASTE_TARGET});
    ASSERT_TRUE(waitUntil(
        [&] { return us.platform->workspace().frontmostApplication().has_value(); }, 10000));
    const auto firstApp = *us.platform->workspace().frontmostApplication();
    BackgroundProcess second({"foot", "--app-id", "second.terminal", "sleep", "60"});
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto app = us.platform->workspace().frontmostApplication();
            return app && app->id == "second.terminal";
        },
        10000));
    EXPECT_NE(firstApp.window, us.platform->workspace().frontmostApplication()->window);
    ASSERT_TRUE(us.platform->workspace().activate(firstApp));
    EXPECT_TRUE(waitUntil(
        [&] { return us.platform->workspace().frontmostApplication() == firstApp; }, 3000));
}

}  // namespace
}  // namespace tovra
