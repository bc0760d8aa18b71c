#pragma once
// Dialog 175 "File Information": the title, three comment lines and user reference of the record
// as edits, and the created date and time read-only. The texts and their limits live in
// FileInformationLogic; this class lays out the controls (object names "IDC_<id>"), keeps every
// edit inside its limit as it is typed or pasted, and refuses OK while a text is too long.

#include <QDialog>

#include "dialogs/FileInformationLogic.h"
#include "res/Prompt.h"

class QLineEdit;

namespace vexlan {

class CVexlanDoc;

class CFileInformationDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFileInformationDlg(IPrompt& prompt, QWidget* parent = nullptr);

    void LoadFromRecord(const CorrelationRecord& record);
    // Returns whether any byte of the record changed.
    bool StoreToRecord(CorrelationRecord& record) const { return logic_.StoreToRecord(record); }
    const FileInformationLogic& logic() const { return logic_; }

    void accept() override;

private:
    void CreateControls();
    void ShowTexts();
    void OnEdited(InfoField field);

    IPrompt& prompt_;
    FileInformationLogic logic_;
    QLineEdit* edits_[kInfoFieldCount] = {};
};

// The document's File Information handler: on OK the texts go into the record, and a change marks
// the document modified so the save prompts protect it. Returns whether the record changed.
bool RunFileInformationDialog(QWidget* parent, CVexlanDoc& doc, IPrompt& prompt);

}  // namespace vexlan
