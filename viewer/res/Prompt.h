#pragma once
// Modal questions and messages go through this interface so that the program's logic can be
// driven by scripted answers in tests and by message boxes in the viewer.

#include <string>
#include <vector>

namespace vexlan {

enum class PromptIcon { None, Information, Warning, Question, Stop };
enum class PromptButtons { Ok, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

class IPrompt {
public:
    virtual ~IPrompt() = default;
    virtual PromptAnswer Ask(const std::string& text, PromptIcon icon, PromptButtons buttons) = 0;
};

// Shows the string-table text of an id.
PromptAnswer AskString(IPrompt& prompt, int stringId, PromptIcon icon, PromptButtons buttons);

// A prompt that records every question and answers from a script (tests, command-line tools).
class ScriptedPrompt : public IPrompt {
public:
    struct Asked {
        std::string text;
        PromptIcon icon;
        PromptButtons buttons;
    };
    // Answers given in order; once used up, every question gets the fallback answer.
    void Queue(PromptAnswer answer);
    PromptAnswer fallback = PromptAnswer::Ok;
    PromptAnswer Ask(const std::string& text, PromptIcon icon, PromptButtons buttons) override;
    const std::vector<Asked>& asked() const { return asked_; }
    void Clear() {
        asked_.clear();
        answers_.clear();
        next_ = 0;
    }

private:
    std::vector<Asked> asked_;
    std::vector<PromptAnswer> answers_;
    size_t next_ = 0;
};

}  // namespace vexlan
