#include "Tovra/core/TextSplitting.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string_view>

// Every allocation of this test program is counted, so a test can see the peak of one call.
namespace {
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
}  // namespace

namespace {

void* countedAllocation(std::size_t size) noexcept {
    // The size is kept in front of the block, so the release knows what it frees.
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (block == nullptr) {
        return nullptr;
    }
    *block = size;
    const std::size_t live = liveBytes += size;
    std::size_t peak = peakBytes;
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live)) {
    }
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void countedRelease(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    auto* block =
        reinterpret_cast<std::size_t*>(static_cast<char*>(pointer) - sizeof(std::max_align_t));
    liveBytes -= *block;
    std::free(block);
}

void* checkedAllocation(std::size_t size) {
    if (void* pointer = countedAllocation(size)) {
        return pointer;
    }
    throw std::bad_alloc();
}

}  // namespace

// Every form that pairs with another is replaced, so no block crosses allocators.
void* operator new(std::size_t size) {
    return checkedAllocation(size);
}
void* operator new[](std::size_t size) {
    return checkedAllocation(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return countedAllocation(size);
}
void operator delete(void* pointer) noexcept {
    countedRelease(pointer);
}
void operator delete[](void* pointer) noexcept {
    countedRelease(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    countedRelease(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    countedRelease(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    countedRelease(pointer);
}
void operator delete[](void* pointer, const std::nothrow_t&) noexcept {
    countedRelease(pointer);
}

namespace tovra {
namespace {

using Texts = std::vector<std::string>;

/// Bytes allocated at the peak of `work` beyond what was live before it.
template <class Work>
std::size_t peakAllocation(Work work) {
    const std::size_t before = liveBytes;
    peakBytes = before;
    work();
    return peakBytes - before;
}

Texts texts(const TextPieces& split) {
    return {split.pieces.begin(), split.pieces.end()};
}

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

TEST(SplitCommaFields, AFieldBlankOnceItsQuotesAreGoneIsDropped) {
    // Found by fuzzing: the bytes on either side of a dropped quote meet and make a line
    // separator (U+2028), so the field is blank although each half alone is not white space.
    const auto pieces = splitCommaPieces("a,b,\"\xE2\"\x80\xA8");
    EXPECT_EQ(pieces.count, 2U);
    ASSERT_EQ(pieces.pieces.size(), 2U);
    EXPECT_EQ(pieces.pieces[1], "b");
    EXPECT_EQ(splitCommaFields("x,\" \",y"), (std::vector<std::string>{"x", "y"}));
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

TEST(SplitPieces, KeepOnlyTheNewestPiecesButCountThemAll) {
    const std::string_view lines = "a\n\nb\n c \nd";
    const std::string_view cells = "a\tb\nc\t\td";
    const std::string_view fields = "a, \"b,x\" ,c,\" \",d";
    for (const auto text : {lines, cells, fields}) {
        const TextPieces all = splitCapturedPieces(text);
        ASSERT_EQ(all.count, 4u) << text;
        for (std::size_t keep = 0; keep <= 5; ++keep) {
            const TextPieces newest = splitCapturedPieces(text, keep);
            EXPECT_EQ(newest.count, 4u);
            const Texts expected(
                all.pieces.end() - static_cast<std::ptrdiff_t>(std::min(keep, 4ul)),
                all.pieces.end());
            EXPECT_EQ(texts(newest), expected) << text << " keeping " << keep;
        }
    }
    EXPECT_EQ(texts(splitCapturedPieces(fields, 3)), (Texts{"b,x", "c", "d"}));
    // One piece, or none, is the text as it is.
    EXPECT_EQ(splitCapturedPieces("one, two", 1).count, 1u);
    EXPECT_EQ(splitCapturedPieces(" \n\t ").count, 0u);
}

TEST(SplitPieces, AMillionPiecesCostMemoryForTheKeptOnesOnly) {
    constexpr std::size_t million = 1'000'000;
    std::string oneByteLines;
    std::string quotedFields;
    for (std::size_t i = 0; i < million; ++i) {
        oneByteLines += "a\n";
        quotedFields += "\"q\",";
    }
    std::string commas(2 * million, ',');
    for (std::size_t i = 0; i < commas.size(); i += 2) {
        commas[i] = 'c';
    }
    for (const std::string& text : {oneByteLines, commas, quotedFields}) {
        TextPieces split;
        const std::size_t peak = peakAllocation([&] { split = splitCapturedPieces(text, 50); });
        EXPECT_EQ(split.count, million);
        EXPECT_EQ(split.pieces.size(), 50u);
        // Fifty views and at most fifty short rebuilt fields, whatever the number of lines.
        EXPECT_LT(peak, 16u * 1024) << text.substr(0, 8);
    }
}

}  // namespace
}  // namespace tovra
