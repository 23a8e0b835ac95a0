#include "Tovra/capture/PasteboardTransfer.h"

#include <gtest/gtest.h>

#include "platform/testing/FakePasteboard.h"
#include "tests/core/CoreTestSupport.h"

namespace tovra {
namespace {

using test::representation;

TEST(WriteToPasteboard, ReplacesContentsWithEveryTypeInOrder) {
    testing::FakePasteboard pasteboard;
    pasteboard.simulateForeignText("the user's copy");
    const ClipboardPayload payload{"hello",
                                   {representation(pasteboardType::rtf, "{\\rtf1 hello}"),
                                    representation(pasteboardType::html, "<b>hello</b>"),
                                    representation(pasteboardType::string, "hello")}};
    const auto before = pasteboard.changeCount();
    writeToPasteboard(payload, pasteboard);

    EXPECT_GT(pasteboard.changeCount(), before);
    EXPECT_EQ(pasteboard.contents(), payload.representations);
    EXPECT_EQ(pasteboard.stringWrites(), std::vector<std::string>{"public.utf8-plain-text"});
    EXPECT_EQ(pasteboard.dataWrites(), (std::vector<std::string>{"public.rtf", "public.html"}));
}

TEST(WriteToPasteboard, WritesInvalidTextAsDataAndSurvivesAFailedType) {
    testing::FakePasteboard pasteboard;
    pasteboard.failWritesOf(pasteboardType::html);
    writeToPasteboard({"x",
                       {representation(pasteboardType::html, "<i>"),
                        representation(pasteboardType::string, "\xFF\xFE"),
                        representation(pasteboardType::png, "\x89PNG")}},
                      pasteboard);
    EXPECT_EQ(pasteboard.contents(),
              (std::vector{representation(pasteboardType::string, "\xFF\xFE"),
                           representation(pasteboardType::png, "\x89PNG")}));
    EXPECT_TRUE(pasteboard.stringWrites().empty());
}

}  // namespace
}  // namespace tovra
