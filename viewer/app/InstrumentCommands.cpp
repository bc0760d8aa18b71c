#include "app/InstrumentCommands.h"
#include "res/StringIds.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>

#include "dialogs/CDownloadDlg.h"
#include "app/CMainFrame.h"
#include "dialogs/CPortDevicesDlg.h"
#include "dialogs/CDownloadProgressDlg.h"
#include "app/FrameCommands.h"
#include "res/StringTable.h"

namespace vexlan {
namespace {

void BeginBusy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void EndBusy() { QApplication::restoreOverrideCursor(); }

QString PortMenuText(int number, const std::string& device) {
    return QString(MenuText(cmd::kCom1 + number - 1)) + '\t' + QString::fromStdString(device);
}

QMenu* MenuHolding(QAction* action) {
    for (QObject* holder : action->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(holder)) return menu;
    return nullptr;
}

}  // namespace

PromptAnswer ArrowCursorPrompt::Ask(const std::string& text, PromptIcon icon, PromptButtons buttons) {
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const PromptAnswer answer = prompt_.Ask(text, icon, buttons);
    if (busy) QApplication::restoreOverrideCursor();
    return answer;
}

InstrumentCommands::InstrumentCommands(IPrompt& prompt, ISettingsStore& settings, SessionTiming timing)
    : prompt_(prompt), settings_(settings), devices_(settings), link_(prompt_, devices_, timing) {
    link_.beginBusy = BeginBusy;
    link_.endBusy = EndBusy;
}

InstrumentCommands::~InstrumentCommands() = default;

std::function<bool(const std::string&)> InstrumentCommands::PortTester() {
    return [this](const std::string& port) { return link_.TestPort(port); };
}

void InstrumentCommands::Install(CMainFrame& frame) {
    frame_ = &frame;
    frame.SetPortTester(PortTester());
    frame.SetCommandHandler(cmd::kDownloadFile, [this] { OnDownloadFile(); });
    frame.SetCommandHandler(cmd::kRestart, [this] { OnRestart(); });
    if (QMenu* ports = MenuHolding(frame.action(cmd::kCom4))) {
        ports->addSeparator();
        QAction* devices = ports->addAction(LoadString(string_id::kPortDevicesMenuItem));
        devices->setObjectName(QStringLiteral("PortDevices"));
        connect(devices, &QAction::triggered, this, [this] { OnPortDevices(); });
    }
    UpdatePortMenu();
}

void InstrumentCommands::UpdatePortMenu() {
    if (!frame_) return;
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) {
        if (QAction* action = frame_->action(id))
            action->setText(PortMenuText(id - cmd::kCom1 + 1, devices_.DeviceFor(PortName(id))));
    }
}

DownloadUi InstrumentCommands::MakeUi() {
    DownloadUi ui;
    ui.beginBusy = BeginBusy;
    ui.endBusy = EndBusy;
    ui.showDialog = [this](const std::vector<std::string>& names) { return RunDownloadDialog(frame_, prompt_, names); };
    ui.chooseSavePath = [this](const std::string& initial) { return ChooseSavePath(initial); };
    ui.chooseFolder = [this](const std::string& title) { return ChooseFolder(title); };
    ui.beginFile = [this](const std::string& name, int number, int count) {
        if (!progress_) progress_ = new CDownloadProgressDlg(frame_);
        progress_->BeginFile(name, number, count);
    };
    ui.fileProgress = [this](uint64_t bytes) {
        if (progress_) progress_->SetBytes(bytes);
    };
    ui.showStage = [this](const std::string& text) {
        if (!progress_) progress_ = new CDownloadProgressDlg(frame_);
        progress_->ShowStage(text);
    };
    ui.cancelRequested = [this] { return progress_ && progress_->isVisible() && progress_->cancelRequested(); };
    ui.endProgress = [this] {
        if (progress_) progress_->Finish();
    };
    ui.openDownloaded = [this](const std::string& path) { return frame_->OpenFile(path); };
    ui.enableRestart = [this] { frame_->SetEnableRestart(true); };
    return ui;
}

void InstrumentCommands::OnDownloadFile() {
    if (!frame_) return;
    DownloadCommand command(link_, prompt_, MakeUi());
    command.Run(frame_->comPort());
}

void InstrumentCommands::OnRestart() {
    if (!frame_) return;
    link_.Restart(frame_->comPort());
    // Cleared whatever the outcome: the question at close is not asked again.
    frame_->SetEnableRestart(false);
}

std::string InstrumentCommands::ChooseSavePath(const std::string& initialName) {
    if (chooseSavePath_) return chooseSavePath_(initialName);
    // The ordinary pointer over the dialog; the question about replacing a file is the command's.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    QFileDialog dialog(frame_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromStdString(LoadDocTemplateField(DocTemplateField::FilterName)));
    dialog.setDefaultSuffix(QStringLiteral("ked"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.selectFile(QString::fromStdString(initialName));
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    QApplication::restoreOverrideCursor();
    return chosen ? dialog.selectedFiles().first().toStdString() : std::string();
}

std::string InstrumentCommands::ChooseFolder(const std::string& title) {
    if (chooseFolder_) return chooseFolder_(title);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const QString folder =
        QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title), QString(), QFileDialog::ShowDirsOnly);
    QApplication::restoreOverrideCursor();
    return folder.toStdString();
}

void InstrumentCommands::OnPortDevices() {
    std::vector<PortDeviceRow> rows;
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) {
        const std::string port = PortName(id);
        rows.push_back({port, devices_.StoredDevice(port).value_or(""), devices_.DefaultDevice(port)});
    }
    const auto entered = RunPortDevicesDialog(frame_, rows);
    if (!entered) return;
    StoreDeviceEdits(devices_, *entered, prompt_);
    UpdatePortMenu();
}

}  // namespace vexlan
