#include <gtest/gtest.h>

#include "Tovra/core/BurstSeparator.h"
#include "Tovra/core/PrivacyMode.h"
#include "Tovra/core/QueueMode.h"
#include "Tovra/core/QueueTimeout.h"

namespace tovra {
namespace {

TEST(SettingEnumerations, RejectTextsThatAreNoRawValue) {
    EXPECT_EQ(fromRawValue<QueueMode>("fifo"), std::nullopt);
    EXPECT_EQ(fromRawValue<PrivacyMode>("Partial mask"), std::nullopt);
    EXPECT_EQ(fromRawValue<QueueTimeout>(""), std::nullopt);
}

TEST(QueueTimeoutInterval, IsAbsentForNeverRatherThanZero) {
    EXPECT_EQ(interval(QueueTimeout::never), std::nullopt);
    EXPECT_EQ(interval(QueueTimeout::oneMinute), std::chrono::seconds(60));
    EXPECT_EQ(interval(QueueTimeout::fiveMinutes), std::chrono::seconds(300));
    EXPECT_EQ(interval(QueueTimeout::fifteenMinutes), std::chrono::seconds(900));
}

TEST(BurstSeparatorText, UsesFixedCharactersOrTheCustomTextAsTyped) {
    EXPECT_EQ(separatorText(BurstSeparator::tab, "x"), "\t");
    EXPECT_EQ(separatorText(BurstSeparator::comma, "x"), ",");
    EXPECT_EQ(separatorText(BurstSeparator::newline, "x"), "\n");
    EXPECT_EQ(separatorText(BurstSeparator::custom, defaultCustomBurstSeparator), " | ");
    EXPECT_EQ(separatorText(BurstSeparator::custom, ""), "");
}

}  // namespace
}  // namespace tovra
