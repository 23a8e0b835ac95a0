#include "platform/testing/FakePasteboard.h"

#include <gtest/gtest.h>

#include "Tovra/base/PasteboardTypes.h"

namespace tovra::testing {
namespace {

TEST(FakePasteboard, CountsForeignCopiesAndOwnClearsButNotEachTypeWritten) {
    FakePasteboard pasteboard;
    const auto start = pasteboard.changeCount();
    pasteboard.simulateForeignText("copied");
    EXPECT_EQ(pasteboard.changeCount(), start + 1);
    pasteboard.clearContents();
    EXPECT_TRUE(pasteboard.setString("staged", pasteboardType::string));
    EXPECT_TRUE(pasteboard.setData(Bytes("<b>"), pasteboardType::html));
    EXPECT_EQ(pasteboard.changeCount(), start + 2);
    EXPECT_EQ(pasteboard.string()->view(), "staged");
    EXPECT_EQ(pasteboard.data(pasteboardType::html)->view(), "<b>");
    EXPECT_EQ(pasteboard.data(pasteboardType::png), std::nullopt);
}

TEST(FakePasteboard, RefusesWritesAfterAnotherApplicationTookOwnership) {
    FakePasteboard pasteboard;
    pasteboard.clearContents();
    pasteboard.simulateForeignText("user");
    EXPECT_FALSE(pasteboard.ownedByUs());
    EXPECT_FALSE(pasteboard.setString("late", pasteboardType::string));
    EXPECT_EQ(pasteboard.string()->view(), "user");
}

TEST(FakePasteboard, OffersNoStringForInvalidUtf8) {
    FakePasteboard pasteboard;
    pasteboard.simulateForeignCopy({{std::string(pasteboardType::string), Bytes("\xFF")}});
    EXPECT_EQ(pasteboard.string(), std::nullopt);
    EXPECT_EQ(pasteboard.data(pasteboardType::string)->view(), "\xFF");
}

}  // namespace
}  // namespace tovra::testing
