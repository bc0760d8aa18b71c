// The correlation methods as a user meets them in the main window: a recording with mains hum,
// the method chosen from the View menu, the status pane, the Peaks window and its keys, and the
// way back to the plain correlation exactly as it was.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

#include "app/CMainFrame.h"
#include "app/FrameCommands.h"
#include "testsupport/generator/KedGenerator.h"
#include "testsupport/generator/PipeModel.h"
#include "app/QtSettingsStore.h"

using namespace vexlan;

namespace {

class AnalysisViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(QString("Norvane Instruments"), QString("Vexlan")).clear();
        ASSERT_TRUE(dir_.isValid());
        kedgen::GeneratorSettings s;
        s.segments = {{10, 150, 150, 0}, {4, 110, 100, 0}};
        s.leakDistance = 60;
        s.seed = 21;
        s.hum = {50, 12};
        CorrelationRecord record;
        std::string error;
        path_ = QDir(dir_.path()).filePath("hum.ked").toStdString();
        ASSERT_TRUE(kedgen::GenerateRecord(s, record, error)) << error;
        ASSERT_TRUE(kedgen::WriteKedFile(path_, record, error)) << error;
        plantedDelay_ = kedgen::ResolvePipe(s).delay;

        doc_ = std::make_unique<CVexlanDoc>(prompt_);
        frame_ = std::make_unique<CMainFrame>(*doc_, prompt_, settings_);
        frame_->SetFileChooser([this](CMainFrame::FileDialog) { return path_; });
        ASSERT_TRUE(doc_->OnNewDocument());
        frame_->InitialUpdate();
        frame_->show();
        Trigger(cmd::kOpen);
        ASSERT_TRUE(doc_->fileLoaded());
    }

    void Trigger(int id) {
        QAction* action = frame_->findChild<QAction*>(QString("ID_%1").arg(id));
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }

    QString Status() { return frame_->findChild<QLabel*>("AnalysisPane")->text(); }

    QTemporaryDir dir_;
    ScriptedPrompt prompt_;
    QtSettingsStore settings_;
    std::unique_ptr<CVexlanDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    std::string path_;
    double plantedDelay_ = 0;
};

TEST_F(AnalysisViewTest, TheChosenMethodMovesTheCursorToTheLeakAndBasicComesBackUnchanged) {
    const float plainDelay = doc_->timeDelay();
    const int plainColumn = doc_->cursorColumn();
    EXPECT_GT(std::abs(plainDelay - plantedDelay_), 0.01) << "hum should mislead the plain correlation";

    Trigger(cmd::kMethodPhat);
    EXPECT_NEAR(doc_->timeDelay(), plantedDelay_, 0.003);
    EXPECT_TRUE(Status().contains("PHAT")) << Status().toStdString();
    EXPECT_EQ(QSettings("Norvane Instruments", "Vexlan").value("Settings/Method").toString(), "phat");
    EXPECT_FALSE(doc_->IsModified());

    // The Peaks window lists the peaks best first; choosing one moves the cursor, the keys step.
    Trigger(cmd::kPeaks);
    auto* list = frame_->findChild<QListWidget*>("PeakList");
    ASSERT_NE(list, nullptr);
    ASSERT_GE(list->count(), 2);
    const int bestColumn = doc_->cursorColumn();
    list->setCurrentRow(1);
    const int secondColumn = doc_->cursorColumn();
    EXPECT_NE(secondColumn, bestColumn);
    Trigger(cmd::kPreviousPeak);
    EXPECT_EQ(doc_->cursorColumn(), bestColumn);
    EXPECT_EQ(list->currentRow(), 0);
    Trigger(cmd::kNextPeak);
    EXPECT_EQ(doc_->cursorColumn(), secondColumn);

    Trigger(cmd::kMethodBasic);
    EXPECT_EQ(doc_->timeDelay(), plainDelay);
    EXPECT_EQ(doc_->cursorColumn(), plainColumn);
    EXPECT_FALSE(Status().contains("PHAT"));
}

}  // namespace
