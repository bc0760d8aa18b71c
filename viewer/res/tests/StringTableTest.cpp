#include "Prompt.h"
#include "StringTable.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vexlan;

TEST(StringTable, LooksUpKnownIdsAndGivesEmptyTextOtherwise) {
    EXPECT_STREQ(LoadString(62035), "Do you want to save current file?");
    EXPECT_STREQ(LoadString(62080), "Asbestos Cement");
    EXPECT_STREQ(LoadString(62099), "Material 20");
    EXPECT_STREQ(LoadString(62011), "");
    EXPECT_STREQ(LoadString(0), "");
    EXPECT_STREQ(LoadString(99999), "");
    EXPECT_NE(std::strchr(LoadString(62000), '\n'), nullptr);
}

TEST(StringTable, EveryMessageRangeIsFilled) {
    for (int id = 62000; id <= 62010; ++id) EXPECT_STRNE(LoadString(id), "") << id;
    for (int id = 62016; id <= 62020; ++id) EXPECT_STRNE(LoadString(id), "") << id;
    for (int id = 62080; id <= 62099; ++id) EXPECT_STRNE(LoadString(id), "") << id;
}

TEST(ScriptedPrompt, AnswersInOrderThenFallsBack) {
    ScriptedPrompt prompt;
    prompt.Queue(PromptAnswer::No);
    prompt.fallback = PromptAnswer::Cancel;
    EXPECT_EQ(AskString(prompt, 62035, PromptIcon::Question, PromptButtons::YesNoCancel), PromptAnswer::No);
    EXPECT_EQ(prompt.Ask("x", PromptIcon::Warning, PromptButtons::Ok), PromptAnswer::Cancel);
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].text, "Do you want to save current file?");
}
