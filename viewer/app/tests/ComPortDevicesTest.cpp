// Which device each port name opens: the library's own mapping, a device stored in the settings,
// and the Port Devices edits with their message when the settings cannot be written.
#include <gtest/gtest.h>

#include <map>

#include "app/ComPortDevices.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

using namespace vexlan;

namespace {

struct MemoryStore : ISettingsStore {
    std::map<std::string, std::string> values;
    bool writable = true;
    std::optional<std::string> Read(const std::string& key) const override {
        auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Write(const std::string& key, const std::string& value) override {
        if (!writable) return false;
        values[key] = value;
        return true;
    }
};

TEST(ComPortDevicesTest, NamesFollowTheLibraryUnlessADeviceIsStored) {
    MemoryStore store;
    std::map<std::string, std::string> env = {{"TARVIK_COM3", "/dev/ttyACM0"}, {"TARVIK_COM4", ""}};
    ComPortDevices devices(store, [&](const char* name) -> const char* {
        auto it = env.find(name);
        return it == env.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(devices.DeviceFor("COM1"), "/dev/ttyS0");
    EXPECT_EQ(devices.DeviceFor("COM2"), "/dev/ttyS1");
    EXPECT_EQ(devices.DeviceFor("COM3"), "/dev/ttyACM0");
    EXPECT_EQ(devices.DeviceFor("COM4"), "/dev/ttyS3");  // an empty variable names nothing
    // Without a stored device the library gets the name and maps it itself.
    EXPECT_EQ(devices.OpenName("COM3"), "COM3");

    store.values["Devices/COM2"] = "/dev/ttyUSB0";
    store.values["Devices/COM3"] = "/dev/pts/7";
    store.values["Devices/COM4"] = "";
    EXPECT_EQ(devices.DeviceFor("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(devices.OpenName("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(devices.OpenName("COM3"), "/dev/pts/7");  // the stored choice wins
    EXPECT_EQ(devices.DefaultDevice("COM3"), "/dev/ttyACM0");
    EXPECT_EQ(devices.OpenName("COM4"), "COM4");
    EXPECT_FALSE(devices.StoredDevice("COM4"));

    // No port selected, or a name the menu does not offer, is passed on untouched and unopenable.
    store.values["Devices/"] = "/dev/ttyS0";
    store.values["Devices/com2"] = "/dev/ttyS0";
    EXPECT_EQ(devices.OpenName(""), "");
    EXPECT_EQ(devices.OpenName("com2"), "com2");
    EXPECT_EQ(devices.DeviceFor("COM5"), "");
    EXPECT_FALSE(devices.SetStoredDevice("COM5", "/dev/ttyS4"));
}

TEST(ComPortDevicesTest, EditsStoreWhatChangedAndReportEachFailedWrite) {
    MemoryStore store;
    store.values["Devices/COM1"] = "/dev/ttyUSB0";
    ComPortDevices devices(store, [](const char*) -> const char* { return nullptr; });
    ScriptedPrompt prompt;
    StoreDeviceEdits(devices, {"/dev/ttyUSB0", "/dev/ttyUSB1", "", ""}, prompt);
    EXPECT_TRUE(prompt.asked().empty());
    EXPECT_EQ(devices.DeviceFor("COM2"), "/dev/ttyUSB1");
    EXPECT_FALSE(store.values.count("Devices/COM3"));  // unchanged entries are not written

    // Clearing an entry returns the name to the library's mapping.
    StoreDeviceEdits(devices, {"", "/dev/ttyUSB1", "", ""}, prompt);
    EXPECT_EQ(devices.DeviceFor("COM1"), "/dev/ttyS0");

    store.writable = false;
    StoreDeviceEdits(devices, {"/a", "/b", "", "/d"}, prompt);
    ASSERT_EQ(prompt.asked().size(), 3u);
    for (const auto& asked : prompt.asked()) {
        EXPECT_EQ(asked.text, LoadString(string_id::kMsgSettingsNotSaved));
        EXPECT_EQ(asked.icon, PromptIcon::Warning);
    }
    EXPECT_EQ(devices.DeviceFor("COM2"), "/dev/ttyUSB1");
}

}  // namespace
