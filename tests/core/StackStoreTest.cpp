#include "Tovra/core/StackStore.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "CoreTestSupport.h"
#include "Tovra/core/SmartModeEngine.h"

namespace tovra {
namespace {

TEST(StackStore, SelectsOnlyTheFirstThreeExistingStacks) {
    SmartModeEngine engine;
    StackStore store(5, engine);
    EXPECT_TRUE(store.selectStack(2));
    EXPECT_EQ(&store.activeQueue(), &store.queue(2));
    EXPECT_FALSE(store.selectStack(3));
    EXPECT_FALSE(store.selectStack(-1));
    EXPECT_EQ(store.activeIndex(), 2);
    EXPECT_TRUE(store.selectStack(2));

    StackStore two(2, engine);
    EXPECT_FALSE(two.selectStack(2));
    EXPECT_EQ(two.activeIndex(), 0);
}

TEST(StackStore, StacksKeepTheirItemsWhileAnotherIsActive) {
    SmartModeEngine engine;
    StackStore store(3, engine);
    store.activeQueue().enqueuePayload(test::plainPayload("one\ntwo"), true);
    store.selectStack(1);
    EXPECT_TRUE(store.activeQueue().isEmpty());
    store.activeQueue().enqueuePayload(test::plainPayload("other"), true);
    store.selectStack(0);
    EXPECT_EQ(test::drain(store.activeQueue()), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(store.queue(1).count(), 1u);
}

TEST(StackStore, ClearAllEmptiesEveryStackButKeepsTheirSettings) {
    SmartModeEngine engine;
    StackStore store(3, engine);
    for (std::size_t i = 0; i < 3; ++i) {
        store.queue(i).enqueuePayload(test::plainPayload("x"), true);
    }
    store.queue(1).setMode(QueueMode::lifo);
    store.queue(2).setSmartContext("kitty");
    store.clearAll();
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(store.queue(i).isEmpty());
    }
    EXPECT_EQ(store.queue(1).mode(), QueueMode::lifo);
    EXPECT_EQ(store.queue(2).smartContext(), "kitty");
}

TEST(StackStore, EmptyStoreRefusesLookupsInsteadOfReadingOutOfRange) {
    SmartModeEngine engine;
    EXPECT_THROW(StackStore(-1, engine), std::invalid_argument);
    StackStore empty(0, engine);
    EXPECT_EQ(empty.count(), 0u);
    EXPECT_FALSE(empty.selectStack(0));
    EXPECT_THROW((void)empty.activeQueue(), std::out_of_range);
}

}  // namespace
}  // namespace tovra
