#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstring>

#include "dialogs/CFileInformationDlg.h"
#include "dialogs/tests/GuiTestSupport.h"

using namespace vexlan;
using namespace vexlan::test;

namespace {

class FileInfoDialog : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(sample.ok());
    }
    CVexlanDoc& doc() { return *sample.doc; }
    SampleDocument sample;
    ScriptedPrompt prompt;
};

TEST_F(FileInfoDialog, ShowsTheRecordWithTheInstrumentsDateAndTimeBoxes) {
    CFileInformationDlg dialog(prompt);
    dialog.LoadFromRecord(doc().record());
    EXPECT_EQ(Find<QLineEdit>(&dialog, 1162)->text(), "Main St");
    EXPECT_EQ(Find<QLineEdit>(&dialog, 1163)->text(), "Hydrant 4 to valve 9");
    EXPECT_EQ(Find<QLineEdit>(&dialog, 1166)->text(), "JB-17");
    // The date goes under "Time Created" (1168) and the time under "Date Created" (1043).
    EXPECT_EQ(Find<QLineEdit>(&dialog, 1168)->text(), "08/12/26");
    EXPECT_EQ(Find<QLineEdit>(&dialog, 1043)->text(), "14:05:33");
    EXPECT_TRUE(Find<QLineEdit>(&dialog, 1168)->isReadOnly());
    EXPECT_TRUE(Find<QLineEdit>(&dialog, 1043)->isReadOnly());
}

TEST_F(FileInfoDialog, TypingAndPastingStopAtTheLimitAndOkMarksTheDocumentModified) {
    WhenModal([&](QWidget* dlg) {
        ASSERT_NE(dlg, nullptr);
        QLineEdit* title = Find<QLineEdit>(dlg, 1162);
        title->setFocus();
        title->selectAll();
        QTest::keyClicks(title, "Hydrant row twenty");  // 18 characters into a 12-character box
        EXPECT_EQ(title->text(), "Hydrant row ");
        QLineEdit* reference = Find<QLineEdit>(dlg, 1166);
        reference->setFocus();
        reference->selectAll();
        QApplication::clipboard()->setText(
            QString::fromUtf8("R\xC3\xA9"
                              "f\xE2\x82\xAC"
                              "0123456789ABCDEFGH"));
        reference->paste();
        QTest::mouseClick(Find<QPushButton>(dlg, 1), Qt::LeftButton);
    });
    ASSERT_TRUE(RunFileInformationDialog(nullptr, doc(), prompt));
    EXPECT_TRUE(doc().IsModified());
    EXPECT_STREQ(doc().record().title, "Hydrant row ");
    // 19 characters would need 22 bytes: the reference keeps what fits in 19 bytes, whole characters.
    EXPECT_STREQ(doc().record().userReference,
                 "R\xC3\xA9"
                 "f\xE2\x82\xAC"
                 "0123456789AB");
    EXPECT_EQ(doc().record().userReference[19], 0);
    EXPECT_STREQ(doc().record().comment1, "Hydrant 4 to valve 9");
    EXPECT_STREQ(doc().record().createdDate, "08/12/26");
}

TEST_F(FileInfoDialog, OkWithoutChangesAndCancelLeaveTheRecordAndFlag) {
    const CorrelationRecord before = doc().record();
    WhenModal([&](QWidget* dlg) { QTest::mouseClick(Find<QPushButton>(dlg, 1), Qt::LeftButton); });
    EXPECT_FALSE(RunFileInformationDialog(nullptr, doc(), prompt));
    WhenModal([&](QWidget* dlg) {
        QTest::keyClicks(Find<QLineEdit>(dlg, 1163), " and more");
        QTest::mouseClick(Find<QPushButton>(dlg, 2), Qt::LeftButton);
    });
    EXPECT_FALSE(RunFileInformationDialog(nullptr, doc(), prompt));
    EXPECT_FALSE(doc().IsModified());
    EXPECT_EQ(std::memcmp(&before, &doc().record(), sizeof before), 0);
}

TEST_F(FileInfoDialog, AnOverlongTitleFromTheRecordIsShownWholeAndRefusedUntilShortened) {
    std::strcpy(doc().record().title, "A title of twenty ch");
    CFileInformationDlg dialog(prompt);
    dialog.LoadFromRecord(doc().record());
    dialog.show();
    QLineEdit* title = Find<QLineEdit>(&dialog, 1162);
    EXPECT_EQ(title->text(), "A title of twenty ch");
    QTest::mouseClick(Find<QPushButton>(&dialog, 1), Qt::LeftButton);
    EXPECT_EQ(prompt.asked().size(), 1u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    title->setFocus();
    title->setCursorPosition(title->text().size());
    for (int i = 0; i < 8; ++i) QTest::keyClick(title, Qt::Key_Backspace);
    EXPECT_EQ(title->text(), "A title of t");
    QTest::mouseClick(Find<QPushButton>(&dialog, 1), Qt::LeftButton);
    EXPECT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.StoreToRecord(doc().record()));
    EXPECT_STREQ(doc().record().title, "A title of t");
}

}  // namespace
