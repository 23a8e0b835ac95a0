#include "platform/wayland/WaylandKeyboardTap.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>

#include "Tovra/base/PasteboardTypes.h"
#include "WaylandClients.h"

namespace tovra {
namespace {

using test::BackgroundProcess;
using test::Client;
using test::copyWithWlCopy;
using test::waitUntil;

/// A toolkit window running natively on the compositor, printing its text as it changes.
struct Target {
    std::string name;
    std::vector<std::string> argv;
    std::string appId;
};

std::vector<Target> toolkitTargets() {
    const std::string gtk = TOVRA_GTK_TARGET;
    return {
        {"GTK 3 entry",
         {"env", "GDK_BACKEND=wayland", "/usr/bin/python3", gtk, "3", "entry"},
         "gtk_target.py"},
        {"GTK 4 text view",
         {"env", "GDK_BACKEND=wayland", "/usr/bin/python3", gtk, "4", "textview"},
         ""},  // GTK 4 names a window of no application "GTK Application"
        {"Qt 6 line edit", {"env", "QT_QPA_PLATFORM=wayland", TOVRA_PASTE_TARGET}, ""},
    };
}

class WaylandPasteTyping : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(us.platform, nullptr);
        setenv("TOVRA_TARGET_REPORT_CHANGES", "1", 1);
    }
    /// Starts `target` and waits until the compositor says it is in front.
    std::unique_ptr<BackgroundProcess> start(const Target& target) {
        auto process = std::make_unique<BackgroundProcess>(target.argv);
        // A new window in front: not the last target's, which may still be closing.
        const bool front = waitUntil(
            [&] {
                const auto app = us.platform->workspace().frontmostApplication();
                return app && app->id && app->window != lastWindow_ &&
                       (target.appId.empty() || *app->id == target.appId);
            },
            10000);
        const auto now = us.platform->workspace().frontmostApplication();
        EXPECT_TRUE(front) << target.name << ": in front "
                           << (now ? now->id.value_or("(no id)") + " " + std::to_string(now->window)
                                   : std::string("nothing"));
        if (front) {
            lastWindow_ = us.platform->workspace().frontmostApplication()->window;
        }
        waitUntil([] { return false; }, 300);  // its text widget has the keyboard focus
        return process;
    }
    static bool printed(BackgroundProcess& process, const std::string& text) {
        return waitUntil(
            [&] { return process.output().find('"' + text + "\"\n") != std::string::npos; }, 3000);
    }

    Client us;
    std::uint64_t lastWindow_ = 0;
};

TEST_F(WaylandPasteTyping, AnotherClientsCopyIsPastedByOurKeyboardIntoEveryToolkit) {
    // The probe without our clipboard: what the typed chord pastes is another client's copy.
    for (const Target& target : toolkitTargets()) {
        auto process = start(target);
        copyWithWlCopy("probe for " + target.name);
        waitUntil([] { return false; }, 200);
        us.platform->keyboardTap().postSyntheticPaste(command);
        EXPECT_TRUE(printed(*process, "probe for " + target.name))
            << target.name << ": " << process->output();
    }
}

TEST_F(WaylandPasteTyping, TheStagedItemIsPastedIntoEveryToolkitByOurKeyboard) {
    for (const Target& target : toolkitTargets()) {
        auto process = start(target);
        us.stage("staged for " + target.name);
        us.platform->keyboardTap().postSyntheticPaste(command);
        EXPECT_TRUE(printed(*process, "staged for " + target.name)) << process->output();
    }
}

TEST_F(WaylandPasteTyping, ATerminalPastesOnItsOwnChordAndTakesCtrlVAsAKey) {
    QTemporaryDir directory;
    const std::string file = directory.filePath("typed").toStdString();
    auto terminal = start(
        {"foot",
         {"foot", "--app-id", "foot", "sh", "-c", "stty raw -echo; exec cat > '" + file + "'"},
         "foot"});
    EXPECT_EQ(*us.platform->workspace().frontmostApplication()->id, "foot");
    us.stage("into the terminal");
    us.platform->keyboardTap().postSyntheticPaste(command | shift);
    us.platform->keyboardTap().postSyntheticPaste(command);
    const auto contents = [&] {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    EXPECT_TRUE(waitUntil([&] { return contents() == "into the terminal\x16"; }, 3000))
        << contents();
}

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
