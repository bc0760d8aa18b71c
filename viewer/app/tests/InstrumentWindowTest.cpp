// The main window's instrument commands against the simulated instrument on a pseudo-terminal:
// the port menu and its test at start-up, listing and downloading one file or all of them,
// opening the downloaded file, refusals and stalls, the restart and the question at close.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sys/file.h>
#include <unistd.h>

#include "dialogs/CDownloadDlg.h"
#include "res/StringIds.h"
#include "app/CMainFrame.h"
#include "dialogs/CDownloadProgressDlg.h"
#include "app/InstrumentCommands.h"
#include "testsupport/simulator/SimulatedInstrument.h"
#include "res/StringTable.h"
#include "link/tarvik.h"

using namespace vexlan;
using vexlan::test::ReadWholeFile;
using vexlan::test::SimulatedInstrument;
using Bytes = std::vector<uint8_t>;

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "instrument_window_tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: a static QApplication would be torn down after the platform's own
    // input devices at exit and crash the test binary after every test has passed.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct MemoryStore : ISettingsStore {
    std::map<std::string, std::string> values;
    std::optional<std::string> Read(const std::string& key) const override {
        auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string& key, const std::string& value) override {
        values[key] = value;
        return true;
    }
};

// The wake-up wait only has to let the simulator read the low-speed bytes.
SessionTiming FastTiming() {
    SessionTiming t;
    t.wakeWaitMs = 150;
    return t;
}

class InstrumentWindowTest : public ::testing::Test {
protected:
    void SetUp() override { App(); }
    void TearDown() override {
        frame_.reset();
        commands_.reset();
        comm_close();
    }

    // The window as the program sets it up, with COM1 pointing at the simulator.
    void CreateWindow(SessionTiming timing = FastTiming()) {
        frame_.reset();
        commands_ = std::make_unique<InstrumentCommands>(prompt_, store_, timing);
        doc_ = std::make_unique<CVexlanDoc>(prompt_);
        ASSERT_TRUE(doc_->OnNewDocument());
        frame_ = std::make_unique<CMainFrame>(*doc_, prompt_, store_, commands_->PortTester());
        commands_->Install(*frame_);
        commands_->SetSavePathChooser([this](const std::string& initial) {
            saveInitial_.push_back(initial);
            return savePath_;
        });
        commands_->SetFolderChooser([this](const std::string& title) {
            folderTitles_.push_back(title);
            return folder_;
        });
        frame_->InitialUpdate();
        frame_->show();
    }
    void StartSimulator(const std::vector<std::string>& options = {}) {
        ASSERT_TRUE(sim_.Start(options));
        store_.values["Devices/COM1"] = sim_.device();
        store_.values["COM Port"] = "COM1";
    }

    void Trigger(int id) { frame_->action(id)->trigger(); }

    // Answers the Download File dialog once it shows: the names it offers are kept, then `act`.
    // The listing's progress window comes first; the act waits for the Download File dialog.
    void WhenDialogShows(std::function<void(CDownloadDlg*)> act) {
        QTimer::singleShot(0, [this, act] {
            auto* dialog = qobject_cast<CDownloadDlg*>(QApplication::activeModalWidget());
            if (!dialog) return WhenDialogShows(act);
            auto* combo = dialog->findChild<QComboBox*>("IDC_1055");
            offered_.clear();
            for (int i = 0; i < combo->count(); ++i) offered_.push_back(combo->itemText(i).toStdString());
            act(dialog);
        });
    }
    static void Pick(CDownloadDlg* dialog, const QString& name) {
        auto* combo = dialog->findChild<QComboBox*>("IDC_1055");
        combo->setCurrentIndex(combo->findText(name));
        Click(dialog, CDownloadDlg::kFileButtonId);
    }
    static void Click(QWidget* dialog, int id) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QString("IDC_%1").arg(id)), Qt::LeftButton);
    }

    std::vector<std::string> Asked() const {
        std::vector<std::string> texts;
        for (const auto& a : prompt_.asked()) texts.push_back(a.text);
        return texts;
    }
    std::string Local(const std::string& name) const { return sim_.outFolder() + "/" + name; }
    bool Exists(const std::string& path) const { return ::access(path.c_str(), F_OK) == 0; }

    SimulatedInstrument sim_;
    MemoryStore store_;
    ScriptedPrompt prompt_;
    std::unique_ptr<InstrumentCommands> commands_;
    std::unique_ptr<CVexlanDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    std::string savePath_, folder_;
    std::vector<std::string> saveInitial_, folderTitles_, offered_;
};

TEST_F(InstrumentWindowTest, StartUpTestsTheStoredPortOnItsDeviceAndTheMenuShowsTheDevices) {
    StartSimulator();
    store_.values["Devices/COM3"] = "/dev/ttyUSB7";
    CreateWindow();
    EXPECT_TRUE(prompt_.asked().empty());
    EXPECT_EQ(frame_->comPort(), "COM1");
    EXPECT_TRUE(frame_->action(cmd::kCom1)->isChecked());
    EXPECT_EQ(frame_->action(cmd::kCom1)->text().toStdString(), "COM&1\t" + sim_.device());
    EXPECT_EQ(frame_->action(cmd::kCom3)->text(), "COM&3\t/dev/ttyUSB7");
    EXPECT_TRUE(frame_->action(cmd::kCom2)->text().startsWith("COM&2\t"));
    EXPECT_FALSE(frame_->action(cmd::kRestart)->isEnabled());

    // Selecting the selected port again does not open anything: a device that is gone is not noticed.
    store_.values["Devices/COM1"] = "/dev/vexlan-no-such-device";
    Trigger(cmd::kCom1);
    EXPECT_TRUE(prompt_.asked().empty());
    EXPECT_TRUE(frame_->action(cmd::kCom1)->isChecked());
    EXPECT_EQ(comm_is_open(), 0);
}

TEST_F(InstrumentWindowTest, APortThatIsMissingBusyOrNoSerialLineKeepsTheSelection) {
    StartSimulator();
    const std::string plainFile = sim_.outFolder() + "/not-a-line";
    { std::ofstream(plainFile) << "x"; }
    store_.values["Devices/COM2"] = "/dev/vexlan-no-such-device";
    store_.values["Devices/COM3"] = plainFile;
    store_.values["Devices/COM4"] = sim_.device();
    CreateWindow();
    ASSERT_EQ(frame_->comPort(), "COM1");
    prompt_.Clear();
    Trigger(cmd::kCom2);
    Trigger(cmd::kCom3);
    // Another holder of the line: the library refuses it as a device it cannot have.
    const int holder = ::open(sim_.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    Trigger(cmd::kCom4);
    ::close(holder);
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kMsgPortNotOpened),
                                                 LoadString(string_id::kMsgPortSetupNotRead),
                                                 LoadString(string_id::kMsgPortNotOpened)}));
    for (const auto& a : prompt_.asked()) EXPECT_EQ(a.icon, PromptIcon::Warning);
    EXPECT_EQ(frame_->comPort(), "COM1");
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) EXPECT_EQ(frame_->action(id)->isChecked(), id == cmd::kCom1);

    // The menu still works: once free, the same line is taken.
    prompt_.Clear();
    Trigger(cmd::kCom4);
    EXPECT_TRUE(prompt_.asked().empty());
    EXPECT_EQ(frame_->comPort(), "COM4");
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) EXPECT_EQ(frame_->action(id)->isChecked(), id == cmd::kCom4);
}

TEST_F(InstrumentWindowTest, AStoredPortThatCannotBeOpenedLeavesNoPortAndDownloadFailsToList) {
    store_.values["COM Port"] = "COM2";
    store_.values["Devices/COM2"] = "/dev/vexlan-no-such-device";
    CreateWindow();
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kMsgPortNotOpened)}));
    EXPECT_EQ(frame_->comPort(), "");
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) EXPECT_FALSE(frame_->action(id)->isChecked());

    // No port: the listing fails with the session's message, no dialog, yet Restart is offered.
    prompt_.Clear();
    Trigger(cmd::kDownloadFile);
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kWillCommunicate),
                                                 LoadString(string_id::kMsgCannotCommunicate)}));
    EXPECT_TRUE(frame_->action(cmd::kRestart)->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(InstrumentWindowTest, OneFileIsDownloadedOpenedAndIdenticalToTheServedOne) {
    sim_.AddFile("ZETA.KED", 20402);
    const Bytes served = sim_.AddFile("ALPHA.KED", 20402);
    sim_.AddFile("notes.txt", 10);
    StartSimulator();
    CreateWindow();
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Ok);   // 62032
    prompt_.Queue(PromptAnswer::Yes);  // 62034
    savePath_ = Local("mine.ked");
    WhenDialogShows([](CDownloadDlg* dialog) { Pick(dialog, "ALPHA.KED"); });
    Trigger(cmd::kDownloadFile);

    EXPECT_EQ(offered_, (std::vector<std::string>{"ALPHA.KED", "ZETA.KED"}));
    EXPECT_EQ(saveInitial_, (std::vector<std::string>{"ALPHA.KED"}));
    bool exists = false;
    EXPECT_EQ(ReadWholeFile(savePath_, &exists), served);
    EXPECT_TRUE(exists);
    EXPECT_FALSE(Exists(savePath_ + ".part"));
    // The served bytes are not a correlation file: the document says so and nothing is enabled.
    ASSERT_EQ(prompt_.asked().size(), 3u);
    EXPECT_EQ(prompt_.asked()[1].text, LoadString(string_id::kOpenNow));
    EXPECT_FALSE(frame_->action(cmd::kSave)->isEnabled());
    // The progress window followed the blocks.
    ASSERT_NE(commands_->progress(), nullptr);
    EXPECT_EQ(commands_->progress()->bytesText(), "20402 bytes received");
    EXPECT_EQ(commands_->progress()->fileText(), "Downloading ALPHA.KED");
    EXPECT_FALSE(commands_->progress()->isVisible());
    EXPECT_TRUE(frame_->action(cmd::kRestart)->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(comm_is_open(), 0);
}

TEST_F(InstrumentWindowTest, ADownloadedCorrelationFileOpensAtOnce) {
    // A real correlation file from the bundled samples, served by the instrument.
    const char* source = std::getenv("VEXLAN_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "VEXLAN_SOURCE_DIR names the source tree";
    const std::string sample = std::string(source) + "/samples/metal-one-segment.ked";
    bool exists = false;
    const Bytes served = ReadWholeFile(sample, &exists);
    ASSERT_TRUE(exists);
    std::ofstream(sim_.folder() + "/RUN1.KED", std::ios::binary)
        .write(reinterpret_cast<const char*>(served.data()), static_cast<std::streamsize>(served.size()));
    StartSimulator();
    CreateWindow();
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Ok);
    prompt_.Queue(PromptAnswer::Yes);
    savePath_ = Local("run1.ked");
    WhenDialogShows([](CDownloadDlg* dialog) { Pick(dialog, "RUN1.KED"); });
    Trigger(cmd::kDownloadFile);
    EXPECT_EQ(Asked(),
              (std::vector<std::string>{LoadString(string_id::kWillCommunicate), LoadString(string_id::kOpenNow)}));
    EXPECT_EQ(ReadWholeFile(savePath_, &exists), served);
    EXPECT_TRUE(doc_->fileLoaded());
    EXPECT_TRUE(frame_->action(cmd::kSave)->isEnabled());
    EXPECT_TRUE(frame_->action(cmd::kCopyText)->isEnabled());

    // After a download the close offers the restart; Yes sends it.
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Yes);
    EXPECT_TRUE(frame_->close());
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kMsgRestartInstrument)}));
    EXPECT_EQ(sim_.LogLines("started \"Qvrn.exe\"").size(), 1u);
    EXPECT_EQ(store_.values["COM Port"], "COM1");
}

TEST_F(InstrumentWindowTest, AllFilesGoIntoTheChosenFolderAndNothingIsOpened) {
    std::map<std::string, Bytes> served;
    for (auto [name, size] : {std::pair{"B.KED", 20402}, {"A.KED", 4096}, {"EMPTY.KED", 0}, {"C.KED", 9000}})
        served[name] = sim_.AddFile(name, static_cast<size_t>(size));
    sim_.AddFile("skip.ked", 5);
    StartSimulator();
    CreateWindow();
    // A file the user already has is replaced only on Yes.
    const std::string kept = Local("C.KED");
    { std::ofstream(kept) << "edited by hand"; }
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Ok);
    prompt_.Queue(PromptAnswer::No);
    folder_ = sim_.outFolder();
    WhenDialogShows([](CDownloadDlg* dialog) { Click(dialog, CDownloadDlg::kAllButtonId); });
    Trigger(cmd::kDownloadFile);

    EXPECT_EQ(folderTitles_, (std::vector<std::string>{LoadString(string_id::kChooseDestination)}));
    ASSERT_EQ(prompt_.asked().size(), 2u);
    EXPECT_EQ(prompt_.asked()[1].text, kept + " already exists.\n\nDo you want to replace it?");
    for (const auto& [name, bytes] : served) {
        bool exists = false;
        const Bytes local = ReadWholeFile(Local(name), &exists);
        EXPECT_TRUE(exists) << name;
        if (name == "C.KED") {
            EXPECT_EQ(std::string(local.begin(), local.end()), "edited by hand");
        } else {
            EXPECT_EQ(local, bytes) << name;
        }
    }
    EXPECT_FALSE(Exists(Local("skip.ked")));
    EXPECT_FALSE(doc_->fileLoaded());
    EXPECT_EQ(sim_.LogLines("open \"C.KED\"").size(), 0u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(InstrumentWindowTest, ARefusedOpenOrAStalledInstrumentLeavesNoFile) {
    sim_.AddFile("LOCKED.KED", 20402);
    StartSimulator({"--refuse", "LOCKED.KED"});
    CreateWindow();
    prompt_.Clear();
    savePath_ = Local("locked.ked");
    WhenDialogShows([](CDownloadDlg* dialog) { Pick(dialog, "LOCKED.KED"); });
    Trigger(cmd::kDownloadFile);
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kWillCommunicate),
                                                 LoadString(string_id::kMsgRemoteFileNotOpened)}));
    EXPECT_FALSE(Exists(savePath_));
    EXPECT_FALSE(Exists(savePath_ + ".part"));
    EXPECT_EQ(comm_is_open(), 0);
}

// Cancel in the progress window while the instrument keeps the session waiting: the download
// ends without a message, the port closed and no file under either name.
TEST_F(InstrumentWindowTest, CancelEndsAStalledDownloadCleanly) {
    sim_.AddFile("BIG.KED", 20402);
    StartSimulator({"--stall-after", "5"});
    CreateWindow();
    savePath_ = Local("big.ked");
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Ok);
    std::function<void()> cancelWhenReading = [&] {
        CDownloadProgressDlg* progress = commands_->progress();
        if (progress && progress->isVisible() && progress->bytesText() == "4096 bytes received") {
            QTest::mouseClick(progress->findChild<QPushButton*>("DownloadCancel"), Qt::LeftButton);
            return;
        }
        QTimer::singleShot(10, cancelWhenReading);
    };
    WhenDialogShows([&](CDownloadDlg* dialog) {
        QTimer::singleShot(0, cancelWhenReading);
        Pick(dialog, "BIG.KED");
    });
    Trigger(cmd::kDownloadFile);
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kWillCommunicate)}));
    EXPECT_FALSE(Exists(savePath_));
    EXPECT_FALSE(Exists(savePath_ + ".part"));
    EXPECT_FALSE(commands_->progress()->isVisible());
    EXPECT_EQ(comm_is_open(), 0);
}

TEST_F(InstrumentWindowTest, AStalledInstrumentShowsTheTransmitMessageAndLeavesTheOldFile) {
    sim_.AddFile("BIG.KED", 20402);
    // Listing takes two requests, the open one, then the instrument falls silent mid-file.
    StartSimulator({"--stall-after", "5"});
    SessionTiming timing = FastTiming();
    timing.replyTimeoutMs = 400;
    timing.fileAttempts = 1;
    CreateWindow(timing);
    savePath_ = Local("big.ked");
    { std::ofstream(savePath_) << "older"; }
    prompt_.Clear();
    prompt_.Queue(PromptAnswer::Ok);
    prompt_.Queue(PromptAnswer::Yes);  // replace it
    WhenDialogShows([](CDownloadDlg* dialog) { Pick(dialog, "BIG.KED"); });
    Trigger(cmd::kDownloadFile);
    ASSERT_EQ(prompt_.asked().size(), 3u);
    EXPECT_EQ(prompt_.asked()[2].text, LoadString(string_id::kMsgCannotTransmit));
    bool exists = false;
    const Bytes left = ReadWholeFile(savePath_, &exists);
    EXPECT_EQ(std::string(left.begin(), left.end()), "older");
    EXPECT_FALSE(Exists(savePath_ + ".part"));
    EXPECT_FALSE(doc_->fileLoaded());
    EXPECT_EQ(comm_is_open(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(InstrumentWindowTest, RestartSendsTheProgramAndIsOfferedAtCloseOnlyAfterADownload) {
    sim_.AddFile("A.KED", 100);
    StartSimulator();
    CreateWindow();
    // No download in this run: Restart is disabled and the close asks nothing about it.
    prompt_.Clear();
    EXPECT_FALSE(frame_->action(cmd::kRestart)->isEnabled());
    EXPECT_TRUE(frame_->close());
    EXPECT_TRUE(prompt_.asked().empty());

    CreateWindow();
    WhenDialogShows([](CDownloadDlg* dialog) { Click(dialog, 2); });  // Cancel
    Trigger(cmd::kDownloadFile);
    EXPECT_EQ(offered_, (std::vector<std::string>{"A.KED"}));
    EXPECT_TRUE(frame_->action(cmd::kRestart)->isEnabled());
    prompt_.Clear();
    Trigger(cmd::kRestart);
    EXPECT_TRUE(prompt_.asked().empty());
    const auto started = sim_.LogLines("type 5:");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_NE(started[0].find("started \"Qvrn.exe\""), std::string::npos);
    EXPECT_NE(started[0].find("721 bytes"), std::string::npos);
    EXPECT_FALSE(frame_->action(cmd::kRestart)->isEnabled());
    EXPECT_EQ(comm_is_open(), 0);
    // After the Restart the close asks nothing.
    EXPECT_TRUE(frame_->close());
    EXPECT_TRUE(prompt_.asked().empty());

    // A restart that cannot reach the instrument still clears the command.
    CreateWindow();
    frame_->SetEnableRestart(true);
    sim_.Stop();
    store_.values["Devices/COM1"] = "/dev/vexlan-no-such-device";
    Trigger(cmd::kRestart);
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kMsgCannotCommunicate)}));
    EXPECT_FALSE(frame_->action(cmd::kRestart)->isEnabled());
}

TEST_F(InstrumentWindowTest, TheDialogNeedsASelectionForFileAndPicturesOnRequest) {
    sim_.AddFile("B.KED", 10);
    sim_.AddFile("A.KED", 10);
    StartSimulator();
    CreateWindow();
    prompt_.Clear();
    WhenDialogShows([this](CDownloadDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Download File");
        // Typing a name is not choosing one.
        auto* combo = dialog->findChild<QComboBox*>("IDC_1055");
        QTest::keyClicks(combo->lineEdit(), "A.KED");
        Click(dialog, CDownloadDlg::kFileButtonId);
        EXPECT_TRUE(dialog->isVisible());
        const QByteArray dir = qgetenv("VEXLAN_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            combo->setCurrentIndex(0);
            EXPECT_TRUE(dialog->grab().save(QString::fromUtf8(dir) + "/download-file.png"));
        }
        Click(dialog, 2);
    });
    Trigger(cmd::kDownloadFile);
    EXPECT_EQ(Asked(),
              (std::vector<std::string>{LoadString(string_id::kWillCommunicate), LoadString(string_id::kSelectAFile)}));
    EXPECT_EQ(prompt_.asked()[1].icon, PromptIcon::Question);
    EXPECT_EQ(sim_.LogLines("open \"").size(), 0u);

    const QByteArray dir = qgetenv("VEXLAN_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        CDownloadProgressDlg progress(frame_.get());
        progress.BeginFile("RUN1.KED", 2, 5);
        progress.SetBytes(8192);
        EXPECT_EQ(progress.fileText(), "Downloading RUN1.KED (file 2 of 5)");
        EXPECT_TRUE(progress.grab().save(QString::fromUtf8(dir) + "/download-progress.png"));
        progress.ShowStage(FormatString(string_id::kRetrying, 2, 3));
        EXPECT_TRUE(progress.grab().save(QString::fromUtf8(dir) + "/download-retrying.png"));
        progress.Finish();
        for (QObject* holder : frame_->action(cmd::kCom1)->associatedObjects()) {
            if (auto* menu = qobject_cast<QMenu*>(holder)) {
                menu->popup(frame_->mapToGlobal(QPoint(100, 40)));
                EXPECT_TRUE(menu->grab().save(QString::fromUtf8(dir) + "/port-menu.png"));
                menu->hide();
            }
        }
    }
}

TEST_F(InstrumentWindowTest, PortDevicesPointANameAtAnotherDevice) {
    StartSimulator();
    store_.values["Devices/COM3"] = "/dev/ttyUSB3";
    CreateWindow();
    prompt_.Clear();
    QAction* item = frame_->findChild<QAction*>("PortDevices");
    ASSERT_NE(item, nullptr);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* com2 = dialog->findChild<QLineEdit*>("COM2");
        auto* com3 = dialog->findChild<QLineEdit*>("COM3");
        EXPECT_EQ(com3->text(), "/dev/ttyUSB3");
        EXPECT_EQ(com2->placeholderText(), "Default: /dev/ttyS1");
        com2->setText("  /dev/ttyUSB0 ");
        com3->clear();
        const QByteArray dir = qgetenv("VEXLAN_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            EXPECT_TRUE(dialog->grab().save(QString::fromUtf8(dir) + "/port-devices.png"));
        }
        for (auto* button : dialog->findChildren<QPushButton*>())
            if (button->text().remove('&') == "OK") button->click();
    });
    item->trigger();
    EXPECT_TRUE(prompt_.asked().empty());
    EXPECT_EQ(store_.values["Devices/COM2"], "/dev/ttyUSB0");
    EXPECT_EQ(store_.values["Devices/COM3"], "");
    EXPECT_EQ(frame_->action(cmd::kCom2)->text(), "COM&2\t/dev/ttyUSB0");
    EXPECT_EQ(frame_->action(cmd::kCom3)->text(), "COM&3\t/dev/ttyS2");
    // The selected port keeps its check mark; the next test of a name uses its new device.
    EXPECT_TRUE(frame_->action(cmd::kCom1)->isChecked());
    Trigger(cmd::kCom2);
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kMsgPortNotOpened)}));
    EXPECT_EQ(frame_->comPort(), "COM1");
}

}  // namespace
