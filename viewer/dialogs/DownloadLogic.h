#pragma once
// The Download File command and its dialog without Qt: the dialog's choice between one file and
// all of them, and the command that lists, asks, downloads and offers to open. The windows it
// needs (dialog, file and folder choosers, progress, busy cursor) come in as DownloadUi hooks.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dialogs/DownloadLink.h"
#include "res/Prompt.h"

namespace vexlan {

// Dialog 144's state: the names offered, what "File" or "All" chose.
class DownloadDialogLogic {
public:
    enum class Outcome { StayOpen, Ok };

    explicit DownloadDialogLogic(std::vector<std::string> fileList = {});
    void SetFileList(std::vector<std::string> fileList);
    const std::vector<std::string>& fileList() const { return fileList_; }
    // The combo box's entries: sorted as a sorted list box sorts, letter case aside.
    std::vector<std::string> ComboEntries() const;

    // "File" with the combo box entry at index (-1: none selected, also when only typed into).
    Outcome OnFile(int selectedIndex, IPrompt& prompt);
    Outcome OnAll();

    const std::string& selectedFile() const { return selectedFile_; }
    bool downloadAll() const { return downloadAll_; }

private:
    std::vector<std::string> fileList_;
    std::string selectedFile_;
    bool downloadAll_ = false;
};

// What the dialog gave back when it closed with OK.
struct DownloadChoice {
    bool downloadAll = false;
    std::string selectedFile;
};

struct DownloadUi {
    std::function<void()> beginBusy, endBusy;
    // The modal dialog over the listed names; nothing on Cancel.
    std::function<std::optional<DownloadChoice>(const std::vector<std::string>& names)> showDialog;
    // Save dialog starting at the file name; folder browser with its title. Empty = cancelled.
    std::function<std::string(const std::string& initialName)> chooseSavePath;
    std::function<std::string(const std::string& title)> chooseFolder;
    // One file begins (number from 1 of count), more of it arrived, the transfers are over.
    std::function<void(const std::string& name, int number, int count)> beginFile;
    std::function<void(uint64_t bytes)> fileProgress;
    // What the link is doing (waking, listing, retrying): shows the progress window too.
    std::function<void(const std::string& text)> showStage;
    std::function<void()> endProgress;
    // The user pressed Cancel in the progress window.
    std::function<bool()> cancelRequested;
    // The downloaded file through the document, then the view and the frame's commands.
    std::function<bool(const std::string& path)> openDownloaded;
    std::function<void()> enableRestart;
    // Defaults to the file system.
    std::function<bool(const std::string& path)> fileExists;
};

class DownloadCommand {
public:
    DownloadCommand(IInstrumentLink& link, IPrompt& prompt, DownloadUi ui);
    ~DownloadCommand();
    DownloadCommand(const DownloadCommand&) = delete;
    DownloadCommand& operator=(const DownloadCommand&) = delete;

    // The Download File command over the named port.
    void Run(const std::string& comPort);
    void DownloadOneFile(const std::string& comPort, const std::string& name);
    void DownloadAllFiles(const std::string& comPort, const std::vector<std::string>& list);

private:
    void ShowStage(LinkStage stage, int attempt, int attempts);
    bool Cancelled() const { return ui_.cancelRequested && ui_.cancelRequested(); }
    bool MayReplace(const std::string& path);
    bool Download(const std::string& comPort, const std::string& name, const std::string& path, int number, int count);

    IInstrumentLink& link_;
    IPrompt& prompt_;
    DownloadUi ui_;
    bool stageShown_ = false;
};

// The local name for an instrument file: the name itself, with any '/' made '_' so that a name
// from the instrument cannot reach outside the chosen folder.
std::string LocalFileName(const std::string& instrumentName);
// folder + '/' + the local name.
std::string PathInFolder(const std::string& folder, const std::string& instrumentName);

}  // namespace vexlan
