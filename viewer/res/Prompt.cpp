#include "res/Prompt.h"

#include "res/StringTable.h"

namespace vexlan {

PromptAnswer AskString(IPrompt& prompt, int stringId, PromptIcon icon, PromptButtons buttons) {
    return prompt.Ask(LoadString(stringId), icon, buttons);
}

void ScriptedPrompt::Queue(PromptAnswer answer) { answers_.push_back(answer); }

PromptAnswer ScriptedPrompt::Ask(const std::string& text, PromptIcon icon, PromptButtons buttons) {
    asked_.push_back({text, icon, buttons});
    if (next_ < answers_.size()) return answers_[next_++];
    return fallback;
}

}  // namespace vexlan
