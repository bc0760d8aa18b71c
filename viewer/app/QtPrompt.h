#pragma once
// Questions and messages of the program as modal message boxes over the main window.

#include <QPointer>
#include <QWidget>

#include "res/Prompt.h"

namespace vexlan {

class QtPrompt : public IPrompt {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    PromptAnswer Ask(const std::string& text, PromptIcon icon, PromptButtons buttons) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace vexlan
