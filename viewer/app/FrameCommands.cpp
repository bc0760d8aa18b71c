#include "FrameCommands.h"

namespace vexlan {
namespace {

constexpr MenuEntry kMenu[] = {
    {"&File", nullptr, "&Open...\tCtrl+O", cmd::kOpen, "Ctrl+O"},
    {"&File", nullptr, "&Save..\tCtrl+S", cmd::kSave, "Ctrl+S"},
    {"&File", nullptr, "Save &As", cmd::kSaveAs, nullptr},
    {"&File", nullptr, nullptr, cmd::kSeparator, nullptr},
    {"&File", nullptr, "&Print...\tCtrl+P", cmd::kPrint, "Ctrl+P"},
    {"&File", nullptr, "Print Pre&view", cmd::kPrintPreview, nullptr},
    {"&File", nullptr, "P&rint Setup...", cmd::kPrintSetup, nullptr},
    {"&File", nullptr, nullptr, cmd::kSeparator, nullptr},
    {"&File", nullptr, "E&xit", cmd::kExit, nullptr},
    {"&Edit", nullptr, "Copy &Text", cmd::kCopyText, nullptr},
    {"&Edit", nullptr, "Copy &Graph", cmd::kCopyGraph, nullptr},
    {"&View", nullptr, "&Toolbar", cmd::kToolbar, nullptr},
    {"&View", nullptr, "&Status Bar", cmd::kStatusBar, nullptr},
    {"&Options", nullptr, "File Information", cmd::kFileInformation, nullptr},
    {"&Options", nullptr, "Download File", cmd::kDownloadFile, nullptr},
    {"&Options", nullptr, "Restart Halcyra Digital", cmd::kRestart, nullptr},
    {"&Options", "Change COM Port", "COM&1", cmd::kCom1, nullptr},
    {"&Options", "Change COM Port", "COM&2", cmd::kCom2, nullptr},
    {"&Options", "Change COM Port", "COM&3", cmd::kCom3, nullptr},
    {"&Options", "Change COM Port", "COM&4", cmd::kCom4, nullptr},
    {"&Help", nullptr, "&About Vexlan...", cmd::kAbout, nullptr},
};

constexpr int kToolBar[] = {cmd::kOpen, cmd::kSave, cmd::kSeparator, cmd::kPrint, cmd::kSeparator, cmd::kAbout};

constexpr const char* kPorts[] = {"COM1", "COM2", "COM3", "COM4"};

}  // namespace

const MenuEntry* MainMenu(int& count) {
    count = static_cast<int>(sizeof kMenu / sizeof kMenu[0]);
    return kMenu;
}

const int* ToolBarButtons(int& count) {
    count = static_cast<int>(sizeof kToolBar / sizeof kToolBar[0]);
    return kToolBar;
}

void CommandEnabling::EnableFileCommands() {
    enableSave = enableSaveAs = enablePrint = enablePrintPreview = true;
    enablePrintSetup = enableCopyGraph = enableCopyText = true;
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
