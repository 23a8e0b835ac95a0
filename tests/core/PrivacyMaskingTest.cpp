#include "Tovra/core/PrivacyMasking.h"

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "Tovra/core/UnicodeText.h"

namespace tovra {
namespace {

using test::repeated;

std::string letters(std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    return text;
}

TEST(PreviewMask, CutsAfterThirtyCharacters) {
    EXPECT_EQ(maskedText("", PrivacyMode::preview), "");
    EXPECT_EQ(maskedText(letters(30), PrivacyMode::preview), letters(30));
    EXPECT_EQ(maskedText(letters(31), PrivacyMode::preview), letters(30) + "...");
    EXPECT_EQ(maskedText(repeated("\xC3\xA9", 30), PrivacyMode::preview), repeated("\xC3\xA9", 30));
}

TEST(PartialMask, FollowsTheLengthTable) {
    const std::string b = "\u2022";
    EXPECT_EQ(maskedText("", PrivacyMode::partialMask), repeated(b, 4));
    EXPECT_EQ(maskedText("abcde", PrivacyMode::partialMask), repeated(b, 4));
    EXPECT_EQ(maskedText("abcdef", PrivacyMode::partialMask), "ab" + repeated(b, 3) + "ef");
    EXPECT_EQ(maskedText("abcdefg", PrivacyMode::partialMask), "ab" + repeated(b, 3) + "fg");
    EXPECT_EQ(maskedText("abcdefgh", PrivacyMode::partialMask), "ab" + repeated(b, 4) + "gh");
    EXPECT_EQ(maskedText("abcdefghi", PrivacyMode::partialMask), "abc" + repeated(b, 4) + "hi");
    EXPECT_EQ(maskedText(letters(12), PrivacyMode::partialMask), "abcd" + repeated(b, 6) + "kl");
    EXPECT_EQ(maskedText(letters(17), PrivacyMode::partialMask), "abcde" + repeated(b, 10) + "pq");
    EXPECT_EQ(maskedText(letters(18), PrivacyMode::partialMask), "abcdef" + repeated(b, 10) + "qr");
    EXPECT_EQ(maskedText(letters(100), PrivacyMode::partialMask),
              "abcdef" + repeated(b, 10) + "uv");
}

TEST(PartialMask, NeverCutsAMultiCodePointCharacter) {
    const std::string flag = "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA";
    const std::string text = flag + flag + "cdef" + flag + flag;  // eight characters
    const std::string masked = maskedText(text, PrivacyMode::partialMask);
    EXPECT_EQ(masked, flag + flag + repeated("\u2022", 4) + flag + flag);
    for (std::size_t n : {0, 5, 6, 17, 18, 250}) {
        EXPECT_LE(unicode::characterCount(maskedText(letters(n), PrivacyMode::partialMask), 100),
                  18u);
    }
}

TEST(SensitiveMask, ShowsEightBulletsForAnyText) {
    EXPECT_EQ(maskedText("", PrivacyMode::sensitive), repeated("\u2022", 8));
    EXPECT_EQ(maskedText("hunter2", PrivacyMode::sensitive), repeated("\u2022", 8));
}

}  // namespace
}  // namespace tovra
