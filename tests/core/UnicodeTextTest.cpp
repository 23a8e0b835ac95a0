#include "Tovra/core/UnicodeText.h"

#include <gtest/gtest.h>

#include <string>

namespace tovra::unicode {
namespace {

TEST(Utf8Validation, AcceptsWellFormedTextOfEveryLength) {
    EXPECT_TRUE(isValidUtf8(""));
    EXPECT_TRUE(isValidUtf8("plain ascii that is longer than eight bytes"));
    EXPECT_TRUE(isValidUtf8("\xC3\xA9"));          // é
    EXPECT_TRUE(isValidUtf8("\xE2\x82\xAC"));      // €
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));  // 😀
    EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF
    EXPECT_TRUE(isValidUtf8(std::string("a\0b", 3)));
}

TEST(Utf8Validation, RejectsOverlongSurrogateOutOfRangeAndTruncatedSequences) {
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xE0\x80\xAF"));      // overlong, three bytes
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate U+D800
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("abcdefgh\xE2\x82"));  // truncated after an ASCII run
    EXPECT_FALSE(isValidUtf8("\x80"));              // lone continuation byte
    EXPECT_FALSE(isValidUtf8("\xFF"));
}

TEST(Trimming, RemovesExactlyTheWhiteSpaceAndNewlineSet) {
    // Tab..CR, NEL, no-break space, ideographic space, line and paragraph separators.
    EXPECT_EQ(trimmed("\t\n\v\f\r\xC2\x85\xC2\xA0\xE3\x80\x80"
                      "a b\xE2\x80\xA8\xE2\x80\xA9 "),
              "a b");
    // Zero-width space is a format character, not white space: it stays.
    EXPECT_EQ(trimmed("\xE2\x80\x8B"
                      "a"),
              "\xE2\x80\x8B"
              "a");
    EXPECT_EQ(trimmed(" \n "), "");
    EXPECT_EQ(trimmed(""), "");
}

TEST(OneLine, EveryNewlineAndTabBecomesASpaceAndTheRestStaysByteForByte) {
    EXPECT_EQ(unicode::oneLine("a\nb\r\nc\td\u2028e\u2029f\u0085g"), "a b  c d e f g");
    EXPECT_EQ(unicode::oneLine("caf\u00E9 \U0001F600"), "caf\u00E9 \U0001F600");
    // A broken sequence is left for the display to replace, not cut or merged.
    EXPECT_EQ(unicode::oneLine("x\xE2\x80\ny"), "x\xE2\x80 y");
    EXPECT_EQ(unicode::oneLine(""), "");
}

TEST(LowerCasing, UsesTheFullLocaleIndependentMapping) {
    EXPECT_EQ(toLower("Org.GNOME.Terminal"), "org.gnome.terminal");
    // Capital I with dot above lower-cases to i plus a combining dot everywhere, not only in
    // Turkish.
    EXPECT_EQ(toLower("\xC4\xB0"), "i\xCC\x87");
    EXPECT_EQ(toLower("\xCE\x9A\xCE\x91\xCE\xA3"), "\xCE\xBA\xCE\xB1\xCF\x82");  // final sigma
    EXPECT_EQ(toLower(""), "");
}

TEST(Characters, CountExtendedGraphemeClusters) {
    const std::string flag = "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA";  // regional indicators D, E
    const std::string family =
        "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
    const std::string accented = "e\xCC\x81";  // e + combining acute
    EXPECT_EQ(characterCount(flag + family + accented + "\r\n", 100), 4u);
    EXPECT_EQ(characterCount(flag + family + accented, 2), 2u);
    EXPECT_EQ(prefixLength(flag + family + "x", 2), flag.size() + family.size());
    EXPECT_EQ(prefixLength("abc", 10), 3u);
    EXPECT_EQ(suffixStart("ab" + accented, 1), 2u);
    EXPECT_EQ(suffixStart("ab", 5), 0u);
}

}  // namespace
}  // namespace tovra::unicode
