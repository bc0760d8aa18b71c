#pragma once
// The main window's commands: their ids, the menu of the main frame, and which of them are
// enabled. Qt-free, so the enabling rules test without a window.

#include <string>

#include "res/StringTable.h"

namespace vexlan {

namespace cmd {
constexpr int kOpen = 57601, kSave = 32791, kSaveAs = 32792;
constexpr int kPrint = 57607, kPrintPreview = 57609, kPrintSetup = 57606, kExit = 57665;
constexpr int kCopyText = 32796, kCopyGraph = 32797;
constexpr int kToolbar = 59392, kStatusBar = 59393;
constexpr int kFileInformation = 32798, kDownloadFile = 32773, kRestart = 32778;
constexpr int kCom1 = 32786, kCom2 = 32787, kCom3 = 32788, kCom4 = 32789;
constexpr int kAbout = 57664;
// View > Correlation Method: kMethodBasic + the method's index (Basic, SCOT, PHAT, Automatic).
constexpr int kMethodBasic = 32800, kMethodScot = 32801, kMethodPhat = 32802, kMethodAuto = 32803;
constexpr int kPeaks = 32804, kNextPeak = 32805, kPreviousPeak = 32806;
constexpr int kMeasureVelocity = 32807;
constexpr int kSeparator = 0;
}  // namespace cmd

// Status bar panes after the message pane.
namespace pane {
constexpr int kCapsLock = 59137, kNumLock = 59138, kScrollLock = 59139;
}

// The popups of the main menu, keyed apart from the command ids in the string table.
namespace popup {
constexpr int kNone = 0;
constexpr int kFile = 1, kEdit = 2, kView = 3, kOptions = 4, kChangeComPort = 5, kHelp = 6;
constexpr int kCorrelationMethod = 7;
}  // namespace popup

struct MenuEntry {
    int menu;              // popup id of the top-level menu
    int submenu;           // popup::kNone, or the popup id of the submenu the item sits in
    int id;                // cmd::kSeparator for a separator
    const char* shortcut;  // accelerator, or nullptr
};

const MenuEntry* MainMenu(int& count);

// The text of a popup or command of the main menu; an item's text has a tab before the
// shortcut shown beside it.
const char* MenuText(int popupOrCommandId);

// Tool bar buttons in order, cmd::kSeparator for a gap.
const int* ToolBarButtons(int& count);

// The frame's enable flags. All start cleared; a successful load sets every one but Restart.
struct CommandEnabling {
    bool enableRestart = false;
    bool enableSave = false;
    bool enableSaveAs = false;
    bool enablePrint = false;
    bool enablePrintPreview = false;
    bool enablePrintSetup = false;
    bool enableCopyGraph = false;
    bool enableCopyText = false;
    bool enableMeasureVelocity = false;  // needs a correlation to measure from

    void Clear() { *this = CommandEnabling{}; }
    void EnableFileCommands();
    // Commands without a rule are always enabled.
    bool IsEnabled(int id) const;
};

// Where the fixed 800 x 600 main window goes on a screen: centred, the halves truncated toward
// zero, so a screen smaller than the window puts it partly off the screen (and asks for a warning).
struct MainWindowPlacement {
    int x = 0;
    int y = 0;
    bool screenTooSmall = false;
};
constexpr int kMainWindowWidth = 800;
constexpr int kMainWindowHeight = 600;
MainWindowPlacement PlaceMainWindow(int screenWidth, int screenHeight);

// The four serial ports the Options menu offers, "COM1" .. "COM4", exact and case-sensitive.
bool IsOfferedPort(const std::string& name);
int PortCommandId(const std::string& name);  // 0 for a name that is not offered
const char* PortName(int commandId);         // nullptr for an id that is not a port command

}  // namespace vexlan
