#include "app/ComPortDevices.h"
#include "res/StringIds.h"

#include <cstdlib>

#include "app/FrameCommands.h"

namespace vexlan {

std::string setting::DeviceKey(const std::string& port) { return "Devices/" + port; }

ComPortDevices::ComPortDevices(ISettingsStore& store, Environment environment)
    : store_(store), environment_(std::move(environment)) {
    if (!environment_) environment_ = [](const char* name) -> const char* { return std::getenv(name); };
}

std::optional<std::string> ComPortDevices::StoredDevice(const std::string& port) const {
    if (!IsOfferedPort(port)) return std::nullopt;
    std::optional<std::string> device = store_.Read(setting::DeviceKey(port));
    if (!device || device->empty()) return std::nullopt;
    return device;
}

std::string ComPortDevices::OpenName(const std::string& port) const {
    std::optional<std::string> stored = StoredDevice(port);
    return stored ? *stored : port;
}

std::string ComPortDevices::DefaultDevice(const std::string& port) const {
    if (!IsOfferedPort(port)) return {};
#ifdef _WIN32
    return port;  // the system's own name of the device
#else
    const std::string number = port.substr(3);
    const char* overridden = environment_(("TARVIK_COM" + number).c_str());
    if (overridden && *overridden) return overridden;
    return "/dev/ttyS" + std::to_string(std::stoi(number) - 1);
#endif
}

std::string ComPortDevices::DeviceFor(const std::string& port) const {
    std::optional<std::string> stored = StoredDevice(port);
    return stored ? *stored : DefaultDevice(port);
}

bool ComPortDevices::SetStoredDevice(const std::string& port, const std::string& device) {
    if (!IsOfferedPort(port)) return false;
    return store_.Write(setting::DeviceKey(port), device);
}

}  // namespace vexlan

namespace vexlan {

void StoreDeviceEdits(ComPortDevices& devices, const std::vector<std::string>& entered, IPrompt& prompt) {
    const char* ports[] = {"COM1", "COM2", "COM3", "COM4"};
    for (size_t i = 0; i < entered.size() && i < 4; ++i) {
        if (entered[i] == devices.StoredDevice(ports[i]).value_or("")) continue;
        if (!devices.SetStoredDevice(ports[i], entered[i]))
            AskString(prompt, string_id::kMsgSettingsNotSaved, PromptIcon::Warning, PromptButtons::Ok);
    }
}

}  // namespace vexlan
