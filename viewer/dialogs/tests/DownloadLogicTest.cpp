// The Download File command and dialog choice without windows: a stand-in instrument, scripted
// answers and recorded hooks.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "dialogs/DownloadLogic.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

using namespace vexlan;

namespace {

struct FakeLink : IInstrumentLink {
    bool listOk = true;
    std::vector<std::string> files;
    std::set<std::string> failing;  // downloads of these names fail
    std::vector<std::string> ports;
    std::vector<std::pair<std::string, std::string>> downloads;  // name, path
    bool ListFiles(const std::string& port, std::vector<std::string>& list) override {
        ports.push_back(port);
        if (!listOk) return false;
        list.insert(list.end(), files.begin(), files.end());
        return true;
    }
    bool DownloadFile(const std::string& port, const std::string& name, const std::string& path,
                      const std::function<void(uint64_t)>& bytesSoFar) override {
        ports.push_back(port);
        downloads.emplace_back(name, path);
        if (failing.count(name)) return false;
        bytesSoFar(4096);
        bytesSoFar(20402);
        return true;
    }
    bool Restart(const std::string&) override { return true; }
    bool TestPort(const std::string&) override { return true; }
};

class DownloadCommandTest : public ::testing::Test {
protected:
    DownloadUi Ui() {
        DownloadUi ui;
        ui.beginBusy = [this] {
            ++busy;
            maxBusy = std::max(maxBusy, busy);
        };
        ui.endBusy = [this] { --busy; };
        ui.showDialog = [this](const std::vector<std::string>& names) {
            dialogNames = names;
            ++dialogs;
            return choice;
        };
        ui.chooseSavePath = [this](const std::string& initial) {
            saveInitial.push_back(initial);
            return savePath;
        };
        ui.chooseFolder = [this](const std::string& title) {
            folderTitles.push_back(title);
            return folder;
        };
        ui.beginFile = [this](const std::string& name, int n, int count) {
            begun.push_back(name + " " + std::to_string(n) + "/" + std::to_string(count));
        };
        ui.fileProgress = [this](uint64_t bytes) { lastBytes = bytes; };
        ui.endProgress = [this] { ++progressEnded; };
        ui.openDownloaded = [this](const std::string& path) {
            opened.push_back(path);
            return true;
        };
        ui.enableRestart = [this] { restartEnabled = true; };
        ui.fileExists = [this](const std::string& path) { return existing.count(path) > 0; };
        return ui;
    }
    std::vector<std::string> Asked() const {
        std::vector<std::string> texts;
        for (const auto& a : prompt.asked()) texts.push_back(a.text);
        return texts;
    }
    void Run(const std::string& port = "COM2") {
        DownloadCommand command(link, prompt, Ui());
        command.Run(port);
    }

    FakeLink link;
    ScriptedPrompt prompt;
    std::optional<DownloadChoice> choice;
    std::string savePath, folder;
    std::set<std::string> existing;
    int busy = 0, maxBusy = 0, dialogs = 0, progressEnded = 0;
    uint64_t lastBytes = 0;
    bool restartEnabled = false;
    std::vector<std::string> dialogNames, saveInitial, folderTitles, begun, opened;
};

TEST(DownloadDialogLogicTest, OffersTheNamesSortedAndNeedsASelectionForFile) {
    DownloadDialogLogic logic({"b.KED", "C.KED", "A.KED", "a.KED", "C.KED"});
    EXPECT_EQ(logic.ComboEntries(), (std::vector<std::string>{"A.KED", "a.KED", "b.KED", "C.KED", "C.KED"}));
    // The dialog keeps the instrument's order for "All".
    EXPECT_EQ(logic.fileList().front(), "b.KED");

    ScriptedPrompt prompt;
    for (int index : {-1, 5, 99}) {
        EXPECT_EQ(logic.OnFile(index, prompt), DownloadDialogLogic::Outcome::StayOpen) << index;
    }
    ASSERT_EQ(prompt.asked().size(), 3u);
    EXPECT_EQ(prompt.asked()[0].text, "Please select a file");
    EXPECT_EQ(prompt.asked()[0].icon, PromptIcon::Question);
    EXPECT_EQ(prompt.asked()[0].buttons, PromptButtons::Ok);
    EXPECT_TRUE(logic.selectedFile().empty());

    EXPECT_EQ(logic.OnFile(2, prompt), DownloadDialogLogic::Outcome::Ok);
    EXPECT_EQ(logic.selectedFile(), "b.KED");
    EXPECT_FALSE(logic.downloadAll());
    EXPECT_EQ(logic.OnAll(), DownloadDialogLogic::Outcome::Ok);
    EXPECT_TRUE(logic.downloadAll());

    // An empty list: "File" can only ask for a selection, "All" still closes.
    DownloadDialogLogic empty;
    EXPECT_TRUE(empty.ComboEntries().empty());
    EXPECT_EQ(empty.OnFile(0, prompt), DownloadDialogLogic::Outcome::StayOpen);
    EXPECT_EQ(empty.OnAll(), DownloadDialogLogic::Outcome::Ok);
}

TEST(DownloadNamesTest, InstrumentNamesStayInsideTheChosenFolder) {
    EXPECT_EQ(PathInFolder("/data/in", "RUN1.KED"), "/data/in/RUN1.KED");
    EXPECT_EQ(PathInFolder("/data/in/", "RUN1.KED"), "/data/in/RUN1.KED");
    EXPECT_EQ(PathInFolder("/", "RUN1.KED"), "/RUN1.KED");
    EXPECT_EQ(PathInFolder("/data", "../../etc/x.KED"), "/data/.._.._etc_x.KED");
    EXPECT_EQ(LocalFileName("/abs.KED"), "_abs.KED");
}

TEST_F(DownloadCommandTest, AFailedListingShowsNoDialogYetEnablesRestart) {
    link.listOk = false;
    Run("");
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kWillCommunicate)}));
    EXPECT_EQ(prompt.asked()[0].icon, PromptIcon::Information);
    EXPECT_TRUE(restartEnabled);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(link.ports, (std::vector<std::string>{""}));
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(maxBusy, 1);
}

TEST_F(DownloadCommandTest, CancellingTheDialogOrTheSaveDialogFetchesNothing) {
    link.files = {"B.KED", "A.KED"};
    Run();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(dialogNames, link.files);
    EXPECT_TRUE(link.downloads.empty());

    choice = DownloadChoice{false, "A.KED"};
    Run();
    EXPECT_EQ(saveInitial, (std::vector<std::string>{"A.KED"}));
    EXPECT_TRUE(link.downloads.empty());

    choice = DownloadChoice{true, ""};
    Run();
    EXPECT_EQ(folderTitles, (std::vector<std::string>{"Select the download destination: "}));
    EXPECT_TRUE(link.downloads.empty());
    EXPECT_EQ(busy, 0);
    // One listing per command, nothing more.
    EXPECT_EQ(link.ports.size(), 3u);
}

TEST_F(DownloadCommandTest, OneFileIsFetchedToTheChosenPathAndOpenedOnYes) {
    link.files = {"RUN7.KED"};
    choice = DownloadChoice{false, "RUN7.KED"};
    savePath = "/tmp/mine.ked";
    prompt.Queue(PromptAnswer::Ok);   // 62032
    prompt.Queue(PromptAnswer::Yes);  // 62034
    Run("COM3");
    EXPECT_EQ(link.downloads, (std::vector<std::pair<std::string, std::string>>{{"RUN7.KED", "/tmp/mine.ked"}}));
    EXPECT_EQ(link.ports, (std::vector<std::string>{"COM3", "COM3"}));
    EXPECT_EQ(begun, (std::vector<std::string>{"RUN7.KED 1/1"}));
    EXPECT_EQ(lastBytes, 20402u);
    EXPECT_EQ(progressEnded, 1);
    EXPECT_EQ(Asked(),
              (std::vector<std::string>{LoadString(string_id::kWillCommunicate), LoadString(string_id::kOpenNow)}));
    EXPECT_EQ(prompt.asked()[1].icon, PromptIcon::None);
    EXPECT_EQ(prompt.asked()[1].buttons, PromptButtons::YesNo);
    EXPECT_EQ(opened, (std::vector<std::string>{"/tmp/mine.ked"}));
    EXPECT_EQ(busy, 0);

    // No leaves the document alone; a failed download asks nothing.
    prompt.Clear();
    prompt.Queue(PromptAnswer::Ok);
    prompt.Queue(PromptAnswer::No);
    Run();
    EXPECT_EQ(opened.size(), 1u);
    link.failing = {"RUN7.KED"};
    prompt.Clear();
    Run();
    EXPECT_EQ(Asked(), (std::vector<std::string>{LoadString(string_id::kWillCommunicate)}));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_EQ(busy, 0);
}

TEST_F(DownloadCommandTest, AnExistingFileIsReplacedOnlyWhenTheUserAgrees) {
    link.files = {"RUN7.KED"};
    choice = DownloadChoice{false, "RUN7.KED"};
    savePath = "/tmp/edited.ked";
    existing = {savePath};
    prompt.Queue(PromptAnswer::Ok);
    prompt.Queue(PromptAnswer::No);
    Run();
    EXPECT_TRUE(link.downloads.empty());
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[1].text, "/tmp/edited.ked already exists.\n\nDo you want to replace it?");
    EXPECT_EQ(prompt.asked()[1].buttons, PromptButtons::YesNo);

    prompt.Clear();
    prompt.Queue(PromptAnswer::Ok);
    prompt.Queue(PromptAnswer::Yes);
    prompt.Queue(PromptAnswer::No);
    Run();
    EXPECT_EQ(link.downloads.size(), 1u);
    EXPECT_EQ(Asked().back(), LoadString(string_id::kOpenNow));
}

TEST_F(DownloadCommandTest, AllFetchesEveryListedNameInTheInstrumentsOrder) {
    link.files = {"Z.KED", "A.KED", "Z.KED", "BAD.KED", "M.KED", "OLD.KED"};
    link.failing = {"BAD.KED"};
    choice = DownloadChoice{true, ""};
    folder = "/data/in";
    existing = {"/data/in/Z.KED", "/data/in/OLD.KED"};
    prompt.Queue(PromptAnswer::Ok);   // 62032
    prompt.Queue(PromptAnswer::Yes);  // replace Z.KED: asked once for both entries
    prompt.Queue(PromptAnswer::No);   // keep OLD.KED
    Run();
    std::vector<std::string> names;
    for (const auto& [name, path] : link.downloads) {
        names.push_back(name);
        EXPECT_EQ(path, "/data/in/" + name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Z.KED", "A.KED", "Z.KED", "BAD.KED", "M.KED"}));
    EXPECT_EQ(begun, (std::vector<std::string>{"Z.KED 1/6", "A.KED 2/6", "Z.KED 3/6", "BAD.KED 4/6", "M.KED 5/6"}));
    ASSERT_EQ(prompt.asked().size(), 3u);
    EXPECT_NE(prompt.asked()[1].text.find("/data/in/Z.KED"), std::string::npos);
    EXPECT_NE(prompt.asked()[2].text.find("/data/in/OLD.KED"), std::string::npos);
    // Nothing is opened after "All".
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(progressEnded, 1);
}

TEST_F(DownloadCommandTest, AllOnAnInstrumentWithoutFilesFetchesNothing) {
    choice = DownloadChoice{true, ""};
    folder = "/data/in";
    Run();
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(dialogNames.empty());
    EXPECT_TRUE(link.downloads.empty());
    EXPECT_EQ(busy, 0);
}

}  // namespace
