// The dialogs as built show exactly the string table's texts under their dialog and control ids,
// and the table holds no text a dialog does not show.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "app/AboutBox.h"
#include "dialogs/CDownloadDlg.h"
#include "dialogs/CFileInformationDlg.h"
#include "dialogs/CFilterSettingsDlg.h"
#include "res/Prompt.h"
#include "res/StringTable.h"

using namespace vexlan;

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "dialog_text_tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
}

QString ShownText(const QWidget* w) {
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
    return {};
}

// Every control named IDC_<id> that shows a text shows its table entry; every entry is shown.
void ExpectTableTexts(const QDialog& dialog, int resourceId) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), LoadResourceText(resourceId, 0));
    const QRegularExpression idName(QStringLiteral("^IDC_(\\d+)$"));
    std::set<int> shown;
    for (const QWidget* w : dialog.findChildren<QWidget*>()) {
        const auto match = idName.match(w->objectName());
        if (!match.hasMatch()) continue;
        const int id = match.captured(1).toInt();
        const std::string text = ShownText(w).toStdString();
        const std::string entry = LoadResourceText(resourceId, id);
        if (text.empty() && entry.empty()) continue;
        EXPECT_EQ(text, entry) << resourceId << "/" << id;
        shown.insert(id);
    }
    EXPECT_FALSE(shown.empty()) << resourceId;
    for (const StringKey& k : AllStringKeys()) {
        if (k.resourceId == resourceId && k.itemId != 0) {
            EXPECT_TRUE(shown.count(k.itemId)) << "no control shows " << resourceId << "/" << k.itemId;
        }
    }
}

class DialogText : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    ScriptedPrompt prompt_;
};

}  // namespace

TEST_F(DialogText, DownloadFileDialog) {
    CDownloadDlg dialog(prompt_);
    ExpectTableTexts(dialog, resource::kDownloadDialog);
}

TEST_F(DialogText, FileInformationDialog) {
    CFileInformationDlg dialog(prompt_);
    ExpectTableTexts(dialog, resource::kFileInformationDialog);
}

TEST_F(DialogText, FilterSettingsDialog) {
    CFilterSettingsDlg dialog(prompt_);
    ExpectTableTexts(dialog, resource::kFilterSettingsDialog);
}

TEST_F(DialogText, AboutBoxShowsItsTextsAndNoOthers) {
    std::unique_ptr<QDialog> box(CreateAboutBox(nullptr));
    EXPECT_EQ(box->windowTitle().toStdString(), LoadResourceText(resource::kAboutDialog, about::kCaption));
    std::multiset<std::string> labels;
    for (const QLabel* label : box->findChildren<QLabel*>())
        if (!label->text().isEmpty()) labels.insert(label->text().toStdString());
    std::multiset<std::string> expected;
    for (int item : about::kTextItems)
        if (item != about::kCaption) expected.insert(LoadResourceText(resource::kAboutDialog, item));
    EXPECT_EQ(labels, expected);
}
