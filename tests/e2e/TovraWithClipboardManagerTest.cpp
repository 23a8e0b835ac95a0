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
    void SetUp() override {
        manager = std::make_unique<BackgroundProcess>(std::vector<std::string>{"parcellite", "-n"});
        settle(1500);  // watching the clipboard
        ASSERT_TRUE(manager->isRunning());
        TovraBinaryTest::SetUp();
    }
    void TearDown() override {
        TovraBinaryTest::TearDown();
        manager.reset();
    }

    std::unique_ptr<BackgroundProcess> manager;
};

class WithClipboardManagerWithoutTovra : public WithClipboardManager {
  protected:
    WithClipboardManagerWithoutTovra() { startTovra = false; }
};

TEST_F(WithClipboardManagerWithoutTovra, ThePasteKeyPastesTheLastCopy) {
    startTarget();
    copyElsewhere("one");
    copyElsewhere("two");
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});
    EXPECT_EQ(finishTarget(), "twotwo");
}

TEST_F(WithClipboardManager, CopiesAndPastesAreAsWithoutItAndStagedItemsAreNoCopies) {
    startTarget();
    copyElsewhere("one\ntwo\nthree");
    for (int i = 0; i < 3; ++i) {
        paste({"Control_L", "v"});
    }
    settle(1000);  // the manager has read and kept every staged item by now
    // Had a staged item come back as a copy, this would paste it instead of "four".
    copyElsewhere("four");
    paste({"Control_L", "v"});
    paste({"Control_L", "v"});  // nothing queued: the clipboard as it is
    EXPECT_EQ(finishTarget(), "onetwothreefourfour");
}

TEST_F(WithClipboardManager, SwitchingOffLeavesNoStagedItemOnTheClipboard) {
    startTarget();
    copyElsewhere("secret\nother");
    paste({"Control_L", "v"});
    ASSERT_EQ(clipboard(), "secret");
    paste({"Control_L", "Shift_L", "s"});
    settle(1500);  // time for the manager to put something back
    EXPECT_NE(clipboard(), "secret");
    paste({"Control_L", "v"});  // off: whatever the clipboard holds now
    const std::string text = finishTarget();
    EXPECT_EQ(text.find("secret", 1), std::string::npos) << text;
}

}  // namespace
}  // namespace tovra
