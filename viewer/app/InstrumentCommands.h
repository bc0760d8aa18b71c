#pragma once
// The main window's instrument commands: Download File, Restart Halcyra Digital, the port test
// behind Change COM Port, the device each port name uses shown in that menu, and "Port Devices..."
// to point a name at another device. The work is DownloadCommand and the instrument session; this
// class gives them the windows, the busy cursor and the frame's state.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "instrument/CInstrumentSession.h"
#include "app/ComPortDevices.h"
#include "dialogs/DownloadLogic.h"
#include "dialogs/CDownloadProgressDlg.h"
#include "app/SessionInstrumentLink.h"

namespace vexlan {

class CMainFrame;

// Passes questions on with the ordinary pointer over them, also while the busy cursor shows.
class ArrowCursorPrompt : public IPrompt {
public:
    explicit ArrowCursorPrompt(IPrompt& prompt) : prompt_(prompt) {}
    PromptAnswer Ask(const std::string& text, PromptIcon icon, PromptButtons buttons) override;

private:
    IPrompt& prompt_;
};

class InstrumentCommands : public QObject {
    Q_OBJECT
public:
    InstrumentCommands(IPrompt& prompt, ISettingsStore& settings, SessionTiming timing = {});
    ~InstrumentCommands() override;

    // The frame's port test: the instrument session's, over the device behind the name.
    std::function<bool(const std::string&)> PortTester();
    // Takes over the frame's Download and Restart commands and its port menu.
    void Install(CMainFrame& frame);

    void OnDownloadFile();
    void OnRestart();
    void OnPortDevices();
    // Port menu items read "COM1  <device>".
    void UpdatePortMenu();

    // The platform choosers; tests replace them. An empty path means the user cancelled.
    using PathChooser = std::function<std::string(const std::string& initial)>;
    void SetSavePathChooser(PathChooser chooser) { chooseSavePath_ = std::move(chooser); }
    void SetFolderChooser(PathChooser chooser) { chooseFolder_ = std::move(chooser); }

    ComPortDevices& devices() { return devices_; }
    IInstrumentLink& link() { return link_; }
    CDownloadProgressDlg* progress() { return progress_.data(); }

private:
    DownloadUi MakeUi();
    std::string ChooseSavePath(const std::string& initialName);
    std::string ChooseFolder(const std::string& title);

    ArrowCursorPrompt prompt_;
    ISettingsStore& settings_;
    ComPortDevices devices_;
    SessionInstrumentLink link_;
    CMainFrame* frame_ = nullptr;
    QPointer<CDownloadProgressDlg> progress_;  // a child of the frame
    PathChooser chooseSavePath_, chooseFolder_;
};

}  // namespace vexlan
