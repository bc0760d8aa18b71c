#include "res/Prompt.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <type_traits>

using namespace vexlan;

TEST(StringTable, LooksUpKnownIdsAndGivesEmptyTextOtherwise) {
    EXPECT_STREQ(LoadString(string_id::kMsgSaveCurrentFile), "Do you want to save current file?");
    EXPECT_STREQ(LoadString(string_id::kMaterialNameBase), "Asbestos Cement");
    EXPECT_STREQ(LoadString(62099), "Material 20");
    EXPECT_STREQ(LoadString(string_id::kNoSpecificError), "");
    EXPECT_STREQ(LoadString(0), "");
    EXPECT_STREQ(LoadString(99999), "");
    EXPECT_NE(std::strchr(LoadString(string_id::kMsgCannotCommunicate), '\n'), nullptr);
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
    EXPECT_EQ(AskString(prompt, string_id::kMsgSaveCurrentFile, PromptIcon::Question, PromptButtons::YesNoCancel),
              PromptAnswer::No);
    EXPECT_EQ(prompt.Ask("x", PromptIcon::Warning, PromptButtons::Ok), PromptAnswer::Cancel);
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].text, "Do you want to save current file?");
}

namespace {

// The conversion an argument type makes, as the table's text must spell it.
template <typename T>
std::string ConversionOf() {
    if constexpr (std::is_same_v<T, const char*>)
        return "s";
    else if constexpr (std::is_same_v<T, int>)
        return "d";
    else if constexpr (std::is_same_v<T, unsigned>)
        return "u";
    else if constexpr (std::is_same_v<T, unsigned long long>)
        return "llu";
    else {
        static_assert(std::is_same_v<T, double>, "a format argument type without a conversion here");
        return "f";
    }
}

template <typename... Args>
std::pair<int, std::string> Expected(FormatId<Args...> format) {
    return {format.id, (std::string() + ... + (ConversionOf<Args>() + " "))};
}

// A printf text's conversions in order, each as its length modifier and kind ("%.3g" gives "f").
std::string ConversionsIn(const std::string& text) {
    std::string found;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        std::size_t j = text.find_first_not_of("-+ #0123456789.*", i + 1);
        if (j == std::string::npos) return found + "? ";
        if (text[j] == '%') {
            i = j;
            continue;
        }
        const std::size_t kind = text.find_first_not_of("hljztL", j);
        if (kind == std::string::npos) return found + "? ";
        const char c = text[kind];
        const std::string length = text.substr(j, kind - j);
        found += length + (std::strchr("di", c) ? "d" : std::strchr("fFeEgGaA", c) ? "f" : std::string(1, c)) + " ";
        i = kind;
    }
    return found;
}

}  // namespace

// Every text with conversions has a format id whose argument types are the ones its conversions
// read, so a caller can only pass what the text expects.
TEST(StringTable, FormatTextsReadTheArgumentsTheirIdsTake) {
    using namespace string_id;
    const std::map<int, std::string> expected = {
        Expected(kMsgEnterNumberInRange),
        Expected(kMsgIncompleteFile),
        Expected(kReplaceFile),
        Expected(kDownloadingOneOf),
        Expected(kDownloading),
        Expected(kBytesReceived),
        Expected(kRetrying),
        Expected(kPortDevicesDefault),
        Expected(kPeakIntervalText),
        Expected(kMsgTooManyCharacters),
        Expected(kMsgUnknownSubcommand),
        Expected(kMsgNoKedFiles),
        Expected(kMsgUnknownMaterial),
        Expected(kModulusText),
        Expected(kMsgNoMaterialList),
        Expected(kVelocityFactorText),
        Expected(kMsgCannotRecompute),
        Expected(kQualityStatusText),
        Expected(kReportMethodLine),
        Expected(kPeakRowText),
    };
    for (const StringKey& key : AllStringKeys()) {
        if (key.resourceId != kPlainStrings) continue;
        const std::string conversions = ConversionsIn(LoadString(key.itemId));
        const auto it = expected.find(key.itemId);
        if (it == expected.end())
            EXPECT_EQ(conversions, "") << key.itemId << " has conversions but no format id";
        else
            EXPECT_EQ(conversions, it->second) << key.itemId;
    }
    EXPECT_EQ(FormatString(kDownloadingOneOf, "a.ked", 2, 5), "Downloading a.ked (file 2 of 5)");
}
