#pragma once
// Dialog 144 "Download File": the instrument's correlation files in a sorted combo box, "File"
// to fetch the one selected, "All" to fetch every one, "Cancel". The choice itself lives in
// DownloadDialogLogic; controls carry the object names "IDC_<id>".

#include <QDialog>
#include <string>
#include <vector>

#include "dialogs/DownloadLogic.h"
#include "res/Prompt.h"

class QComboBox;

namespace vexlan {

class CDownloadDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kComboId = 1055;
    static constexpr int kFileButtonId = 1117;
    static constexpr int kAllButtonId = 1118;

    explicit CDownloadDlg(IPrompt& prompt, QWidget* parent = nullptr);

    // The names to offer, in the instrument's order; set before the dialog is shown.
    void SetFileList(std::vector<std::string> fileList);
    const std::string& selectedFile() const { return logic_.selectedFile(); }
    bool downloadAll() const { return logic_.downloadAll(); }

private:
    void OnFile();
    void OnAll();

    IPrompt& prompt_;
    DownloadDialogLogic logic_;
    QComboBox* fileCombo_ = nullptr;
    // The entry chosen from the list; -1 once the user types into the edit field.
    int selectedIndex_ = -1;
};

// Shows the dialog over the list; the choice on "File" or "All", nothing on "Cancel".
std::optional<DownloadChoice> RunDownloadDialog(QWidget* parent, IPrompt& prompt,
                                                const std::vector<std::string>& fileList);

}  // namespace vexlan
