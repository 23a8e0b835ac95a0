#include "Tovra/core/TextSplitting.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

using Texts = std::vector<std::string>;

TEST(SplitCapturedText, TabsSplitCellsAndRowsAndSkipEmptyCells) {
    EXPECT_EQ(splitCapturedText("a\t\tb\r\nc\t d \n"), (Texts{"a", "b", "c", "d"}));
    // With a tab present only tab, LF and CR separate: a line separator stays inside a cell.
    EXPECT_EQ(splitCapturedText("a\xE2\x80\xA8"
                                "b\tc"),
              (Texts{"a\xE2\x80\xA8"
                     "b",
                     "c"}));
    EXPECT_EQ(splitCapturedText("\t \t"), Texts{});
    // A single value in a row with a tab is still a list of one.
    EXPECT_EQ(splitCapturedText("only\t"), Texts{"only"});
}

TEST(SplitCapturedText, EveryNewlineKindSeparatesLines) {
    EXPECT_EQ(splitCapturedText("a\nb\rc\vd\fe\xC2\x85"
                                "f\xE2\x80\xA8g\xE2\x80\xA9h"),
              (Texts{"a", "b", "c", "d", "e", "f", "g", "h"}));
    EXPECT_EQ(splitCapturedText("  one  \n\n  two "), (Texts{"one", "two"}));
}

TEST(SplitCapturedText, SingleLineSplitsOnlyAtTwoOrMoreCommas) {
    EXPECT_EQ(splitCapturedText("Smith, John"), Texts{"Smith, John"});
    EXPECT_EQ(splitCapturedText("a, b ,c"), (Texts{"a", "b", "c"}));
    EXPECT_EQ(splitCapturedText(",,,"), Texts{",,,"});
    // One line left after dropping blank lines is judged by its commas, line break included.
    EXPECT_EQ(splitCapturedText("x,y,z\n\n"), (Texts{"x", "y", "z"}));
    // Quoted commas still count towards the two.
    EXPECT_EQ(splitCapturedText("\"a,b\",c"), (Texts{"a,b", "c"}));
}

TEST(SplitCommaFields, QuotesGroupCommasAndAreDropped) {
    EXPECT_EQ(splitCommaFields("\"Doe, Jane\", 42 ,\"x\"y"), (Texts{"Doe, Jane", "42", "xy"}));
    EXPECT_EQ(splitCommaFields("a,,\"\",b"), (Texts{"a", "b"}));
    // Fewer than two fields: the whole text, quotes and all.
    EXPECT_EQ(splitCommaFields("\"a,b,c\""), Texts{"\"a,b,c\""});
    EXPECT_EQ(splitCommaFields(" , x ,"), Texts{" , x ,"});
    // An unclosed quote keeps the rest of the text in one field.
    EXPECT_EQ(splitCommaFields("a,\"b,c"), (Texts{"a", "b,c"}));
}

TEST(SplitCommaFields, ACommaCarryingACombiningMarkIsNotASeparator) {
    // Comma + combining acute accent is one character that is not a comma.
    EXPECT_EQ(splitCapturedText("a,\xCC\x81"
                                "b,c"),
              Texts{"a,\xCC\x81"
                    "b,c"});
    EXPECT_EQ(splitCommaFields("a,\xCC\x81"
                               "b,c,d"),
              (Texts{"a,\xCC\x81"
                     "b",
                     "c", "d"}));
    // An accented quote opens nothing, so the later plain quote is the one that groups.
    EXPECT_EQ(splitCommaFields("\"\xCC\x81"
                               "a,b\",c"),
              (Texts{"\"\xCC\x81"
                     "a",
                     "b,c"}));
}

}  // namespace
}  // namespace tovra
