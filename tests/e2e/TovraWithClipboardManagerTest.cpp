// Tovra beside a real clipboard manager (parcellite, as Debian ships it): it reads every new
// clipboard content and puts its last text back whenever the clipboard is left empty.
#include <gtest/gtest.h>

#include "TovraBinaryFixture.h"

namespace tovra {
namespace {

using test::BackgroundProcess;
using test::settle;
using test::TovraBinaryTest;
using test::waitUntil;

class WithClipboardManager : public TovraBinaryTest {
  protected:
    WithClipboardManager() { startTovra = false; }  // once the manager watches

    void SetUp() override {
        manager = std::make_unique<BackgroundProcess>(std::vector<std::string>{"parcellite", "-n"});
        TovraBinaryTest::SetUp();
        // Watching the clipboard once it read a copy.
        copyElsewhere("before", manager->pid());
        if (withTovra) {
            launchTovra();
        }
    }
    void TearDown() override {
        TovraBinaryTest::TearDown();
        manager.reset();
    }

    bool withTovra = true;
    std::unique_ptr<BackgroundProcess> manager;
};

class WithClipboardManagerWithoutTovra : public WithClipboardManager {
  protected:
    WithClipboardManagerWithoutTovra() { withTovra = false; }
};

TEST_F(WithClipboardManagerWithoutTovra, ThePasteKeyPastesTheLastCopy) {
    startTarget();
    copyElsewhere("one");
    copyElsewhere("two");
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    EXPECT_EQ(target->shows("twotwo"), "twotwo");
}

TEST_F(WithClipboardManager, CopiesAndPastesAreAsWithoutItAndStagedItemsAreNoCopies) {
    startTarget();
    copyElsewhere("one\ntwo\nthree");
    for (int i = 0; i < 3; ++i) {
        paste({"Control_L", "v"});
    }
    ASSERT_EQ(target->shows("onetwothree"), "onetwothree");
    // The manager reads twice a second: it has read and kept every staged item by now, and
    // none may come back as a copy.
    settle(1000);
    // Had a staged item come back as a copy, this would paste it instead of "four".
    copyElsewhere("four");
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});  // nothing queued: the clipboard as it is
    EXPECT_EQ(target->shows("onetwothreefourfour"), "onetwothreefourfour");
}

TEST_F(WithClipboardManager, SwitchingOffLeavesNoStagedItemOnTheClipboard) {
    startTarget();
    copyElsewhere("secret\nother");
    paste({"Control_L", "v"});
    ASSERT_EQ(target->shows("secret"), "secret");
    ASSERT_EQ(clipboard(), "secret");
    paste({"Control_L", "Shift_L", "s"});
    ASSERT_TRUE(waitUntil([] { return clipboard() != "secret"; }));
    // Whatever the manager puts back within its next looks, it is not the staged item.
    EXPECT_FALSE(waitUntil([] { return clipboard() == "secret"; }, 1500));
    paste({"Control_L", "v"});  // off: whatever the clipboard holds now
    waitUntil([&] { return target->text() != "secret"; }, 1000);
    const std::string text = target->text();
    EXPECT_EQ(text.find("secret", 1), std::string::npos) << text;
}

TEST_F(WithClipboardManager, SwitchingOffAfterABurstLeavesTheJoinedStackNowhere) {
    startTarget();
    copyElsewhere("one\ntwo");
    paste({"Control_L", "Shift_L", "v"});
    ASSERT_EQ(target->shows("one\ttwo"), "one\ttwo");
    settle(1000);  // the manager reads twice a second: it has read the burst
    paste({"Control_L", "Shift_L", "s"});
    ASSERT_TRUE(waitUntil([] { return clipboard() != "one\ttwo"; }));
    EXPECT_FALSE(waitUntil([] { return clipboard() == "one\ttwo"; }, 1500));
}

}  // namespace
}  // namespace tovra
