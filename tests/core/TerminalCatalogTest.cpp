#include "Tovra/core/TerminalCatalog.h"

#include <gtest/gtest.h>

#include "Tovra/core/ApplicationId.h"

namespace tovra {
namespace {

PasteKeyStyle styleOf(const TerminalCatalog& catalog, const char* id) {
    return catalog.styleFor(std::string(id));
}

TEST(ApplicationIdParts, SplitOnDotsDashesUnderscoresAndSpacesLowerCased) {
    EXPECT_EQ(applicationIdParts("org.gnome.Terminal"),
              (std::vector<std::string>{"org", "gnome", "terminal"}));
    EXPECT_EQ(applicationIdParts("Xfce4-terminal"),
              (std::vector<std::string>{"xfce4", "terminal"}));
    EXPECT_EQ(applicationIdParts("..a__b- c"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(applicationIdParts("").empty());
    EXPECT_TRUE(applicationIdMentions("com.visual-studio-code.app", "visual-studio-code"));
    EXPECT_FALSE(applicationIdMentions("com.visual.studio", "visual-studio-code"));
    EXPECT_FALSE(applicationIdMentions("org.example.Glazed", "zed"));
    EXPECT_FALSE(applicationIdMentions("anything", ""));
}

TEST(TerminalCatalog, KnownTerminalsPasteWithTheirOwnKey) {
    const TerminalCatalog catalog;
    // A few of the catalogue, told apart by class, reverse-domain id and case.
    for (const char* id : {"org.gnome.Terminal", "Gnome-terminal", "kitty", "footclient"}) {
        EXPECT_EQ(styleOf(catalog, id), PasteKeyStyle::controlShiftV) << id;
    }
    EXPECT_EQ(styleOf(catalog, "URxvt"), PasteKeyStyle::controlAltV);
    EXPECT_EQ(styleOf(catalog, "XTerm"), PasteKeyStyle::none);
    EXPECT_EQ(styleOf(catalog, "UXTerm"), PasteKeyStyle::none);
    for (const char* id : {"org.gnome.TextEditor", "firefox", "code", "org.mate.Pluma",
                           "org.example.Stacks", "Footnotes", ""}) {
        EXPECT_EQ(styleOf(catalog, id), PasteKeyStyle::controlV) << id;
    }
    EXPECT_EQ(catalog.styleFor(std::nullopt), PasteKeyStyle::controlV);
}

TEST(TerminalCatalog, TheUsersMarksComeFirstAndTheLastOneCounts) {
    TerminalCatalog catalog;
    catalog.markAsTerminal("org.example.MyShell", true);
    EXPECT_EQ(styleOf(catalog, "ORG.EXAMPLE.MYSHELL"), PasteKeyStyle::controlShiftV);
    catalog.markAsTerminal("Xfce4-terminal", false);
    EXPECT_EQ(styleOf(catalog, "xfce4-terminal"), PasteKeyStyle::controlV);
    catalog.markAsTerminal("xfce4-terminal", true);
    EXPECT_EQ(catalog.markedNonTerminals().size(), 0u);
    EXPECT_EQ(styleOf(catalog, "Xfce4-terminal"), PasteKeyStyle::controlShiftV);
    catalog.clearMark("org.example.myshell");
    EXPECT_EQ(styleOf(catalog, "org.example.MyShell"), PasteKeyStyle::controlV);
    catalog.markAsTerminal("", true);
    EXPECT_EQ(catalog.markedTerminals().size(), 1u);
}

}  // namespace
}  // namespace tovra
