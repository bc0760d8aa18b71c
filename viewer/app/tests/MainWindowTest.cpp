// The real main window, driven headless: opening, the enabled commands, what the form shows against
// the document's own computation, pipe edits in both unit systems, bad entries, the save questions,
// saving, peak suppression, clicks on the graph, the close sequence and the stored settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QComboBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>

#include "correlation/CCorrelationFile.h"
#include "res/StringIds.h"
#include "app/AboutBox.h"
#include "app/CMainFrame.h"
#include "view/FormTemplate.h"
#include "testsupport/generator/KedGenerator.h"
#include "app/QtSettingsStore.h"
#include "correlation/RecordCodec.h"
#include "res/StringTable.h"
#include "view/tests/TextsFitCheck.h"
#include "app/tests/support/OffscreenQtEnvironment.h"

using namespace vexlan;

namespace {

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new vexlan::test::OffscreenQtEnvironment("main_window_tests"));

std::vector<char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Text(QWidget* w) {
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    if (auto* button = qobject_cast<QPushButton*>(w)) return button->text().toStdString();
    return {};
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings(QString("Norvane Instruments"), QString("Vexlan")).clear();
        ASSERT_TRUE(dir_.isValid());
        twoSegments_ = Generate("two-segments.ked", {{10, 60, 100, 0}, {2, 40, 150, 0}}, 30);
        oneSegment_ = Generate("one-segment.ked", {{10, 100, 100, 1000}}, 50);
        CreateWindow();
    }

    void CreateWindow() {
        frame_.reset();
        doc_ = std::make_unique<CVexlanDoc>(prompt_);
        frame_ = std::make_unique<CMainFrame>(*doc_, prompt_, settings_);
        frame_->SetFileChooser([this](CMainFrame::FileDialog kind) {
            ++dialogsShown_;
            lastDialog_ = kind;
            return nextPath_;
        });
        ASSERT_TRUE(doc_->OnNewDocument());
        frame_->InitialUpdate();
        frame_->show();
        frame_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
        prompt_.Clear();
    }

    std::string Generate(const char* name, std::vector<kedgen::SegmentSpec> segments, float leak) {
        kedgen::GeneratorSettings s;
        s.segments = std::move(segments);
        s.leakDistance = leak;
        s.title = name;
        CorrelationRecord record;
        std::string error;
        const std::string path = Path(name);
        EXPECT_TRUE(kedgen::GenerateRecord(s, record, error)) << error;
        EXPECT_TRUE(kedgen::WriteKedFile(path, record, error)) << error;
        return path;
    }

    std::string Path(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }

    QWidget* Control(int id) { return frame_->findChild<QWidget*>(QString::fromStdString(ControlObjectName(id))); }
    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(Control(id)); }

    void Trigger(int id) {
        QAction* action = frame_->findChild<QAction*>(QString("ID_%1").arg(id));
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }

    void OpenThroughMenu(const std::string& path) {
        nextPath_ = path;
        Trigger(cmd::kOpen);
    }

    // Types into a value box as a user would and leaves it with Return.
    void Type(int id, const QString& text) {
        QLineEdit* edit = Edit(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    // The document's own computation of the same file, as the command-line tool would print it.
    struct Reference {
        std::unique_ptr<CVexlanDoc> doc;
        ScriptedPrompt prompt;
    };
    std::unique_ptr<Reference> Compute(const std::string& path) {
        auto ref = std::make_unique<Reference>();
        ref->doc = std::make_unique<CVexlanDoc>(ref->prompt);
        ref->doc->OnNewDocument();
        EXPECT_TRUE(ref->doc->OpenCorrelationFile(path));
        EXPECT_TRUE(ref->doc->RecomputeCorrelation());
        return ref;
    }

    // The graph column the cursor stands on, read from the picture: the one column painted in a
    // cursor colour down from the second row.
    int CursorColumnOnScreen() {
        QImage image = frame_->view().graphImage();
        int found = -1;
        for (int x = 0; x < image.width(); ++x) {
            QRgb p = image.pixel(x, 1) & 0xFFFFFF;
            if (p == 0x000000 || p == 0xFF0000) {
                EXPECT_EQ(found, -1) << "two cursor columns";
                found = x;
            }
        }
        return found;
    }

    QTemporaryDir dir_;
    ScriptedPrompt prompt_;
    QtSettingsStore settings_;
    std::unique_ptr<CVexlanDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    std::string nextPath_;
    int dialogsShown_ = 0;
    CMainFrame::FileDialog lastDialog_ = CMainFrame::FileDialog::Open;
    std::string twoSegments_, oneSegment_;
};

TEST_F(MainWindowTest, StartsFixedWithFileCommandsWaitingForAFile) {
    EXPECT_EQ(frame_->size(), QSize(800, 600));
    EXPECT_EQ(frame_->minimumSize(), frame_->maximumSize());
    EXPECT_EQ(frame_->windowTitle(), "Vexlan");
    for (int id : {cmd::kSave, cmd::kSaveAs, cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup, cmd::kCopyGraph,
                   cmd::kCopyText, cmd::kRestart})
        EXPECT_FALSE(frame_->action(id)->isEnabled()) << id;
    for (int id : {cmd::kOpen, cmd::kDownloadFile, cmd::kFileInformation, cmd::kAbout, cmd::kCom1})
        EXPECT_TRUE(frame_->action(id)->isEnabled()) << id;
    EXPECT_TRUE(frame_->action(cmd::kCom1)->isChecked());
    EXPECT_EQ(frame_->action(cmd::kOpen)->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(frame_->action(cmd::kSave)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(frame_->action(cmd::kPrint)->shortcut(), QKeySequence("Ctrl+P"));
    QToolBar* bar = frame_->findChild<QToolBar*>("ToolBar");
    ASSERT_NE(bar, nullptr);
    int buttons = 0;
    for (QAction* a : bar->actions()) buttons += a->isSeparator() ? 0 : 1;
    EXPECT_EQ(buttons, 4);
    // View menu: both bars hide and come back, their items checked while shown.
    Trigger(cmd::kToolbar);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(frame_->action(cmd::kToolbar)->isChecked());
    Trigger(cmd::kToolbar);
    EXPECT_TRUE(bar->isVisible());
    Trigger(cmd::kStatusBar);
    EXPECT_FALSE(frame_->statusBar()->isVisible());
    EXPECT_FALSE(frame_->action(cmd::kStatusBar)->isChecked());
    Trigger(cmd::kStatusBar);
    EXPECT_TRUE(frame_->statusBar()->isVisible());
    for (const char* pane : {"ID_59137", "ID_59138", "ID_59139"})
        EXPECT_NE(frame_->statusBar()->findChild<QLabel*>(pane), nullptr) << pane;
    // Before a file: nothing checked, the construction unit texts, editing disabled.
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Control(idc::kMetric))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Control(idc::kImperial))->isChecked());
    EXPECT_EQ(Text(Control(idc::kLengthUnit)), "m");
    EXPECT_EQ(Text(Control(idc::kTimeDelayUnit)), "s");
    EXPECT_FALSE(Control(idc::kLength)->isEnabled());
    EXPECT_FALSE(Control(idc::kSetStartPoint)->isEnabled());
    // Every control of the form exists under its id.
    int count = 0;
    const ControlTemplate* controls = FormControls(count);
    for (int i = 0; i < count; ++i) EXPECT_NE(Control(controls[i].id), nullptr) << controls[i].id;
}

TEST_F(MainWindowTest, OpenShowsWhatTheComputationGives) {
    OpenThroughMenu(twoSegments_);
    EXPECT_EQ(dialogsShown_, 1);
    EXPECT_TRUE(prompt_.asked().empty());
    for (int id :
         {cmd::kSave, cmd::kSaveAs, cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup, cmd::kCopyGraph, cmd::kCopyText})
        EXPECT_TRUE(frame_->action(id)->isEnabled()) << id;
    EXPECT_FALSE(frame_->action(cmd::kRestart)->isEnabled());

    auto ref = Compute(twoSegments_);
    EXPECT_EQ(Text(Control(idc::kTimeDelay)), Format("%.4f", ref->doc->timeDelay()));
    EXPECT_EQ(Text(Control(idc::kDistance1)), Format("%.1f m", ref->doc->distanceFromSensor1()));
    EXPECT_EQ(Text(Control(idc::kDistance2)), Format("%.1f m", ref->doc->distanceFromSensor2()));
    EXPECT_EQ(CursorColumnOnScreen(), ref->doc->cursorColumn());
    EXPECT_EQ(ref->doc->displayTrace()[ref->doc->cursorColumn()], 179);

    EXPECT_EQ(Text(Control(idc::kFileName)), "two-segments.ked");
    EXPECT_EQ(Text(Control(idc::kLowCut)), "OPEN");
    EXPECT_EQ(Text(Control(idc::kAutoFilter)), "OFF");
    auto* segments = qobject_cast<QComboBox*>(Control(idc::kSegment));
    ASSERT_EQ(segments->count(), 2);
    EXPECT_EQ(segments->currentIndex(), 0);
    EXPECT_EQ(qobject_cast<QComboBox*>(Control(idc::kMaterial))->currentText(), "Steel");
    EXPECT_EQ(Text(Control(idc::kLength)), "60");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Control(idc::kMetric))->isChecked());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Control(idc::kSeconds))->isChecked());
    // The slider points at the leak on the 625-pixel scale bar.
    auto* slider = qobject_cast<QSlider*>(Control(idc::kSlider));
    EXPECT_EQ(slider->maximum(), 625);
    EXPECT_EQ(slider->value(), int(ref->doc->distanceFromSensor1() / (ref->doc->TotalPipeLength() / 625)));
    EXPECT_FALSE(slider->isEnabled());

    const QString shot = QDir(QCoreApplication::applicationDirPath()).filePath("../main-window.png");
    EXPECT_TRUE(frame_->grab().save(shot)) << shot.toStdString();
}

TEST_F(MainWindowTest, LengthEditsRecomputeInBothUnitSystems) {
    OpenThroughMenu(oneSegment_);
    const std::string before = Text(Control(idc::kDistance2));
    Type(idc::kLength, "80");
    EXPECT_FLOAT_EQ(doc_->record().segments[0].length, 80.0f);
    EXPECT_TRUE(doc_->IsModified());
    auto ref = Compute(oneSegment_);
    ref->doc->SetSegmentLength(0, 80.0f);
    ref->doc->RecomputeCorrelation();
    EXPECT_EQ(Text(Control(idc::kDistance1)), Format("%.1f m", ref->doc->distanceFromSensor1()));
    EXPECT_EQ(Text(Control(idc::kDistance2)), Format("%.1f m", ref->doc->distanceFromSensor2()));
    EXPECT_NE(Text(Control(idc::kDistance2)), before);

    QTest::mouseClick(Control(idc::kImperial), Qt::LeftButton);
    EXPECT_EQ(frame_->view().lengthUnit(), 1);
    EXPECT_EQ(Text(Control(idc::kLength)), "262.467");
    EXPECT_EQ(Text(Control(idc::kLengthUnit)), "ft");
    EXPECT_EQ(Text(Control(idc::kDistance1)), Format("%.1f ft", ref->doc->distanceFromSensor1() * 3.28084));
    Type(idc::kLength, "100");
    EXPECT_NEAR(doc_->record().segments[0].length, 30.48f, 1e-4f);
    ref->doc->SetSegmentLength(0, doc_->record().segments[0].length);
    ref->doc->RecomputeCorrelation();
    EXPECT_EQ(Text(Control(idc::kDistance1)), Format("%.1f ft", ref->doc->distanceFromSensor1() * 3.28084));
    EXPECT_EQ(Text(Control(idc::kLength)), "100");

    // Imperial and milliseconds together on the velocity.
    QTest::mouseClick(Control(idc::kMilliseconds), Qt::LeftButton);
    EXPECT_EQ(Text(Control(idc::kVelocity)), "3.28084");
    EXPECT_EQ(Text(Control(idc::kVelocityTimeUnit)), "ms");
    EXPECT_EQ(Text(Control(idc::kTimeDelay)), Format("%.1f", ref->doc->timeDelay() * 1000.0));
}

TEST_F(MainWindowTest, BadEntriesAreRefusedAndStoreNothing) {
    OpenThroughMenu(oneSegment_);
    const CorrelationRecord before = doc_->record();
    for (const char* bad : {"abc", "-5", "1e40", "", "nan", "inf", "0x10", "12m"}) {
        prompt_.Clear();
        Type(idc::kLength, bad);
        ASSERT_EQ(prompt_.asked().size(), 1u) << bad;
        EXPECT_FALSE(prompt_.asked()[0].text.empty()) << bad;
        EXPECT_EQ(doc_->record().segments[0].length, before.segments[0].length) << bad;
        EXPECT_EQ(QApplication::focusWidget(), Control(idc::kLength)) << bad;
        prompt_.Clear();
        Type(idc::kVelocity, bad);
        EXPECT_EQ(prompt_.asked().size(), 1u) << bad;
        EXPECT_EQ(doc_->record().segments[0].velocity, before.segments[0].velocity) << bad;
        // Put the boxes right again before the next try.
        Type(idc::kLength, "100");
        Type(idc::kVelocity, "1000");
    }
    EXPECT_TRUE(std::isfinite(doc_->record().segments[0].length));
    EXPECT_EQ(doc_->record().segments[0].length, 100.0f);
    // The extremes the boxes accept still give finite distances and a bar that fits.
    prompt_.Clear();
    Type(idc::kLength, "1e12");
    Type(idc::kVelocity, "0");
    EXPECT_TRUE(prompt_.asked().empty());
    EXPECT_EQ(doc_->record().segments[0].velocity, 0.0f);
    EXPECT_TRUE(std::isfinite(doc_->distanceFromSensor1()));
    EXPECT_TRUE(std::isfinite(doc_->distanceFromSensor2()));
    auto* slider = qobject_cast<QSlider*>(Control(idc::kSlider));
    EXPECT_GE(slider->value(), 0);
    EXPECT_LE(slider->value(), slider->maximum());
    Type(idc::kLength, "100");
    Type(idc::kVelocity, "1000");
    prompt_.Clear();
    // Leaving a box untouched does not recompute or ask anything.
    prompt_.Clear();
    Edit(idc::kLength)->setFocus();
    QTest::keyClick(Edit(idc::kLength), Qt::Key_Return);
    EXPECT_TRUE(prompt_.asked().empty());
}

TEST_F(MainWindowTest, OpeningAnotherFileWhileModifiedAsksFirst) {
    OpenThroughMenu(oneSegment_);
    Type(idc::kLength, "90");
    ASSERT_TRUE(doc_->IsModified());
    const std::vector<char> original = ReadBytes(oneSegment_);

    prompt_.Queue(PromptAnswer::Cancel);
    OpenThroughMenu(twoSegments_);
    ASSERT_EQ(prompt_.asked().size(), 1u);
    EXPECT_EQ(prompt_.asked()[0].text, LoadString(string_id::kMsgSaveCurrentFile));
    EXPECT_EQ(Text(Control(idc::kFileName)), "one-segment.ked");
    EXPECT_EQ(Text(Control(idc::kLength)), "90");
    EXPECT_TRUE(doc_->IsModified());

    prompt_.Clear();
    prompt_.Queue(PromptAnswer::No);
    OpenThroughMenu(twoSegments_);
    EXPECT_EQ(prompt_.asked().size(), 1u);
    EXPECT_EQ(Text(Control(idc::kFileName)), "two-segments.ked");
    EXPECT_EQ(Text(Control(idc::kLength)), "60");
    EXPECT_EQ(qobject_cast<QComboBox*>(Control(idc::kSegment))->count(), 2);
    EXPECT_FALSE(doc_->IsModified());
    EXPECT_EQ(ReadBytes(oneSegment_), original);  // No kept the file as it was
}

TEST_F(MainWindowTest, AFileThatCannotBeReadLeavesTheViewAsItWas) {
    OpenThroughMenu(twoSegments_);
    const std::string delay = Text(Control(idc::kTimeDelay));
    const std::string bad = Path("short.ked");
    {
        std::ofstream out(bad, std::ios::binary);
        out << "not a correlation file";
    }
    OpenThroughMenu(bad);
    ASSERT_EQ(prompt_.asked().size(), 1u);
    EXPECT_EQ(prompt_.asked()[0].icon, PromptIcon::Warning);
    EXPECT_FALSE(prompt_.asked()[0].text.empty());
    EXPECT_EQ(Text(Control(idc::kFileName)), "two-segments.ked");
    EXPECT_EQ(Text(Control(idc::kTimeDelay)), delay);
    EXPECT_TRUE(doc_->fileLoaded());
}

TEST_F(MainWindowTest, SaveAndSaveAsWriteTheRecordThatReadsBackTheSame) {
    OpenThroughMenu(twoSegments_);
    Type(idc::kLength, "55.5");
    const std::string copy = Path("copy.ked");
    nextPath_ = copy;
    Trigger(cmd::kSaveAs);
    EXPECT_EQ(lastDialog_, CMainFrame::FileDialog::SaveAs);
    EXPECT_FALSE(doc_->IsModified());
    EXPECT_EQ(Text(Control(idc::kFileName)), "copy.ked");

    std::uint8_t image[kRecordSize];
    EncodeRecord(doc_->record(), image);
    std::vector<char> bytes = ReadBytes(copy);
    ASSERT_EQ(bytes.size(), kFileSize);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 2, image, kRecordSize), 0);

    // Save writes to the new name, not to the file opened first.
    const std::vector<char> first = ReadBytes(twoSegments_);
    Type(idc::kLength, "44");
    Trigger(cmd::kSave);
    EXPECT_EQ(ReadBytes(twoSegments_), first);
    auto ref = Compute(copy);
    EXPECT_EQ(ref->doc->record().segments[0].length, 44.0f);
    EncodeRecord(doc_->record(), image);
    std::uint8_t reread[kRecordSize];
    EncodeRecord(ref->doc->record(), reread);
    EXPECT_EQ(std::memcmp(reread, image, kRecordSize), 0);
}

TEST_F(MainWindowTest, ClicksOnTheGraphMoveTheCursor) {
    OpenThroughMenu(oneSegment_);
    auto ref = Compute(oneSegment_);
    QWidget* graph = Control(idc::kGraph);
    // A click at x inside the picture gives column x (the border is column 0).
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(100, 60));
    EXPECT_EQ(doc_->cursorColumn(), 100);
    EXPECT_EQ(CursorColumnOnScreen(), 100);
    ref->doc->MoveCursor(100);
    EXPECT_EQ(Text(Control(idc::kTimeDelay)), Format("%.4f", ref->doc->timeDelay()));
    EXPECT_EQ(Text(Control(idc::kDistance1)), Format("%.1f m", ref->doc->distanceFromSensor1()));
    // Outside the graph nothing moves.
    QTest::mouseClick(&frame_->view(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(doc_->cursorColumn(), 100);
    // The arrows step one column.
    QTest::mouseClick(Control(idc::kRightArrow), Qt::LeftButton);
    EXPECT_EQ(doc_->cursorColumn(), 101);
    QTest::mouseClick(Control(idc::kLeftArrow), Qt::LeftButton);
    QTest::mouseClick(Control(idc::kLeftArrow), Qt::LeftButton);
    EXPECT_EQ(doc_->cursorColumn(), 99);
}

TEST_F(MainWindowTest, RemovingARegionMovesTheCursorToTheNextPeak) {
    OpenThroughMenu(oneSegment_);
    const int peak = doc_->cursorColumn();
    QWidget* graph = Control(idc::kGraph);
    auto* setPoint = qobject_cast<QPushButton*>(Control(idc::kSetStartPoint));
    auto* remove = qobject_cast<QPushButton*>(Control(idc::kRemove));
    EXPECT_FALSE(remove->isEnabled());

    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(peak + 15, 60));
    QTest::mouseClick(setPoint, Qt::LeftButton);
    EXPECT_EQ(setPoint->text(), "Set End Point");
    EXPECT_TRUE(remove->isEnabled());
    // The end left of the start gives the same region.
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(peak - 15, 60));
    QTest::mouseClick(setPoint, Qt::LeftButton);
    EXPECT_EQ(setPoint->text(), "Set Start Point");
    EXPECT_FALSE(setPoint->isEnabled());
    EXPECT_TRUE(doc_->HasRemoveRegion());

    const int next = doc_->cursorColumn();
    EXPECT_TRUE(next < peak - 15 || next > peak + 15) << next;
    EXPECT_EQ(doc_->displayTrace()[next], 179);
    EXPECT_EQ(CursorColumnOnScreen(), next);
    // The removed stretch shows no bars: its columns are white from the top down to the bottom.
    QImage image = frame_->view().graphImage();
    EXPECT_EQ(image.pixel(peak, kGraphHeight - 1) & 0xFFFFFF, 0xFFFFFFu);

    QTest::mouseClick(remove, Qt::LeftButton);
    EXPECT_FALSE(doc_->HasRemoveRegion());
    EXPECT_TRUE(setPoint->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_EQ(doc_->cursorColumn(), peak);
}

TEST_F(MainWindowTest, ClosingAsksToSaveAndStoresTheSettings) {
    OpenThroughMenu(oneSegment_);
    QTest::mouseClick(Control(idc::kImperial), Qt::LeftButton);
    QTest::mouseClick(Control(idc::kMilliseconds), Qt::LeftButton);
    Type(idc::kLength, "200");
    ASSERT_TRUE(doc_->IsModified());
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Yes);
    nextPath_.clear();  // the Save As dialog is cancelled: the program still closes
    const int dialogsBefore = dialogsShown_;
    EXPECT_TRUE(frame_->close());
    ASSERT_EQ(prompt_.asked().size(), 1u);
    EXPECT_EQ(prompt_.asked()[0].text, LoadString(string_id::kMsgSaveCurrentFile));
    EXPECT_EQ(prompt_.asked()[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(dialogsShown_, dialogsBefore + 1);
    EXPECT_EQ(lastDialog_, CMainFrame::FileDialog::SaveAs);
    EXPECT_FALSE(doc_->fileLoaded());
    EXPECT_FALSE(doc_->IsModified());

    QSettings stored(QString("Norvane Instruments"), QString("Vexlan"));
    stored.beginGroup("Settings");
    EXPECT_EQ(stored.value("Length").toInt(), 1);
    EXPECT_EQ(stored.value("Time").toInt(), 1);
    EXPECT_EQ(stored.value("COM Port").toString(), "COM1");

    // The next start shows the stored units from the first file on.
    CreateWindow();
    EXPECT_EQ(Text(Control(idc::kLengthUnit)), "m");
    OpenThroughMenu(oneSegment_);
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Control(idc::kImperial))->isChecked());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Control(idc::kMilliseconds))->isChecked());
    EXPECT_EQ(Text(Control(idc::kLengthUnit)), "ft");
    EXPECT_EQ(Text(Control(idc::kTimeDelayUnit)), "ms");
}

TEST_F(MainWindowTest, AnUnmodifiedFileClosesWithoutQuestions) {
    OpenThroughMenu(oneSegment_);
    prompt_.Clear();
    EXPECT_TRUE(frame_->close());
    EXPECT_TRUE(prompt_.asked().empty());
    EXPECT_EQ(QSettings(QString("Norvane Instruments"), QString("Vexlan")).value("Settings/Length").toInt(), 0);
}

TEST_F(MainWindowTest, DamagedOrMissingSettingsFallBackToTheDefaults) {
    frame_.reset();
    QSettings stored(QString("Norvane Instruments"), QString("Vexlan"));
    const QString file = stored.fileName();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[Settings]\nLength=\x01\xff\x02garbage\nTime=7\nCOM Port=com2\n\x00\x00[[[", 60);
    }
    CreateWindow();
    ASSERT_EQ(prompt_.asked().size(), 0u);
    OpenThroughMenu(oneSegment_);
    EXPECT_EQ(frame_->view().lengthUnit(), 0);
    EXPECT_EQ(frame_->view().timeUnit(), 0);
    EXPECT_EQ(Text(Control(idc::kLengthUnit)), "m");

    QFile::remove(file);
    CreateWindow();
    EXPECT_EQ(frame_->comPort(), "COM1");
}

TEST_F(MainWindowTest, ALowerCaseStoredPortIsNotRecognised) {
    frame_.reset();
    {
        QSettings stored(QString("Norvane Instruments"), QString("Vexlan"));
        stored.setValue("Settings/COM Port", "com2");
    }
    doc_ = std::make_unique<CVexlanDoc>(prompt_);
    prompt_.Clear();
    frame_ = std::make_unique<CMainFrame>(*doc_, prompt_, settings_);
    ASSERT_EQ(prompt_.asked().size(), 1u);
    EXPECT_EQ(prompt_.asked()[0].text, LoadString(string_id::kMsgComPortNotStored));
    EXPECT_EQ(frame_->comPort(), "");
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) EXPECT_FALSE(frame_->action(id)->isChecked());
}

TEST_F(MainWindowTest, LaterCommandsRunTheirHandlersOnlyWhenEnabled) {
    int copies = 0, restarts = 0, modifies = 0;
    frame_->SetCommandHandler(cmd::kCopyText, [&] { ++copies; });
    frame_->SetCommandHandler(cmd::kRestart, [&] { ++restarts; });
    frame_->view().SetModifyHandler([&] { ++modifies; });
    Trigger(cmd::kCopyText);
    EXPECT_EQ(copies, 0);
    OpenThroughMenu(oneSegment_);
    Trigger(cmd::kCopyText);
    EXPECT_EQ(copies, 1);
    QTest::mouseClick(Control(idc::kModify), Qt::LeftButton);
    EXPECT_EQ(modifies, 1);

    // After the filter block changes the document sends hint 100; other hints do nothing.
    FilterSettings filter = doc_->GetFilterSettings();
    filter.lowCutoff = 200;
    doc_->SetFilterSettings(filter);
    frame_->view().OnUpdate(99);
    EXPECT_EQ(Text(Control(idc::kLowCut)), "OPEN");
    frame_->view().OnUpdate(100);
    EXPECT_EQ(Text(Control(idc::kLowCut)), "200.0");

    // A download enables Restart, and the close then offers it.
    frame_->SetEnableRestart(true);
    EXPECT_TRUE(frame_->action(cmd::kRestart)->isEnabled());
    doc_->SetModified(false);
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Yes);
    EXPECT_TRUE(frame_->close());
    ASSERT_EQ(prompt_.asked().size(), 1u);
    EXPECT_EQ(prompt_.asked()[0].text, LoadString(string_id::kMsgRestartInstrument));
    EXPECT_EQ(restarts, 1);
}

TEST_F(MainWindowTest, ClosingDuringPrintPreviewOnlyEndsThePreview) {
    bool showing = true;
    int ended = 0;
    frame_->SetPrintPreviewHooks([&] { return showing; },
                                 [&] {
                                     ++ended;
                                     showing = false;
                                 });
    OpenThroughMenu(oneSegment_);
    Type(idc::kLength, "70");
    prompt_.Clear();
    EXPECT_FALSE(frame_->close());
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_TRUE(prompt_.asked().empty());
    EXPECT_TRUE(doc_->fileLoaded());
    prompt_.Queue(PromptAnswer::No);
    EXPECT_TRUE(frame_->close());
    EXPECT_EQ(prompt_.asked().size(), 1u);
}

#ifdef VEXLAN_CLI_PATH
// The bundled samples: what the window shows is what the command-line tool computes.
TEST_F(MainWindowTest, EverySampleShowsWhatTheCommandLineToolComputes) {
    const char* source = std::getenv("VEXLAN_SOURCE_DIR");
    if (!source) source = VEXLAN_SOURCE_TREE;
    const QStringList samples = QDir(QString(source) + "/samples").entryList({"*.ked"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(samples.isEmpty());
    for (const QString& name : samples) {
        SCOPED_TRACE(name.toStdString());
        const std::string path = (QString(source) + "/samples/" + name).toStdString();
        CorrelationRecord stored;
        CCorrelationFile file;
        ASSERT_TRUE(file.ReadCorrelationFile(path, stored));
        prompt_.Clear();
        OpenThroughMenu(path);
        std::string computed = path;
        if (stored.filter.autoFilter != 0) {
            // The form says once that the flag is cleared, as the program's own change, and shows
            // the trace computed without it: what the tool computes for the file with the flag off.
            ASSERT_EQ(prompt_.asked().size(), 1u);
            EXPECT_EQ(prompt_.asked()[0].text.rfind(LoadString(string_id::kMsgAutoFilterNotUsed), 0), 0u);
            EXPECT_NE(prompt_.asked()[0].text.find(LoadString(string_id::kMsgAutoFilterChangeIsOurs)),
                      std::string::npos);
            EXPECT_EQ(doc_->GetFilterSettings().autoFilter, 0);
            EXPECT_FALSE(doc_->IsModified());
            stored.filter.autoFilter = 0;
            computed = Path("without-auto-filter.ked");
            std::string written;
            ASSERT_TRUE(CCorrelationFile().WriteCorrelationFileAs(computed, stored, written));
        } else {
            ASSERT_TRUE(prompt_.asked().empty()) << prompt_.asked()[0].text;
        }

        auto compute = [&](int cursor) {
            QProcess cli;
            QStringList args{"compute", QString::fromStdString(computed)};
            if (cursor >= 0) args << "--cursor" << QString::number(cursor);
            cli.start(VEXLAN_CLI_PATH, args);
            EXPECT_TRUE(cli.waitForFinished(30000));
            EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
            return nlohmann::json::parse(cli.readAllStandardOutput().toStdString());
        };
        auto check = [&](const nlohmann::json& expected) {
            const float delay = expected["timeDelay"].get<float>();
            const float d1 = expected["distanceFromSensor1"].get<float>();
            const float d2 = expected["distanceFromSensor2"].get<float>();
            EXPECT_EQ(Text(Control(idc::kTimeDelay)), Format("%.4f", delay));
            EXPECT_EQ(Text(Control(idc::kDistance1)), Format("%.1f m", d1));
            EXPECT_EQ(Text(Control(idc::kDistance2)), Format("%.1f m", d2));
            EXPECT_EQ(CursorColumnOnScreen(), expected["cursorColumn"].get<int>());
        };
        nlohmann::json peak = compute(-1);
        check(peak);
        // The bars are the trace: a bar of value v colours the v - 1 rows below row 193 - v.
        QImage image = frame_->view().graphImage();
        const auto trace = peak["displayTrace"].get<std::vector<int>>();
        for (int x : {0, 100, 309, 310, 500, 619}) {
            if (x == peak["cursorColumn"].get<int>()) continue;
            int height = 0;
            while (height < kGraphHeight && (image.pixel(x, kGraphHeight - 1 - height) & 0xFFFFFF) != 0xFFFFFFu)
                ++height;
            EXPECT_EQ(height, std::max(trace[x] - 1, 0)) << "column " << x;
        }
        QTest::mouseClick(Control(idc::kGraph), Qt::LeftButton, {}, QPoint(200, 40));
        check(compute(200));
    }
}
#endif

TEST_F(MainWindowTest, ARefusedBoxBlocksOnlyItselfAndFocusStaysWithTheUser) {
    OpenThroughMenu(oneSegment_);
    Type(idc::kLength, "");
    ASSERT_EQ(prompt_.asked().size(), 1u);
    Type(idc::kVelocity, "1234");
    EXPECT_EQ(prompt_.asked().size(), 1u);
    EXPECT_FLOAT_EQ(doc_->GetSegment(0).velocity, 1234.0f);
    // A click on the graph moves the cursor and leaves the focus in the box the user was in.
    Edit(idc::kVelocity)->setFocus();
    QTest::mouseClick(Control(idc::kGraph), Qt::LeftButton, {}, QPoint(200, 60));
    EXPECT_EQ(QApplication::focusWidget(), Control(idc::kVelocity));
    // The arrow keys on the graph step the cursor as the arrow buttons do.
    Control(idc::kGraph)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Control(idc::kGraph), Qt::Key_Right);
    EXPECT_EQ(doc_->cursorColumn(), 201);
    // Remove, which disables itself, hands the focus to Set Start Point beside it.
    auto* setPoint = Control(idc::kSetStartPoint);
    QTest::mouseClick(setPoint, Qt::LeftButton);
    QTest::mouseClick(Control(idc::kRemove), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), setPoint);
}

TEST_F(MainWindowTest, ACutShortFileOpensWithANoticeOfItsSize) {
    std::ifstream in(oneSegment_, std::ios::binary);
    const std::vector<char> whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string cut = Path("cut.ked");
    std::ofstream(cut, std::ios::binary).write(whole.data(), 520);
    OpenThroughMenu(cut);
    EXPECT_TRUE(doc_->fileLoaded());
    ASSERT_FALSE(prompt_.asked().empty());
    EXPECT_NE(prompt_.asked()[0].text.find("520 of the 20402 bytes"), std::string::npos) << prompt_.asked()[0].text;
}

TEST_F(MainWindowTest, TenLongSegmentsShowEveryTextWholeInBothUnitSystems) {
    std::vector<kedgen::SegmentSpec> segments;
    for (int i = 0; i < 10; ++i) segments.push_back({i % 2 ? 2 : 0, 90, 150, 0});
    OpenThroughMenu(Generate("riverside-survey-hydrant-14-to-valve-chamber-b.ked", segments, 600));
    const QDir shots(QCoreApplication::applicationDirPath() + "/..");
    vexlan::test::ExpectTextsFit(frame_.get());
    EXPECT_TRUE(frame_->grab().save(shots.filePath("main-window-ten-segments.png")));
    QTest::mouseClick(Control(idc::kImperial), Qt::LeftButton);
    QTest::mouseClick(Control(idc::kMilliseconds), Qt::LeftButton);
    vexlan::test::ExpectTextsFit(frame_.get());
    EXPECT_TRUE(frame_->grab().save(shots.filePath("main-window-imperial-ms.png")));
}

TEST_F(MainWindowTest, AboutBoxNamesTheProgram) {
    std::unique_ptr<QDialog> box(CreateAboutBox(frame_.get()));
    box->show();
    EXPECT_EQ(box->windowTitle(), "About Vexlan");
    bool named = false;
    for (QLabel* label : box->findChildren<QLabel*>()) named = named || label->text().contains("Vexlan");
    EXPECT_TRUE(named);
    EXPECT_TRUE(box->grab().save(QDir(QCoreApplication::applicationDirPath()).filePath("../about-box.png")));
}

TEST_F(MainWindowTest, AcceleratorsReachTheirCommands) {
    nextPath_.clear();
    QTest::keyClick(frame_.get(), Qt::Key_S, Qt::ControlModifier);  // Save: disabled without a file
    EXPECT_EQ(dialogsShown_, 0);
    nextPath_ = oneSegment_;
    QTest::keyClick(frame_.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogsShown_, 1);
    EXPECT_EQ(lastDialog_, CMainFrame::FileDialog::Open);
    EXPECT_TRUE(doc_->fileLoaded());
    Type(idc::kLength, "75");
    QTest::keyClick(frame_.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(doc_->IsModified());
    EXPECT_EQ(dialogsShown_, 1);  // Save writes to the file's own path without asking
}

}  // namespace
