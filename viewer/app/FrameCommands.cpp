#include "app/FrameCommands.h"

namespace vexlan {
namespace {

using namespace popup;

constexpr MenuEntry kMenu[] = {
    {kFile, kNone, cmd::kOpen, "Ctrl+O"},
    {kFile, kNone, cmd::kSave, "Ctrl+S"},
    {kFile, kNone, cmd::kSaveAs, nullptr},
    {kFile, kNone, cmd::kSeparator, nullptr},
    {kFile, kNone, cmd::kPrint, "Ctrl+P"},
    {kFile, kNone, cmd::kPrintPreview, nullptr},
    {kFile, kNone, cmd::kPrintSetup, nullptr},
    {kFile, kNone, cmd::kSeparator, nullptr},
    {kFile, kNone, cmd::kExit, nullptr},
    {kEdit, kNone, cmd::kCopyText, nullptr},
    {kEdit, kNone, cmd::kCopyGraph, nullptr},
    {kView, kNone, cmd::kToolbar, nullptr},
    {kView, kNone, cmd::kStatusBar, nullptr},
    {kView, kNone, cmd::kSeparator, nullptr},
    {kView, kCorrelationMethod, cmd::kMethodBasic, nullptr},
    {kView, kCorrelationMethod, cmd::kMethodScot, nullptr},
    {kView, kCorrelationMethod, cmd::kMethodPhat, nullptr},
    {kView, kCorrelationMethod, cmd::kMethodAuto, nullptr},
    {kView, kNone, cmd::kPeaks, "Ctrl+K"},
    {kView, kNone, cmd::kNextPeak, "Ctrl+."},
    {kView, kNone, cmd::kPreviousPeak, "Ctrl+,"},
    {kOptions, kNone, cmd::kFileInformation, nullptr},
    {kOptions, kNone, cmd::kMeasureVelocity, nullptr},
    {kOptions, kNone, cmd::kDownloadFile, nullptr},
    {kOptions, kNone, cmd::kRestart, nullptr},
    {kOptions, kChangeComPort, cmd::kCom1, nullptr},
    {kOptions, kChangeComPort, cmd::kCom2, nullptr},
    {kOptions, kChangeComPort, cmd::kCom3, nullptr},
    {kOptions, kChangeComPort, cmd::kCom4, nullptr},
    {kHelp, kNone, cmd::kAbout, nullptr},
};

constexpr int kToolBar[] = {cmd::kOpen, cmd::kSave, cmd::kSeparator, cmd::kPrint, cmd::kSeparator, cmd::kAbout};

constexpr const char* kPorts[] = {"COM1", "COM2", "COM3", "COM4"};

}  // namespace

const MenuEntry* MainMenu(int& count) {
    count = static_cast<int>(sizeof kMenu / sizeof kMenu[0]);
    return kMenu;
}

const char* MenuText(int popupOrCommandId) { return LoadResourceText(resource::kMainMenu, popupOrCommandId); }

const int* ToolBarButtons(int& count) {
    count = static_cast<int>(sizeof kToolBar / sizeof kToolBar[0]);
    return kToolBar;
}

void CommandEnabling::EnableFileCommands() {
    enableSave = enableSaveAs = enablePrint = enablePrintPreview = true;
    enablePrintSetup = enableCopyGraph = enableCopyText = true;
    enableMeasureVelocity = true;
}

bool CommandEnabling::IsEnabled(int id) const {
    switch (id) {
    case cmd::kRestart: return enableRestart;
    case cmd::kSave: return enableSave;
    case cmd::kSaveAs: return enableSaveAs;
    case cmd::kPrint: return enablePrint;
    case cmd::kPrintPreview: return enablePrintPreview;
    case cmd::kPrintSetup: return enablePrintSetup;
    case cmd::kCopyGraph: return enableCopyGraph;
    case cmd::kCopyText: return enableCopyText;
    case cmd::kMeasureVelocity: return enableMeasureVelocity;
    default: return true;
    }
}

MainWindowPlacement PlaceMainWindow(int screenWidth, int screenHeight) {
    MainWindowPlacement p;
    p.x = (screenWidth - kMainWindowWidth) / 2;
    p.y = (screenHeight - kMainWindowHeight) / 2;
    p.screenTooSmall = screenWidth < kMainWindowWidth || screenHeight < kMainWindowHeight;
    return p;
}

bool IsOfferedPort(const std::string& name) { return PortCommandId(name) != 0; }

int PortCommandId(const std::string& name) {
    for (int i = 0; i < 4; ++i)
        if (name == kPorts[i]) return cmd::kCom1 + i;
    return 0;
}

const char* PortName(int commandId) {
    if (commandId < cmd::kCom1 || commandId > cmd::kCom4) return nullptr;
    return kPorts[commandId - cmd::kCom1];
}

}  // namespace vexlan
