#include "Tovra/core/SmartModeEngine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tovra {
namespace {

using Context = std::optional<std::string>;

TEST(SmartModeResolution, WithoutAContextIsFifoAndLearnsNothing) {
    SmartModeEngine engine;
    for (const Context& none : {Context(), Context("")}) {
        engine.recordPaste(QueueMode::lifo, none);
        engine.recordPaste(QueueMode::lifo, none);
        engine.setOverride(QueueMode::lifo, none);
        EXPECT_EQ(engine.resolve(none), QueueMode::fifo);
        EXPECT_EQ(engine.statsFor(none), std::nullopt);
    }
}

TEST(SmartModeResolution, TerminalAndDeveloperApplicationsGetNewestFirst) {
    SmartModeEngine engine;
    // A few of the list: a class, reverse-domain ids, a part after a dash.
    for (const char* id :
         {"org.gnome.Terminal", "XTerm", "jetbrains-idea", "dev.zed.Zed", "st-256color"}) {
        EXPECT_EQ(engine.resolve(std::string(id)), QueueMode::lifo) << id;
    }
    // Whole parts only: a hint inside another word is no hint.
    for (const char* id :
         {"org.gnome.TextEditor", "firefox", "libreoffice-calc", "Gimp-2.10", "org.example.Glazed",
          "org.gnome.Decoder", "Football-Manager", "org.example.Stacks"}) {
        EXPECT_EQ(engine.resolve(std::string(id)), QueueMode::fifo) << id;
    }
}

TEST(SmartModeResolution, ScoresDecideOnlyWithALeadOfTwo) {
    SmartModeEngine engine;
    const Context terminal = "org.gnome.Terminal";
    const Context editor = "org.gnome.TextEditor";
    // From 0/0: lifo gives 0/1, then fifo gives 1/0 (the lifo score cannot go below zero).
    engine.recordPaste(QueueMode::lifo, editor);
    EXPECT_EQ(engine.statsFor(editor), (SmartModeStats{0, 1}));
    engine.recordPaste(QueueMode::fifo, editor);
    EXPECT_EQ(engine.statsFor(editor), (SmartModeStats{1, 0}));
    engine.recordPaste(QueueMode::smart, editor);
    EXPECT_EQ(engine.statsFor(editor), (SmartModeStats{1, 0}));

    engine.recordPaste(QueueMode::lifo, editor);  // 0/1
    engine.recordPaste(QueueMode::lifo, editor);  // 0/2
    EXPECT_EQ(engine.resolve(editor), QueueMode::lifo);

    engine.recordPaste(QueueMode::fifo, terminal);  // 1/0: lead of one, the word list decides
    EXPECT_EQ(engine.resolve(terminal), QueueMode::lifo);
    engine.recordPaste(QueueMode::fifo, terminal);  // 2/0
    EXPECT_EQ(engine.resolve(terminal), QueueMode::fifo);
}

TEST(SmartModeResolution, OverridesWinAndAreKeyedWithoutLetterCase) {
    SmartModeEngine engine;
    const Context code = "Code";
    for (int i = 0; i < 5; ++i) {
        engine.recordPaste(QueueMode::lifo, std::string("CODE"));
    }
    engine.setOverride(QueueMode::fifo, code);
    engine.setOverride(QueueMode::lifo, std::string("firefox"));
    EXPECT_EQ(engine.resolve(std::string("code")), QueueMode::fifo);
    EXPECT_EQ(engine.resolve(std::string("Firefox")), QueueMode::lifo);

    // Picking smart removes only this context's override.
    engine.setOverride(QueueMode::smart, std::string("cOdE"));
    EXPECT_EQ(engine.overrideFor(code), std::nullopt);
    EXPECT_EQ(engine.resolve(code), QueueMode::lifo);
    EXPECT_EQ(engine.overrideFor(std::string("firefox")), QueueMode::lifo);
}

TEST(SmartModeResolution, ResetLeavesOnlyTheWordList) {
    SmartModeEngine& engine = SmartModeEngine::shared();
    engine.setOverride(QueueMode::lifo, std::string("firefox"));
    engine.recordPaste(QueueMode::fifo, std::string("kitty"));
    engine.recordPaste(QueueMode::fifo, std::string("kitty"));
    engine.resetLearning();
    EXPECT_EQ(engine.resolve(std::string("firefox")), QueueMode::fifo);
    EXPECT_EQ(engine.resolve(std::string("kitty")), QueueMode::lifo);
    EXPECT_EQ(engine.statsFor(std::string("kitty")), std::nullopt);
}

}  // namespace
}  // namespace tovra
