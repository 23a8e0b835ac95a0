#include <gtest/gtest.h>

#include "Tovra/core/BurstSeparator.h"
#include "Tovra/core/PrivacyMode.h"
#include "Tovra/core/QueueMode.h"
#include "Tovra/core/QueueTimeout.h"

namespace tovra {
namespace {

template <class Enum>
std::vector<std::string_view> titles() {
    std::vector<std::string_view> result;
    for (const Enum value : allCases<Enum>()) {
        result.push_back(rawValue(value));
        EXPECT_EQ(fromRawValue<Enum>(rawValue(value)), value);
    }
    return result;
}

TEST(SettingEnumerations, ListCasesInOrderAndRoundTripTheirRawValues) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(titles<QueueMode>(), (V{"FIFO", "LIFO", "Smart"}));
    EXPECT_EQ(titles<PrivacyMode>(), (V{"Preview", "Partial Mask", "Sensitive"}));
    EXPECT_EQ(titles<BurstSeparator>(), (V{"Tab", "Comma", "Newline", "Custom"}));
    EXPECT_EQ(titles<QueueTimeout>(), (V{"Never", "1 Minute", "5 Minutes", "15 Minutes"}));
}

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
