#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/AppSettings.h"
#include "app/FrameCommands.h"

using namespace vexlan;

namespace {

class MemoryStore : public ISettingsStore {
public:
    std::map<std::string, std::string> values;
    std::set<std::string> failingKeys;
    std::vector<std::string> writes;

    std::optional<std::string> Read(const std::string& key) const override {
        auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string& key, const std::string& value) override {
        writes.push_back(key);
        if (failingKeys.count(key)) return false;
        values[key] = value;
        return true;
    }
};

}  // namespace

TEST(CommandEnabling, FileCommandsWaitForALoadAndRestartForTheDownload) {
    CommandEnabling e;
    for (int id : {cmd::kSave, cmd::kSaveAs, cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup, cmd::kCopyGraph,
                   cmd::kCopyText, cmd::kRestart})
        EXPECT_FALSE(e.IsEnabled(id)) << id;
    for (int id :
         {cmd::kOpen, cmd::kDownloadFile, cmd::kFileInformation, cmd::kCom1, cmd::kCom4, cmd::kAbout, cmd::kExit})
        EXPECT_TRUE(e.IsEnabled(id)) << id;
    e.EnableFileCommands();
    for (int id :
         {cmd::kSave, cmd::kSaveAs, cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup, cmd::kCopyGraph, cmd::kCopyText})
        EXPECT_TRUE(e.IsEnabled(id)) << id;
    EXPECT_FALSE(e.IsEnabled(cmd::kRestart));
    e.Clear();
    EXPECT_FALSE(e.IsEnabled(cmd::kSave));
}

TEST(FrameMenu, EveryCommandAppearsOnceAndTheToolBarUsesMenuCommands) {
    int count = 0;
    const MenuEntry* menu = MainMenu(count);
    std::set<int> ids;
    for (int i = 0; i < count; ++i) {
        if (menu[i].id == cmd::kSeparator) continue;
        EXPECT_TRUE(ids.insert(menu[i].id).second) << menu[i].id;
    }
    EXPECT_EQ(ids.size(), 27u);  // with Options > Measure Velocity
    int buttons = 0;
    const int* bar = ToolBarButtons(buttons);
    for (int i = 0; i < buttons; ++i) {
        if (bar[i] != cmd::kSeparator) {
            EXPECT_TRUE(ids.count(bar[i])) << bar[i];
        }
    }
}

TEST(Ports, OnlyTheFourExactNamesAreOffered) {
    EXPECT_EQ(PortCommandId("COM1"), cmd::kCom1);
    EXPECT_EQ(PortCommandId("COM4"), cmd::kCom4);
    for (const char* bad : {"com1", "COM5", "COM0", "", "COM1 ", "/dev/ttyS0"}) EXPECT_FALSE(IsOfferedPort(bad)) << bad;
    EXPECT_STREQ(PortName(cmd::kCom3), "COM3");
    EXPECT_EQ(PortName(cmd::kSave), nullptr);
}

TEST(Settings, MissingOrDamagedEntriesFallBackToTheDefaults) {
    MemoryStore store;
    EXPECT_EQ(ReadUnitSetting(store, setting::kLength), 0);
    EXPECT_EQ(ReadComPortSetting(store), "COM1");
    for (const char* bad : {"", "one", "1x", " 1", "99999999999999999999"}) {
        store.values[setting::kTime] = bad;
        EXPECT_EQ(ReadUnitSetting(store, setting::kTime), 0) << bad;
    }
    store.values[setting::kTime] = "1";
    EXPECT_EQ(ReadUnitSetting(store, setting::kTime), 1);
    store.values[setting::kLength] = "7";  // kept as stored: the view decides what 7 means
    EXPECT_EQ(ReadUnitSetting(store, setting::kLength), 7);
    store.values[setting::kComPort] = "";
    EXPECT_EQ(ReadComPortSetting(store), "");
}

TEST(Settings, EveryFailedWriteIsReportedAndTheOthersStillHappen) {
    MemoryStore store;
    ScriptedPrompt prompt;
    store.failingKeys = {setting::kLength, setting::kComPort};
    WriteSettings(store, prompt, 1, 1, "COM2");
    EXPECT_EQ(store.writes.size(), 3u);
    EXPECT_EQ(store.values[setting::kTime], "1");
    ASSERT_EQ(prompt.asked().size(), 2u);
    EXPECT_EQ(prompt.asked()[0].text, "Could not save current settings to the registry");
    EXPECT_EQ(prompt.asked()[0].icon, PromptIcon::Warning);

    store.failingKeys.clear();
    prompt.Clear();
    WriteSettings(store, prompt, 0, 1, "");
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(ReadUnitSetting(store, setting::kLength), 0);
    EXPECT_EQ(ReadComPortSetting(store), "");
}

TEST(MainWindowPlacement, CentredWithTruncationAndAWarningBelow800x600) {
    MainWindowPlacement p = PlaceMainWindow(1024, 768);
    EXPECT_EQ(p.x, 112);
    EXPECT_EQ(p.y, 84);
    EXPECT_FALSE(p.screenTooSmall);
    p = PlaceMainWindow(801, 600);
    EXPECT_EQ(p.x, 0);
    EXPECT_FALSE(p.screenTooSmall);
    // Toward zero: (799 - 800) / 2 is 0, not -1.
    p = PlaceMainWindow(799, 601);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_TRUE(p.screenTooSmall);
    p = PlaceMainWindow(640, 480);
    EXPECT_EQ(p.x, -80);
    EXPECT_EQ(p.y, -60);
    EXPECT_TRUE(p.screenTooSmall);
    EXPECT_TRUE(PlaceMainWindow(800, 599).screenTooSmall);
}
