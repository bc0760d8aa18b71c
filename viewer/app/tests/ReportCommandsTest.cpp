// The report commands in the real main window, headless: Copy Text and Copy Graph on the
// clipboard, printing to a PDF through the print dialog, the failure messages, the arrow buttons,
// and the two dialogs reached through the menu and the Modify button.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>

#include "app/CMainFrame.h"
#include "res/StringIds.h"
#include "view/FormTemplate.h"
#include "app/ReportCommands.h"
#include "res/StringTable.h"
#include "app/tests/support/OffscreenQtEnvironment.h"
#include "tools/vexlan-cli/Subcommand.h"

using namespace vexlan;

namespace {

const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new vexlan::test::OffscreenQtEnvironment("report_commands_tests"));

class MemorySettings : public ISettingsStore {
public:
    std::optional<std::string> Read(const std::string& key) const override {
        auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
    bool Write(const std::string& key, const std::string& value) override {
        values[key] = value;
        return true;
    }
    std::map<std::string, std::string> values;
};

std::string SamplePath(const std::string& name) {
    const char* root = std::getenv("VEXLAN_SOURCE_DIR");
    return std::string(root ? root : ".") + "/samples/" + name;
}

std::string CliReport(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    EXPECT_EQ(vexlan::cli::RunVexlanCli(args, out, err), 0) << err.str();
    return out.str();
}

void WhenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

class ReportCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        doc = std::make_unique<CVexlanDoc>(prompt);
        frame = std::make_unique<CMainFrame>(*doc, prompt, settings);
        commands = &InstallReportCommands(*frame);
        frame->SetFileChooser([](CMainFrame::FileDialog) { return SamplePath("metal-two-segments.ked"); });
        ASSERT_TRUE(doc->OnNewDocument());
        frame->InitialUpdate();
        frame->show();
        Trigger(cmd::kOpen);
        ASSERT_TRUE(doc->fileLoaded());
        prompt.Clear();
    }
    void TearDown() override { frame.reset(); }

    void Trigger(int id) {
        QAction* action = frame->findChild<QAction*>(QString("ID_%1").arg(id));
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }
    template <class W>
    W* Control(int id) {
        return frame->findChild<W*>(QString::fromStdString(ControlObjectName(id)));
    }
    void PrintTo(const QString& path) {
        commands->SetPrintDialog([path](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        });
        Trigger(cmd::kPrint);
    }
    std::string LastMessage() const { return prompt.asked().empty() ? "" : prompt.asked().back().text; }

    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MemorySettings settings;
    std::unique_ptr<CVexlanDoc> doc;
    std::unique_ptr<CMainFrame> frame;
    ReportCommands* commands = nullptr;
};

TEST_F(ReportCommandsTest, CopyTextIsTheReportOfWhatTheFormShowsInItsUnits) {
    Trigger(cmd::kCopyText);
    const std::string text = QApplication::clipboard()->text().toStdString();
    EXPECT_EQ(text + "\n", CliReport({"report", SamplePath("metal-two-segments.ked")}));
    EXPECT_EQ(text.find('\r'), std::string::npos);

    // Imperial and milliseconds on the form: the report follows them.
    QTest::mouseClick(Control<QRadioButton>(idc::kImperial), Qt::LeftButton);
    QTest::mouseClick(Control<QRadioButton>(idc::kMilliseconds), Qt::LeftButton);
    Trigger(cmd::kCopyText);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString() + "\n",
              CliReport({"report", SamplePath("metal-two-segments.ked"), "--units", "imperial", "--time", "ms"}));
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(ReportCommandsTest, CopyGraphIsTheGraphAsShown) {
    Trigger(cmd::kCopyGraph);
    const QImage copied = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    const QImage shown = frame->view().graphImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copied.size(), QSize(620, 193));
    EXPECT_EQ(copied, shown);
}

TEST_F(ReportCommandsTest, PrintToPdfWritesOneLandscapePage) {
    const QString pdf = QDir(dir.path()).filePath("page.pdf");
    PrintTo(pdf);
    EXPECT_TRUE(prompt.asked().empty()) << LastMessage();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"page.pdf"});
    EXPECT_EQ(commands->printer().pageLayout().orientation(), QPageLayout::Landscape);
}

TEST_F(ReportCommandsTest, UnwritablePathOrNoPrinterGivesAMessageAndNoFile) {
    PrintTo(QDir(dir.path()).filePath("missing/folder/page.pdf"));
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgCannotWriteOutput));
    EXPECT_FALSE(QDir(dir.path()).exists("missing"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // The printer itself, when the machine has none.
    commands->SetPrintDialog([](QPrinter& printer) {
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(QString());
        return true;
    });
    prompt.Clear();
    Trigger(cmd::kPrint);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgNoPrinter));

    // A cancelled print dialog ends the command without a word.
    prompt.Clear();
    commands->SetPrintDialog([](QPrinter&) { return false; });
    Trigger(cmd::kPrint);
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(ReportCommandsTest, ArrowsStepTheCursorWithinTheGraph) {
    auto* left = Control<QPushButton>(idc::kLeftArrow);
    auto* right = Control<QPushButton>(idc::kRightArrow);
    ASSERT_TRUE(left && right);
    const int start = doc->cursorColumn();
    QTest::mouseClick(right, Qt::LeftButton);
    EXPECT_EQ(doc->cursorColumn(), start + 1);
    EXPECT_EQ(doc->previousCursorColumn(), start);
    QTest::mouseClick(left, Qt::LeftButton);
    QTest::mouseClick(left, Qt::LeftButton);
    EXPECT_EQ(doc->cursorColumn(), start - 1);

    doc->MoveCursor(0);
    QTest::mouseClick(left, Qt::LeftButton);
    EXPECT_EQ(doc->cursorColumn(), 0);
    doc->MoveCursor(619);
    QTest::mouseClick(right, Qt::LeftButton);
    EXPECT_EQ(doc->cursorColumn(), 619);
    QTest::mouseClick(left, Qt::LeftButton);
    EXPECT_EQ(doc->cursorColumn(), 618);
    // The readout follows the step, and so does the report.
    Trigger(cmd::kCopyText);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString() + "\n",
              CliReport({"report", SamplePath("metal-two-segments.ked"), "--cursor", "618"}));
}

TEST_F(ReportCommandsTest, FileInformationEditMarksTheFileModifiedSoCloseAsksToSave) {
    EXPECT_FALSE(doc->IsModified());
    WhenModal([](QWidget* dlg) {
        ASSERT_NE(dlg, nullptr);
        auto* title = dlg->findChild<QLineEdit*>("IDC_1162");
        title->selectAll();
        QTest::keyClicks(title, "Mill Rd east");
        QTest::mouseClick(dlg->findChild<QPushButton*>("IDC_1"), Qt::LeftButton);
    });
    Trigger(cmd::kFileInformation);
    EXPECT_STREQ(doc->record().title, "Mill Rd east");
    EXPECT_TRUE(doc->IsModified());
    prompt.Queue(PromptAnswer::No);
    frame->close();
    ASSERT_FALSE(prompt.asked().empty());
    EXPECT_EQ(prompt.asked().front().text, LoadString(string_id::kMsgSaveCurrentFile));
}

TEST_F(ReportCommandsTest, ModifyOpensTheFilterDialogAndOkRecomputesTheView) {
    const QImage before = frame->view().graphImage();
    WhenModal([](QWidget* dlg) {
        ASSERT_NE(dlg, nullptr);
        auto* slider = dlg->findChild<QSlider*>("IDC_1112");
        slider->setValue(250);
        QTest::mouseClick(dlg->findChild<QPushButton*>("IDC_1074"), Qt::LeftButton);
        slider->setValue(60);
        QTest::mouseClick(dlg->findChild<QPushButton*>("IDC_1077"), Qt::LeftButton);
        QTest::mouseClick(dlg->findChild<QPushButton*>("IDC_1"), Qt::LeftButton);
    });
    QTest::mouseClick(Control<QPushButton>(idc::kModify), Qt::LeftButton);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_FLOAT_EQ(doc->GetFilterSettings().highCutoff, 250 * 2.420635f);
    EXPECT_EQ(frame->view().controlTexts().highCutText, "605.2");
    EXPECT_NE(frame->view().graphImage(), before);
}

}  // namespace

namespace {

// With VEXLAN_SCREENSHOT_DIR set, saves a picture of the print preview there for a look by eye;
// either way the preview ends when the window is asked to close, and the window stays open.
TEST_F(ReportCommandsTest, PreviewShowsThePageAndClosingEndsOnlyThePreview) {
    const QByteArray dir = qgetenv("VEXLAN_SCREENSHOT_DIR");
    bool wasShowing = false;
    WhenModal([&](QWidget* preview) {
        ASSERT_NE(preview, nullptr);
        wasShowing = commands->PreviewShowing();
        preview->resize(1100, 800);
        QTest::qWait(200);
        if (!dir.isEmpty()) preview->grab().save(QString::fromUtf8(dir) + "/print-preview.png");
        frame->close();
    });
    Trigger(cmd::kPrintPreview);
    EXPECT_TRUE(wasShowing);
    EXPECT_FALSE(commands->PreviewShowing());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(prompt.asked().empty());
}

}  // namespace

namespace {

TEST_F(ReportCommandsTest, PrintSetupStartsLandscapeAndCancelKeepsIt) {
    bool shown = false;
    WhenModal([&](QWidget* setup) {
        shown = setup != nullptr;
        if (setup) setup->close();
    });
    Trigger(cmd::kPrintSetup);
    EXPECT_TRUE(shown);
    EXPECT_EQ(commands->printer().pageLayout().orientation(), QPageLayout::Landscape);
    // The layout reaches 263 mm across and 200 mm down; it has to fit inside the margins.
    const QRectF paint = commands->printer().pageLayout().paintRect(QPageLayout::Millimeter);
    EXPECT_GE(paint.width(), 263.0);
    EXPECT_GE(paint.height(), 200.0);
}

}  // namespace
