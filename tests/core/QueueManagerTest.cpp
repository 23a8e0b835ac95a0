#include "Tovra/core/QueueManager.h"

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "Tovra/core/SmartModeEngine.h"

namespace tovra {
namespace {

using test::drain;
using test::plainPayload;
using test::representation;
using test::storedTexts;
using Texts = std::vector<std::string>;

class QueueManagerTest : public ::testing::Test {
  protected:
    /// Items A, B, C stored in that order with B pinned.
    void fillWithPinnedMiddle() {
        for (const char* text : {"A", "B", "C"}) {
            queue.enqueuePayload(plainPayload(text), true);
        }
        queue.togglePin(queue.items()[1].id);
    }

    Texts orderedTexts() const {
        Texts texts;
        for (const StackItem* item : queue.orderedItems()) {
            texts.emplace_back(stringData(item->payload)->view());
        }
        return texts;
    }

    SmartModeEngine engine;
    QueueManager queue{engine};
};

TEST_F(QueueManagerTest, PinnedItemsWaitBehindTheOthersInEitherOrder) {
    fillWithPinnedMiddle();
    EXPECT_EQ(orderedTexts(), (Texts{"A", "C", "B"}));
    EXPECT_EQ(drain(queue), (Texts{"A", "C", "B"}));

    fillWithPinnedMiddle();
    queue.setMode(QueueMode::lifo);
    EXPECT_EQ(orderedTexts(), (Texts{"C", "A", "B"}));
    EXPECT_EQ(drain(queue), (Texts{"C", "A", "B"}));
}

TEST_F(QueueManagerTest, AllPinnedQueueStillHandsOutAndRemovesItsFirstItem) {
    fillWithPinnedMiddle();
    queue.togglePin(queue.items()[0].id);
    queue.togglePin(queue.items()[2].id);
    queue.setMode(QueueMode::lifo);
    EXPECT_EQ(queue.nextIndex(false), 2u);
    EXPECT_EQ(drain(queue), (Texts{"C", "B", "A"}));
    EXPECT_EQ(queue.takeNext(), std::nullopt);
    EXPECT_EQ(queue.nextIndex(true), std::nullopt);
}

TEST_F(QueueManagerTest, ATakenItemGoesBackWhereItStoodWithItsPinOnlyOnce) {
    fillWithPinnedMiddle();
    queue.setMode(QueueMode::lifo);
    auto taken = queue.takeNextWithPosition();  // C, the newest unpinned
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->position, 2u);
    queue.enqueuePayload(plainPayload("D"), true);  // copied meanwhile
    queue.putBack(*taken);
    EXPECT_EQ(storedTexts(queue), (Texts{"A", "B", "C", "D"}));
    queue.putBack(*taken);  // already there: no second copy
    EXPECT_EQ(queue.count(), 4u);

    queue.setMode(QueueMode::fifo);
    queue.togglePin(queue.items()[0].id);
    queue.togglePin(queue.items()[2].id);
    queue.togglePin(queue.items()[3].id);  // every item pinned: A is handed out first
    auto pinned = queue.takeNextWithPosition();
    ASSERT_TRUE(pinned.has_value());
    queue.clear();
    queue.putBack(*pinned);  // into a shorter stack: at its end
    ASSERT_EQ(queue.count(), 1u);
    EXPECT_TRUE(queue.items()[0].isPinned);
}

TEST_F(QueueManagerTest, FullQueueDropsTheOldestItemEvenWhenPinned) {
    for (int i = 0; i < 50; ++i) {
        queue.enqueuePayload(plainPayload("item " + std::to_string(i)), true);
    }
    queue.togglePin(queue.items()[0].id);
    queue.enqueuePayload(plainPayload("newest"), true);
    ASSERT_EQ(queue.count(), 50u);
    EXPECT_EQ(storedTexts(queue).front(), "item 1");
    EXPECT_EQ(storedTexts(queue).back(), "newest");
}

TEST_F(QueueManagerTest, LoweredLimitTrimsOldestAndEnqueueRemovesExactlyOne) {
    for (const char* text : {"a", "b", "c", "d"}) {
        queue.enqueuePayload(plainPayload(text), true);
    }
    queue.setMaxItems(2);
    queue.enqueuePayload(plainPayload("e"), true);
    EXPECT_EQ(storedTexts(queue), (Texts{"b", "c", "d", "e"}));
    queue.trimToMaxItems();
    EXPECT_EQ(storedTexts(queue), (Texts{"d", "e"}));
    queue.setMaxItems(0);
    EXPECT_EQ(queue.maxItems(), 1);
}

TEST_F(QueueManagerTest, MultiLineCopyBecomesOneItemPerLineInCopyOrder) {
    queue.enqueuePayload(plainPayload("first\nsecond\r\nthird\n"), true);
    EXPECT_EQ(storedTexts(queue), (Texts{"first", "second", "third"}));
    EXPECT_EQ(queue.items()[0].payload.previewText, "first");
    queue.setMode(QueueMode::lifo);
    EXPECT_EQ(drain(queue), (Texts{"third", "second", "first"}));
}

TEST_F(QueueManagerTest, SpreadsheetRowBecomesOneItemPerNonEmptyCell) {
    queue.enqueuePayload(plainPayload("Name\t\tAge\t42\n"), true);
    EXPECT_EQ(storedTexts(queue), (Texts{"Name", "Age", "42"}));
}

TEST_F(QueueManagerTest, RichCopyStaysWholeUnlessItsTextListsSeveralValues) {
    const ClipboardPayload rich{"hello world",
                                {representation(pasteboardType::rtf, "{\\rtf1 hi}"),
                                 representation(pasteboardType::string, " hello world ")}};
    queue.enqueuePayload(rich, true);
    ASSERT_EQ(queue.count(), 1u);
    EXPECT_EQ(queue.items()[0].payload, rich);

    queue.clear();
    ClipboardPayload twoLines = rich;
    twoLines.representations[1] = representation(pasteboardType::string, "hello\nworld");
    queue.enqueuePayload(twoLines, true);
    ASSERT_EQ(queue.count(), 2u);
    for (const auto& item : queue.items()) {
        ASSERT_EQ(item.payload.representations.size(), 1u);
        EXPECT_EQ(item.payload.representations[0].type, pasteboardType::string);
    }
}

TEST_F(QueueManagerTest, PlainTextIsStoredTrimmedAndBlankTextAddsNothing) {
    queue.enqueuePayload(plainPayload(" \n\t \n"), true);
    queue.enqueueText("\xE3\x80\x80", true);
    EXPECT_TRUE(queue.isEmpty());

    queue.enqueuePayload(plainPayload("  padded  "), true);
    ASSERT_EQ(queue.count(), 1u);
    EXPECT_EQ(queue.items()[0].payload, plainPayload("padded"));

    queue.enqueuePayload(plainPayload("  a\nb  "), false);
    EXPECT_EQ(storedTexts(queue).back(), "a\nb");
}

TEST_F(QueueManagerTest, PayloadsWithoutUsableTextAreStoredAsCaptured) {
    const ClipboardPayload image{"Image", {representation(pasteboardType::png, "\x89PNG")}};
    const ClipboardPayload badText{"x", {representation(pasteboardType::string, "a\nb\xFF")}};
    const ClipboardPayload blankRich{
        "Rich Text",
        {representation(pasteboardType::rtf, "{}"), representation(pasteboardType::string, "  ")}};
    for (const auto& payload : {image, badText, blankRich}) {
        queue.enqueuePayload(payload, true);
    }
    ASSERT_EQ(queue.count(), 3u);
    EXPECT_EQ(queue.items()[0].payload, image);
    EXPECT_EQ(queue.items()[1].payload, badText);
    EXPECT_EQ(queue.items()[2].payload, blankRich);
}

TEST_F(QueueManagerTest, HugeMultiLineCopyKeepsTheNewestLinesLikeOneByOneEnqueuing) {
    queue.enqueuePayload(plainPayload("older"), true);
    std::string text;
    for (int line = 0; line < 100'000; ++line) {
        text += "line " + std::to_string(line) + "\n";
    }
    queue.enqueuePayload(plainPayload(text), true);
    ASSERT_EQ(queue.count(), 50u);
    EXPECT_EQ(storedTexts(queue).front(), "line 99950");
    EXPECT_EQ(storedTexts(queue).back(), "line 99999");

    // Below the limit nothing stored is dropped.
    QueueManager small(engine);
    small.enqueuePayload(plainPayload("keep"), true);
    small.enqueuePayload(plainPayload("x\ny\nz"), true);
    EXPECT_EQ(storedTexts(small), (Texts{"keep", "x", "y", "z"}));
}

TEST_F(QueueManagerTest, MoveClampsTargetAmongTheOtherItems) {
    for (const char* text : {"a", "b", "c"}) {
        queue.enqueuePayload(plainPayload(text), true);
    }
    queue.move(queue.items()[0].id, 99);
    EXPECT_EQ(storedTexts(queue), (Texts{"b", "c", "a"}));
    queue.move(queue.items()[2].id, -4);
    EXPECT_EQ(storedTexts(queue), (Texts{"a", "b", "c"}));
    queue.move(queue.items()[0].id, 1);
    EXPECT_EQ(storedTexts(queue), (Texts{"b", "a", "c"}));

    const Uuid stranger = Uuid::random();
    queue.move(stranger, 0);
    queue.remove(stranger);
    queue.togglePin(stranger);
    EXPECT_EQ(storedTexts(queue), (Texts{"b", "a", "c"}));
    EXPECT_FALSE(queue.items()[0].isPinned);
}

TEST_F(QueueManagerTest, NextItemCommandsActOnWhatWouldBePastedNext) {
    queue.enqueuePayload(plainPayload("only"), true);
    queue.swapEnds();
    EXPECT_EQ(storedTexts(queue), (Texts{"only"}));

    queue.enqueuePayload(plainPayload("b\nc"), true);
    queue.swapEnds();
    EXPECT_EQ(storedTexts(queue), (Texts{"c", "b", "only"}));

    queue.moveNextUp();  // next is index 0: nothing above it
    queue.moveNextDown();
    EXPECT_EQ(storedTexts(queue), (Texts{"b", "c", "only"}));

    queue.setMode(QueueMode::lifo);
    queue.moveNextDown();  // next is the last item: nothing below it
    queue.moveNextUp();
    EXPECT_EQ(storedTexts(queue), (Texts{"b", "only", "c"}));

    queue.togglePinNext();
    EXPECT_TRUE(queue.items()[2].isPinned);
    queue.togglePinNext();  // the first in order, pinned or not: restores it
    EXPECT_FALSE(queue.items()[2].isPinned);
}

TEST_F(QueueManagerTest, BurstJoinsInHandOutOrderAndEmptiesTheQueue) {
    EXPECT_EQ(queue.makeBurstPayload(","), std::nullopt);

    fillWithPinnedMiddle();
    queue.setMode(QueueMode::lifo);
    const auto burst = queue.makeBurstPayload(",");
    ASSERT_TRUE(burst.has_value());
    EXPECT_EQ(*burst, plainPayload("C,B,A"));  // pinned items keep their place here
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_EQ(queue.mode(), QueueMode::lifo);
}

TEST_F(QueueManagerTest, FailedBurstLeavesEveryItemInPlace) {
    queue.enqueuePayload(plainPayload("text"), true);
    queue.enqueuePayload({"Image", {representation(pasteboardType::png, "\x89PNG")}}, true);
    EXPECT_EQ(queue.makeBurstPayload("\t"), std::nullopt);
    EXPECT_EQ(queue.count(), 2u);

    QueueManager broken(engine);
    broken.enqueue(StackItem::make({"x", {representation(pasteboardType::string, "\xC3")}}));
    broken.enqueue(StackItem::make({"y", {representation(pasteboardType::string, "\xA9")}}));
    // Each half alone is invalid, and so is the join with a separator between them.
    EXPECT_EQ(broken.makeBurstPayload(" "), std::nullopt);
    EXPECT_EQ(broken.count(), 2u);
}

TEST_F(QueueManagerTest, BurstFitsExactlyTheByteBudget) {
    const std::size_t half = (maxPayloadBytes - 1) / 2;
    queue.enqueueText(std::string(half, 'a'), false);
    queue.enqueueText(std::string(maxPayloadBytes - 1 - half, 'b'), false);
    const auto exact = queue.makeBurstPayload(",");
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(stringData(*exact)->size(), maxPayloadBytes);
    EXPECT_EQ(exact->previewText, std::string(200, 'a') + "...");

    queue.enqueueText(std::string(half, 'a'), false);
    queue.enqueueText(std::string(maxPayloadBytes - half, 'b'), false);
    EXPECT_EQ(queue.makeBurstPayload(","), std::nullopt);
    EXPECT_EQ(queue.count(), 2u);
}

TEST_F(QueueManagerTest, SmartModeOrderFollowsTheContextAtEveryCall) {
    queue.enqueuePayload(plainPayload("1\n2\n3"), true);
    queue.setMode(QueueMode::smart);
    queue.setSmartContext("org.gnome.Terminal");
    EXPECT_EQ(queue.effectiveMode(), QueueMode::lifo);
    EXPECT_EQ(queue.takeNext()->payload, plainPayload("3"));
    queue.setSmartContext("org.gnome.TextEditor");
    EXPECT_EQ(queue.effectiveMode(), QueueMode::fifo);
    EXPECT_EQ(queue.takeNext()->payload, plainPayload("1"));
    queue.setSmartContext(std::nullopt);
    EXPECT_EQ(queue.effectiveMode(), QueueMode::fifo);
}

}  // namespace
}  // namespace tovra
