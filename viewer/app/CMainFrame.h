#pragma once
// The main window: fixed 800 x 600, the menus, tool bar and status bar, the file commands, the
// close sequence and the stored settings. It owns the one form view over the one document.
//
// Commands that later parts of the program handle (printing, copying, file information, download,
// restart) exist with their ids and enabling; they act once a handler is set with
// SetCommandHandler. Every menu action carries the object name "ID_<command id>".

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "correlation/CVexlanDoc.h"
#include "view/CVexlanView.h"
#include "view/DocumentAdapter.h"
#include "app/FrameCommands.h"
#include "app/LinkTimerHook.h"
#include "app/PeaksWindow.h"

class QAction;
class QLabel;
class QToolBar;

namespace vexlan {

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = kMainWindowWidth;
    static constexpr int kHeight = kMainWindowHeight;

    CMainFrame(CVexlanDoc& document, IPrompt& prompt, ISettingsStore& settings, QWidget* parent = nullptr);
    // With a port tester the stored port is tested as the window is set up.
    CMainFrame(CVexlanDoc& document, IPrompt& prompt, ISettingsStore& settings,
               std::function<bool(const std::string&)> portTester, QWidget* parent = nullptr);

    CVexlanDoc& document() { return doc_; }
    IViewDocument& viewDocument() { return adapter_; }
    CVexlanView& view() { return *view_; }
    IPrompt& prompt() { return prompt_; }

    // After a file has been loaded: every file command but Restart becomes enabled.
    void EnableFileCommands();
    // Opens a correlation file and readies the frame and the view for it (Open and the download
    // both come here); false when the document refused the file.
    bool OpenFile(const std::string& path);
    bool IsCommandEnabled(int id) const { return enabling_.IsEnabled(id); }
    QAction* action(int id) const;
    void SetCommandHandler(int id, std::function<void()> handler);
    // Set when the Download command starts talking to the instrument; cleared by Restart.
    void SetEnableRestart(bool enable);

    // The file dialogs; tests replace them. An empty path means the user cancelled.
    enum class FileDialog { Open, SaveAs };
    using FileChooser = std::function<std::string(FileDialog)>;
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    // The serial port. A port is selected only if the tester (the instrument session) opens it;
    // without a tester the name is taken as it is.
    const std::string& comPort() const { return comPort_; }
    void SetPortTester(std::function<bool(const std::string&)> tester) { testPort_ = std::move(tester); }
    void SelectPort(const std::string& port);
    void RestoreComPort();

    // The link library's timer runs from the event loop while a port is open.
    LinkTimerHook& linkTimer() { return linkTimer_; }

    // While a print preview shows, closing only ends the preview.
    void SetPrintPreviewHooks(std::function<bool()> isShowing, std::function<void()> end);

    // The start-up sequence of the view: stored units, then a pending file.
    void InitialUpdate();

public slots:
    void OnOpen();
    void OnSave();
    void OnSaveAs();
    void OnAbout();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ShowLockKeyStates();
    void Trigger(int id);
    void RunCommand(int id);
    void UpdateCommandStates();
    std::string ChooseFile(FileDialog kind);
    // Correlation method, analysis pane and peak list.
    void SelectMethod(int commandId, bool store);
    void OnAnalysed();
    void ShowPeaks();
    void StepPeak(int direction);

    CVexlanDoc& doc_;
    DocumentAdapter adapter_;
    IPrompt& prompt_;
    ISettingsStore& settings_;
    CVexlanView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    CommandEnabling enabling_;
    std::string comPort_;
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    FileChooser chooseFile_;
    std::function<bool(const std::string&)> testPort_;
    std::function<bool()> previewShowing_;
    std::function<void()> endPreview_;
    LinkTimerHook linkTimer_;
    QLabel* analysisPane_ = nullptr;
    std::vector<QLabel*> lockPanes_;  // CAP, NUM, SCRL
    PeaksWindow* peaksWindow_ = nullptr;
};

}  // namespace vexlan
