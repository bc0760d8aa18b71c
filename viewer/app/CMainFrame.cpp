#include "app/CMainFrame.h"
#include "res/StringIds.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QLayout>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <memory>
#include <utility>

#include "app/AboutBox.h"
#include "app/LockKeys.h"
#include "res/StringTable.h"
#include "app/ToolbarIcons.h"

namespace vexlan {
namespace {

constexpr const char* kDefaultSuffix = "ked";
constexpr int kLockKeyPollMs = 250;

QString ActionName(int id) { return QString("ID_%1").arg(id); }

// Tool tips of the tool bar buttons: the menu text without its mnemonic, dots and shortcut.
QString ToolTipFor(const QString& menuText) {
    QString text = menuText.section('\t', 0, 0);
    text.remove('&');
    while (text.endsWith('.')) text.chop(1);
    return text;
}

}  // namespace

CMainFrame::CMainFrame(CVexlanDoc& document, IPrompt& prompt, ISettingsStore& settings, QWidget* parent)
    : CMainFrame(document, prompt, settings, nullptr, parent) {}

CMainFrame::CMainFrame(CVexlanDoc& document, IPrompt& prompt, ISettingsStore& settings,
                       std::function<bool(const std::string&)> portTester, QWidget* parent)
    : QMainWindow(parent),
      doc_(document),
      adapter_(document),
      prompt_(prompt),
      settings_(settings),
      testPort_(std::move(portTester)) {
    setObjectName("CMainFrame");
    // The caption is the application title alone, never the document's name.
    setWindowTitle(LoadString(string_id::kApplicationTitle));
    // The bars stay where they are docked; no menu offers to hide them but the View menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    // A plain window with a minimise box: it can be neither resized nor maximised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kWidth, kHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const MainWindowPlacement place = PlaceMainWindow(area.width(), area.height());
        // The program goes on after the warning.
        if (place.screenTooSmall)
            AskString(prompt_, string_id::kMsgScreenTooSmall, PromptIcon::Stop, PromptButtons::Ok);
        move(area.x() + place.x, area.y() + place.y);
    }

    view_ = new CVexlanView(adapter_, prompt_, this);
    view_->SetEnableFileCommands([this] { EnableFileCommands(); });
    setCentralWidget(view_);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    adapter_.SetAnalysedHook([this] { OnAnalysed(); });
    analysis::CorrelationMethod stored = analysis::CorrelationMethod::Basic;
    analysis::ParseMethodKey(ReadMethodSetting(settings_), stored);
    SelectMethod(cmd::kMethodBasic + int(stored), false);
    enabling_.Clear();
    UpdateCommandStates();
    RestoreComPort();
    linkTimer_.Sync();
}

void CMainFrame::CreateMenus() {
    std::map<int, QMenu*> menus;
    std::map<int, QMenu*> submenus;
    int count = 0;
    const MenuEntry* entries = MainMenu(count);
    for (int i = 0; i < count; ++i) {
        const MenuEntry& e = entries[i];
        QMenu*& menu = menus[e.menu];
        if (!menu) menu = menuBar()->addMenu(MenuText(e.menu));
        QMenu* target = menu;
        if (e.submenu != popup::kNone) {
            QMenu*& sub = submenus[e.submenu];
            if (!sub) sub = menu->addMenu(MenuText(e.submenu));
            target = sub;
        }
        if (e.id == cmd::kSeparator) {
            target->addSeparator();
            continue;
        }
        // The shortcut text after the tab is shown by the menu itself.
        QAction* action = target->addAction(MenuText(e.id));
        action->setObjectName(ActionName(e.id));
        action->setData(e.id);
        if (e.shortcut) action->setShortcut(QKeySequence(e.shortcut));
        const int id = e.id;
        connect(action, &QAction::triggered, this, [this, id] { Trigger(id); });
        actions_[id] = action;
        addAction(action);  // shortcuts work whether or not the menu bar has focus
    }
    for (int id : {cmd::kToolbar, cmd::kStatusBar}) {
        actions_[id]->setCheckable(true);
        actions_[id]->setChecked(true);
    }
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) actions_[id]->setCheckable(true);
    for (int id = cmd::kMethodBasic; id <= cmd::kMethodAuto; ++id) actions_[id]->setCheckable(true);
    for (auto& [title, menu] : menus) connect(menu, &QMenu::aboutToShow, this, [this] { UpdateCommandStates(); });
}

void CMainFrame::CreateToolBar() {
    toolBar_ = new QToolBar(LoadString(string_id::kToolBarTitle), this);
    toolBar_->setObjectName("ToolBar");
    toolBar_->setIconSize(QSize(16, 15));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    int count = 0;
    const int* buttons = ToolBarButtons(count);
    for (int i = 0; i < count; ++i) {
        if (buttons[i] == cmd::kSeparator) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* menuAction = actions_[buttons[i]];
        menuAction->setIcon(ToolbarIcon(buttons[i]));
        menuAction->setIconVisibleInMenu(false);
        menuAction->setToolTip(ToolTipFor(menuAction->text()));
        toolBar_->addAction(menuAction);
    }
    addToolBar(Qt::TopToolBarArea, toolBar_);
    connect(toolBar_, &QToolBar::visibilityChanged, this,
            [this](bool visible) { actions_[cmd::kToolbar]->setChecked(visible); });
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    auto* message = new QLabel(LoadString(string_id::kIdleMessage), bar);
    message->setObjectName("MessagePane");
    bar->addWidget(message, 1);
    analysisPane_ = new QLabel(bar);
    analysisPane_->setObjectName("AnalysisPane");
    bar->addWidget(analysisPane_);
    // A window of fixed size has nothing to drag.
    bar->setSizeGripEnabled(false);
    const bool lockStatesKnown = ReadLockKeyStates().has_value();
    const std::pair<int, int> lockPanes[] = {{pane::kCapsLock, string_id::kCapsLockIndicator},
                                             {pane::kNumLock, string_id::kNumLockIndicator},
                                             {pane::kScrollLock, string_id::kScrollLockIndicator}};
    for (const auto& [id, text] : lockPanes) {
        auto* label = new QLabel(LoadString(text), bar);
        label->setObjectName(ActionName(id));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        const int widest = label->fontMetrics().horizontalAdvance(LoadString(string_id::kScrollLockIndicator));
        label->setMinimumWidth(widest + 12);
        label->setEnabled(false);
        bar->addPermanentWidget(label);
        // An indicator that cannot follow its key would only mislead.
        label->setVisible(lockStatesKnown);
        lockPanes_.push_back(label);
    }
    if (lockStatesKnown) {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &CMainFrame::ShowLockKeyStates);
        timer->start(kLockKeyPollMs);
        ShowLockKeyStates();
    }
}

void CMainFrame::ShowLockKeyStates() {
    const std::optional<LockKeyStates> states = ReadLockKeyStates();
    if (!states || lockPanes_.size() != 3) return;
    lockPanes_[0]->setEnabled(states->capsLock);
    lockPanes_[1]->setEnabled(states->numLock);
    lockPanes_[2]->setEnabled(states->scrollLock);
}

QAction* CMainFrame::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::SetCommandHandler(int id, std::function<void()> handler) { handlers_[id] = std::move(handler); }

void CMainFrame::EnableFileCommands() {
    enabling_.EnableFileCommands();
    UpdateCommandStates();
}

void CMainFrame::SetEnableRestart(bool enable) {
    enabling_.enableRestart = enable;
    UpdateCommandStates();
}

void CMainFrame::UpdateCommandStates() {
    for (auto& [id, action] : actions_) action->setEnabled(enabling_.IsEnabled(id));
}

void CMainFrame::Trigger(int id) {
    if (!enabling_.IsEnabled(id)) return;
    RunCommand(id);
    // Commands are what open and close serial ports.
    linkTimer_.Sync();
}

void CMainFrame::RunCommand(int id) {
    switch (id) {
    case cmd::kOpen: OnOpen(); return;
    case cmd::kSave: OnSave(); return;
    case cmd::kSaveAs: OnSaveAs(); return;
    case cmd::kExit: close(); return;
    case cmd::kAbout: OnAbout(); return;
    case cmd::kMethodBasic:
    case cmd::kMethodScot:
    case cmd::kMethodPhat:
    case cmd::kMethodAuto: SelectMethod(id, true); return;
    case cmd::kPeaks: ShowPeaks(); return;
    case cmd::kNextPeak: StepPeak(+1); return;
    case cmd::kPreviousPeak: StepPeak(-1); return;
    case cmd::kToolbar: toolBar_->setVisible(!toolBar_->isVisible()); return;
    case cmd::kStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        actions_[cmd::kStatusBar]->setChecked(statusBar()->isVisible());
        return;
    default: break;
    }
    if (const char* port = PortName(id)) {
        SelectPort(port);
        // The check marks follow the selection, not the click.
        for (int other = cmd::kCom1; other <= cmd::kCom4; ++other)
            actions_[other]->setChecked(PortCommandId(comPort_) == other);
        return;
    }
    auto it = handlers_.find(id);
    if (it != handlers_.end() && it->second) it->second();
}

std::string CMainFrame::ChooseFile(FileDialog kind) {
    if (chooseFile_) return chooseFile_(kind);
    QFileDialog dialog(this);
    dialog.setNameFilter(QString::fromStdString(LoadDocTemplateField(DocTemplateField::FilterName)));
    dialog.setDefaultSuffix(kDefaultSuffix);
    if (kind == FileDialog::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first().toStdString();
}

void CMainFrame::OnOpen() {
    std::string path = ChooseFile(FileDialog::Open);
    if (!path.empty()) OpenFile(path);
}

bool CMainFrame::OpenFile(const std::string& path) {
    if (!doc_.OpenCorrelationFile(path)) return false;
    EnableFileCommands();
    view_->ResetForNewFile();
    view_->EnablePipeControls(true);
    return true;
}

void CMainFrame::OnSave() { doc_.SaveCorrelationFile(); }

void CMainFrame::OnSaveAs() {
    std::string path = ChooseFile(FileDialog::SaveAs);
    if (path.empty()) return;
    if (doc_.SaveCorrelationFileAs(path)) view_->ShowFileInfo();
}

void CMainFrame::OnAbout() {
    std::unique_ptr<QDialog> box(CreateAboutBox(this));
    box->exec();
}

void CMainFrame::SelectPort(const std::string& port) {
    if (port == comPort_) return;  // the serial port is not touched
    if (testPort_ && !testPort_(port)) return;
    comPort_ = port;
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) actions_[id]->setChecked(PortCommandId(port) == id);
}

void CMainFrame::RestoreComPort() {
    std::string stored = ReadComPortSetting(settings_);
    if (IsOfferedPort(stored)) {
        SelectPort(stored);
        return;
    }
    AskString(prompt_, string_id::kMsgComPortNotStored, PromptIcon::Warning, PromptButtons::Ok);
    for (int id = cmd::kCom1; id <= cmd::kCom4; ++id) actions_[id]->setChecked(false);
}

void CMainFrame::SelectMethod(int commandId, bool store) {
    const auto method = static_cast<analysis::CorrelationMethod>(commandId - cmd::kMethodBasic);
    adapter_.SetMethod(method);
    for (int id = cmd::kMethodBasic; id <= cmd::kMethodAuto; ++id) actions_[id]->setChecked(id == commandId);
    if (store) WriteMethodSetting(settings_, prompt_, analysis::MethodKey(method));
    // The method changes only what is shown, never the record.
    if (doc_.fileLoaded()) view_->RefreshAll();
}

void CMainFrame::OnAnalysed() {
    const QString status = QString::fromStdString(adapter_.AnalysisStatusText());
    // Room for the whole text at once: the bar is laid out before the label asks for more.
    analysisPane_->setMinimumWidth(analysisPane_->fontMetrics().horizontalAdvance(status) + 8);
    analysisPane_->setText(status);
    if (QLayout* layout = statusBar()->layout()) layout->activate();
    if (peaksWindow_) peaksWindow_->SetRows(adapter_.PeakRows(view_->lengthUnit(), view_->timeUnit()));
}

void CMainFrame::ShowPeaks() {
    if (!peaksWindow_) {
        peaksWindow_ = new PeaksWindow(this);
        peaksWindow_->SetChooseHandler([this](int row) {
            const auto& peaks = adapter_.analysis().peaks;
            if (doc_.fileLoaded() && row < int(peaks.size())) view_->MoveCursorTo(peaks[std::size_t(row)].column);
        });
    }
    peaksWindow_->SetRows(adapter_.PeakRows(view_->lengthUnit(), view_->timeUnit()));
    peaksWindow_->show();
    peaksWindow_->raise();
}

void CMainFrame::StepPeak(int direction) {
    const auto& peaks = adapter_.analysis().peaks;
    if (!doc_.fileLoaded() || peaks.empty()) return;
    const int count = int(peaks.size());
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (peaks[std::size_t(i)].column == doc_.cursorColumn()) at = i;
    const int next = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
    view_->MoveCursorTo(peaks[std::size_t(next)].column);
    if (peaksWindow_) peaksWindow_->SelectRow(next);
}

void CMainFrame::SetPrintPreviewHooks(std::function<bool()> isShowing, std::function<void()> end) {
    previewShowing_ = std::move(isShowing);
    endPreview_ = std::move(end);
}

void CMainFrame::InitialUpdate() {
    view_->OnInitialUpdate(ReadUnitSetting(settings_, setting::kLength), ReadUnitSetting(settings_, setting::kTime));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (previewShowing_ && previewShowing_()) {
        if (endPreview_) endPreview_();
        event->ignore();
        return;
    }
    if (doc_.fileLoaded()) {
        if (doc_.IsModified() && AskString(prompt_, string_id::kMsgSaveCurrentFile, PromptIcon::Question,
                                           PromptButtons::YesNo) == PromptAnswer::Yes)
            OnSaveAs();
        doc_.ResetRecord();
    }
    if (enabling_.enableRestart && AskString(prompt_, string_id::kMsgRestartInstrument, PromptIcon::Question,
                                             PromptButtons::YesNo) == PromptAnswer::Yes)
        Trigger(cmd::kRestart);
    WriteSettings(settings_, prompt_, view_->lengthUnit(), view_->timeUnit(), comPort_);
    event->accept();
}

}  // namespace vexlan
