#include "app/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>

namespace vexlan {
namespace {

QMessageBox::Icon ToIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::Stop: return QMessageBox::Critical;
    case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

PromptAnswer QtPrompt::Ask(const std::string& text, PromptIcon icon, PromptButtons buttons) {
    QMessageBox box(ToIcon(icon), QApplication::applicationName(), QString::fromStdString(text), QMessageBox::NoButton,
                    parent_);
    switch (buttons) {
    case PromptButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case PromptButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case PromptButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Cancel: return PromptAnswer::Cancel;
    default: break;
    }
    // A question closed without an answer (Escape, the close box) counts as its safest answer.
    if (buttons == PromptButtons::YesNoCancel) return PromptAnswer::Cancel;
    if (buttons == PromptButtons::YesNo) return PromptAnswer::No;
    return PromptAnswer::Ok;
}

}  // namespace vexlan
