#include "dialogs/DownloadLogic.h"
#include "res/StringIds.h"

#include <algorithm>
#include <map>
#include <sys/stat.h>

#include "res/StringTable.h"

namespace vexlan {
namespace {

std::string Folded(const std::string& text) {
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

// Letter case aside first, then byte order, so that equal-looking names keep a fixed order.
bool SortsBefore(const std::string& a, const std::string& b) {
    const std::string fa = Folded(a), fb = Folded(b);
    return fa != fb ? fa < fb : a < b;
}

bool ExistsOnDisk(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

template <typename F, typename... Args>
void Call(const F& f, Args&&... args) {
    if (f) f(std::forward<Args>(args)...);
}

}  // namespace

DownloadDialogLogic::DownloadDialogLogic(std::vector<std::string> fileList) : fileList_(std::move(fileList)) {}

void DownloadDialogLogic::SetFileList(std::vector<std::string> fileList) {
    fileList_ = std::move(fileList);
    selectedFile_.clear();
    downloadAll_ = false;
}

std::vector<std::string> DownloadDialogLogic::ComboEntries() const {
    std::vector<std::string> entries = fileList_;
    std::stable_sort(entries.begin(), entries.end(), SortsBefore);
    return entries;
}

DownloadDialogLogic::Outcome DownloadDialogLogic::OnFile(int selectedIndex, IPrompt& prompt) {
    const std::vector<std::string> entries = ComboEntries();
    if (selectedIndex < 0 || selectedIndex >= static_cast<int>(entries.size())) {
        AskString(prompt, string_id::kSelectAFile, PromptIcon::Question, PromptButtons::Ok);
        return Outcome::StayOpen;
    }
    selectedFile_ = entries[static_cast<size_t>(selectedIndex)];
    downloadAll_ = false;
    return Outcome::Ok;
}

DownloadDialogLogic::Outcome DownloadDialogLogic::OnAll() {
    downloadAll_ = true;
    return Outcome::Ok;
}

DownloadCommand::DownloadCommand(IInstrumentLink& link, IPrompt& prompt, DownloadUi ui)
    : link_(link), prompt_(prompt), ui_(std::move(ui)) {
    if (!ui_.fileExists) ui_.fileExists = ExistsOnDisk;
    LinkProgress progress;
    progress.stage = [this](LinkStage stage, int attempt, int attempts) { ShowStage(stage, attempt, attempts); };
    progress.cancelRequested = [this] { return Cancelled(); };
    link_.SetProgress(std::move(progress));
}

DownloadCommand::~DownloadCommand() { link_.SetProgress({}); }

void DownloadCommand::ShowStage(LinkStage stage, int attempt, int attempts) {
    stageShown_ = stageShown_ || stage != LinkStage::Reading;
    switch (stage) {
    case LinkStage::Waking: Call(ui_.showStage, LoadStdString(string_id::kWaking)); break;
    case LinkStage::Listing: Call(ui_.showStage, LoadStdString(string_id::kListing)); break;
    case LinkStage::Reading: Call(ui_.fileProgress, uint64_t{0}); break;
    case LinkStage::Retrying: {
        const std::string text = FormatString(string_id::kRetrying, attempt, attempts);
        Call(ui_.showStage, std::string(text));
        break;
    }
    }
}

void DownloadCommand::Run(const std::string& comPort) {
    AskString(prompt_, string_id::kWillCommunicate, PromptIcon::Information, PromptButtons::Ok);
    Call(ui_.beginBusy);
    // From here on the instrument may need restarting, whatever the listing gives.
    Call(ui_.enableRestart);
    std::vector<std::string> list;
    const bool listed = link_.ListFiles(comPort, list);
    if (stageShown_) Call(ui_.endProgress);  // the listing's own progress, before the dialog
    Call(ui_.endBusy);
    if (!listed) return;
    if (!ui_.showDialog) return;
    const std::optional<DownloadChoice> choice = ui_.showDialog(list);
    if (!choice) return;
    if (choice->downloadAll) {
        DownloadAllFiles(comPort, list);
    } else {
        DownloadOneFile(comPort, choice->selectedFile);
    }
}

void DownloadCommand::DownloadOneFile(const std::string& comPort, const std::string& name) {
    const std::string path = ui_.chooseSavePath ? ui_.chooseSavePath(LocalFileName(name)) : std::string();
    if (path.empty()) return;
    if (ui_.fileExists(path) && !MayReplace(path)) return;
    Call(ui_.beginBusy);
    const bool downloaded = Download(comPort, name, path, 1, 1);
    Call(ui_.endProgress);
    if (downloaded &&
        AskString(prompt_, string_id::kOpenNow, PromptIcon::None, PromptButtons::YesNo) == PromptAnswer::Yes &&
        ui_.openDownloaded) {
        ui_.openDownloaded(path);
    }
    Call(ui_.endBusy);
}

void DownloadCommand::DownloadAllFiles(const std::string& comPort, const std::vector<std::string>& list) {
    Call(ui_.beginBusy);
    const std::string folder =
        ui_.chooseFolder ? ui_.chooseFolder(LoadStdString(string_id::kChooseDestination)) : std::string();
    if (!folder.empty()) {
        // One answer per path: a name listed twice is fetched twice without asking twice.
        std::map<std::string, bool> mayWrite;
        const int count = static_cast<int>(list.size());
        for (int i = 0; i < count; ++i) {
            const std::string path = PathInFolder(folder, list[static_cast<size_t>(i)]);
            auto decided = mayWrite.find(path);
            if (decided == mayWrite.end())
                decided = mayWrite.emplace(path, !ui_.fileExists(path) || MayReplace(path)).first;
            if (!decided->second) continue;
            // A failure has shown its message; the next file is still tried. Cancel ends them all.
            if (!Download(comPort, list[static_cast<size_t>(i)], path, i + 1, count) && Cancelled()) break;
        }
        Call(ui_.endProgress);
    }
    Call(ui_.endBusy);
}

bool DownloadCommand::MayReplace(const std::string& path) {
    const std::string text = FormatString(string_id::kReplaceFile, path.c_str());
    return prompt_.Ask(text, PromptIcon::Question, PromptButtons::YesNo) == PromptAnswer::Yes;
}

bool DownloadCommand::Download(const std::string& comPort, const std::string& name, const std::string& path, int number,
                               int count) {
    Call(ui_.beginFile, name, number, count);
    return link_.DownloadFile(comPort, name, path, [this](uint64_t bytes) { Call(ui_.fileProgress, bytes); });
}

std::string LocalFileName(const std::string& instrumentName) {
    std::string name = instrumentName;
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

std::string PathInFolder(const std::string& folder, const std::string& instrumentName) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    return path + LocalFileName(instrumentName);
}

}  // namespace vexlan
