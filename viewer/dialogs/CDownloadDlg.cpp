#include "dialogs/CDownloadDlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/DialogControls.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

QString Text(int item) { return LoadResourceText(resource::kDownloadDialog, item); }

}  // namespace

CDownloadDlg::CDownloadDlg(IPrompt& prompt, QWidget* parent) : QDialog(parent), prompt_(prompt) {
    setWindowTitle(Text(0));
    setObjectName(QStringLiteral("IDD_144"));
    setFixedSize(DuToPixelsX(233), DuToPixelsY(81));

    PlaceDu(new QLabel(Text(1057), this), 1057, 7, 7, 159, 8);
    PlaceDu(new QGroupBox(Text(1174), this), 1174, 7, 38, 158, 35);
    // The drop-down list is part of the control's height in dialog units; only the edit field shows.
    fileCombo_ = PlaceDu(new QComboBox(this), kComboId, 7, 18, 157, 14);
    fileCombo_->setEditable(true);
    fileCombo_->setInsertPolicy(QComboBox::NoInsert);
    fileCombo_->setMaxVisibleItems(6);
    // Picked with the mouse or the arrow keys; typing into the edit field selects nothing.
    connect(fileCombo_, QOverload<int>::of(&QComboBox::activated), this, [this](int index) { selectedIndex_ = index; });
    connect(fileCombo_, &QComboBox::currentIndexChanged, this, [this](int index) { selectedIndex_ = index; });
    connect(fileCombo_->lineEdit(), &QLineEdit::textEdited, this, [this] { selectedIndex_ = -1; });

    auto* file = PlaceDu(new QPushButton(Text(kFileButtonId), this), kFileButtonId, 27, 51, 50, 14);
    auto* all = PlaceDu(new QPushButton(Text(kAllButtonId), this), kAllButtonId, 95, 51, 50, 14);
    auto* cancel = PlaceDu(new QPushButton(Text(2), this), 2, 174, 51, 50, 14);
    for (QPushButton* button : {file, all, cancel}) button->setAutoDefault(false);
    connect(file, &QPushButton::clicked, this, &CDownloadDlg::OnFile);
    connect(all, &QPushButton::clicked, this, &CDownloadDlg::OnAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void CDownloadDlg::SetFileList(std::vector<std::string> fileList) {
    logic_.SetFileList(std::move(fileList));
    fileCombo_->clear();
    for (const std::string& name : logic_.ComboEntries()) fileCombo_->addItem(QString::fromStdString(name));
    // Nothing is selected until the user picks an entry.
    fileCombo_->setCurrentIndex(-1);
    fileCombo_->setEditText(QString());
    selectedIndex_ = -1;
}

void CDownloadDlg::OnFile() {
    if (logic_.OnFile(selectedIndex_, prompt_) == DownloadDialogLogic::Outcome::Ok) accept();
}

void CDownloadDlg::OnAll() {
    if (logic_.OnAll() == DownloadDialogLogic::Outcome::Ok) accept();
}

std::optional<DownloadChoice> RunDownloadDialog(QWidget* parent, IPrompt& prompt,
                                                const std::vector<std::string>& fileList) {
    CDownloadDlg dialog(prompt, parent);
    dialog.SetFileList(fileList);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return DownloadChoice{dialog.downloadAll(), dialog.selectedFile()};
}

}  // namespace vexlan
