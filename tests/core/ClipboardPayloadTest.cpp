#include "Tovra/core/ClipboardPayload.h"

#include <gtest/gtest.h>

#include "CoreTestSupport.h"
#include "Tovra/core/StackItem.h"

namespace tovra {
namespace {

using test::repeated;
using test::representation;

TEST(PreviewLabel, PrefersOfferedTextEvenWhenItIsOnlySpaces) {
    const std::vector reps{representation(pasteboardType::rtf, "{\\rtf1}"),
                           representation(pasteboardType::string, "   ")};
    EXPECT_EQ(makePreviewLabel(reps, "   "), "   ");
    EXPECT_EQ(makePreviewLabel(reps, ""), "Rich Text");
    EXPECT_EQ(makePreviewLabel(reps, std::nullopt), "Rich Text");
}

TEST(PreviewLabel, NamesTheRichestTypeWhateverTheOrder) {
    EXPECT_EQ(makePreviewLabel({representation(pasteboardType::html, "<b>"),
                                representation(pasteboardType::rtf, "{")},
                               std::nullopt),
              "Rich Text");
    EXPECT_EQ(makePreviewLabel({representation(pasteboardType::html, "<b>")}, std::nullopt),
              "HTML");
    EXPECT_EQ(makePreviewLabel({representation(pasteboardType::tiff, "II*")}, std::nullopt),
              "Image");
    EXPECT_EQ(makePreviewLabel({representation("public.file-url", "file:///x")}, std::nullopt),
              "Clipboard Item");
}

TEST(TruncatedPreview, CutsAfterTwoHundredCharactersWithoutSplittingOne) {
    EXPECT_EQ(truncatedPreview(repeated("a", 200)), repeated("a", 200));
    EXPECT_EQ(truncatedPreview(repeated("a", 201)), repeated("a", 200) + "...");

    // 199 letters and a four-code-point family emoji as the 200th character.
    const std::string family =
        "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
    const std::string text = repeated("a", 199) + family + "tail";
    EXPECT_EQ(truncatedPreview(text), repeated("a", 199) + family + "...");
    // Two hundred accented letters are 400 code points but stay whole.
    EXPECT_EQ(truncatedPreview(repeated("e\xCC\x81", 200)), repeated("e\xCC\x81", 200));
}

TEST(TextPayload, AcceptsEmptyAndBudgetSizedUtf8Only) {
    const auto empty = makeTextPayload(Bytes(""));
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->previewText, "");
    ASSERT_EQ(empty->representations.size(), 1u);
    EXPECT_EQ(empty->representations[0], representation(pasteboardType::string, ""));

    const auto padded = makeTextPayload(Bytes("  x  "));
    ASSERT_TRUE(padded.has_value());
    EXPECT_EQ(padded->previewText, "  x  ");

    EXPECT_TRUE(makeTextPayload(Bytes(std::string(maxPayloadBytes, 'a'))).has_value());
    EXPECT_FALSE(makeTextPayload(Bytes(std::string(maxPayloadBytes + 1, 'a'))).has_value());
    EXPECT_FALSE(makeTextPayload(Bytes("ok\xC0\xAF")).has_value());
}

TEST(StringData, FindsTheFirstPlainTextAsStored) {
    const ClipboardPayload image{"Image", {representation(pasteboardType::png, "\x89PNG")}};
    EXPECT_EQ(stringData(image), nullptr);

    const ClipboardPayload invalid{"x",
                                   {representation(pasteboardType::html, "<i>"),
                                    representation(pasteboardType::string, "\xFF"),
                                    representation(pasteboardType::string, "second")}};
    ASSERT_NE(stringData(invalid), nullptr);
    EXPECT_EQ(stringData(invalid)->view(), "\xFF");
}

TEST(StackItemIdentity, ComparesEveryFieldAndGetsRandomVersionFourIds) {
    const StackItem item = StackItem::make(test::plainPayload("a"));
    StackItem pinned = item;
    pinned.isPinned = true;
    EXPECT_NE(item, pinned);
    EXPECT_EQ(item, StackItem(item));

    const StackItem twin = StackItem::make(test::plainPayload("a"));
    EXPECT_NE(item.id, twin.id);
    EXPECT_NE(item, twin);

    const auto text = item.id.toString();
    EXPECT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
    EXPECT_EQ(Uuid::fromString(text), item.id);
    EXPECT_EQ(Uuid::fromString("not-a-uuid"), std::nullopt);
}

}  // namespace
}  // namespace tovra
