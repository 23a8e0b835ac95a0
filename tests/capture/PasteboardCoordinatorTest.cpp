#include "Tovra/capture/PasteboardCoordinator.h"

#include <gtest/gtest.h>

#include "CaptureHarness.h"
#include "tests/core/CoreTestSupport.h"

namespace tovra {
namespace {

using test::clipboardText;
using test::plainPayload;
using test::representation;

class PasteboardCoordinatorTest : public ::testing::Test {
  protected:
    QueueManager& queue() { return h.store.activeQueue(); }
    test::CaptureHarness h;
};

TEST_F(PasteboardCoordinatorTest, StagingFromAnEmptyQueueTouchesNothing) {
    h.pasteboard.simulateForeignText("user");
    const auto count = h.pasteboard.changeCount();
    EXPECT_EQ(h.coordinator.stageNext(queue(), std::string("kitty")), std::nullopt);
    EXPECT_EQ(h.pasteboard.changeCount(), count);
    EXPECT_FALSE(h.coordinator.ownsPasteboard());
    EXPECT_EQ(queue().smartContext(), "kitty");
}

TEST_F(PasteboardCoordinatorTest, StagesTheNextItemInTheContextsOrderWithoutCapturingIt) {
    queue().enqueuePayload(plainPayload("first\nsecond"), true);
    queue().setMode(QueueMode::smart);
    const auto staged = h.coordinator.stageNext(queue(), std::string("org.kde.konsole"));
    ASSERT_TRUE(staged.has_value());
    EXPECT_EQ(staged->item.payload, plainPayload("second"));
    EXPECT_EQ(clipboardText(h.pasteboard), "second");
    EXPECT_TRUE(h.coordinator.ownsPasteboard());
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);

    h.pasteboard.simulateForeignText("user copy");
    EXPECT_EQ(h.watcher.checkForChange(), plainPayload("user copy"));
}

TEST_F(PasteboardCoordinatorTest, StagesAPinnedItemWhenEveryItemIsPinned) {
    queue().enqueuePayload(plainPayload("a\nb"), true);
    for (const auto& item : std::vector(queue().items())) {
        queue().togglePin(item.id);
    }
    EXPECT_EQ(h.coordinator.stageNext(queue(), std::nullopt)->item.payload, plainPayload("a"));
}

TEST_F(PasteboardCoordinatorTest, WipesOnlyWhileTheClipboardHoldsOurWrite) {
    h.coordinator.write(plainPayload("staged"));
    h.coordinator.clearIfOwned();
    EXPECT_TRUE(h.pasteboard.contents().empty());
    EXPECT_FALSE(h.coordinator.ownsPasteboard());
    EXPECT_EQ(h.watcher.checkForChange(), std::nullopt);  // the wipe is no copy

    h.coordinator.write(plainPayload("staged again"));
    h.pasteboard.simulateForeignText("user copy");
    h.controller->captureAfterCopy();  // the capture marks the clipboard as the user's
    h.coordinator.clearIfOwned();
    EXPECT_EQ(clipboardText(h.pasteboard), "user copy");
}

TEST_F(PasteboardCoordinatorTest,
       AStagedWriteCarriesEveryRepresentationAndTellsHistoryToolsToSkipIt) {
    const ClipboardPayload rich{"x",
                                {representation(pasteboardType::rtf, "{\\rtf1 x}"),
                                 representation(pasteboardType::html, "<i>x</i>"),
                                 representation(pasteboardType::string, "x")}};
    h.coordinator.write(rich);
    auto expected = rich.representations;
    expected.push_back(representation(pasteboardType::concealed, "secret"));
    EXPECT_EQ(h.pasteboard.contents(), expected);

    // A copy made in our own windows is the user's: history tools may keep it.
    h.coordinator.writeCopy("diagnostics");
    EXPECT_EQ(h.pasteboard.contents(),
              std::vector{representation(pasteboardType::string, "diagnostics")});
}

}  // namespace
}  // namespace tovra
