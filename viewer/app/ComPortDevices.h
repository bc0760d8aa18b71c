#pragma once
// Which serial device each of the menu's port names opens. Without a stored choice a name goes to
// the link library as it is, which maps "COM<n>" to the device in TARVIK_COM<n> or else to
// /dev/ttyS<n-1> (on Windows the name is the device); a device stored under "Devices/COM<n>" in the settings takes its place (a USB
// serial adapter, say, or the instrument simulator's line).

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/AppSettings.h"

namespace vexlan {

namespace setting {
// "Devices/COM1" … "Devices/COM4"
std::string DeviceKey(const std::string& port);
}  // namespace setting

class ComPortDevices {
public:
    using Environment = std::function<const char*(const char* name)>;
    explicit ComPortDevices(ISettingsStore& store, Environment environment = {});

    // What to hand the link library for the port: the stored device, or the name itself.
    std::string OpenName(const std::string& port) const;
    // The device the port opens, for showing: the stored one, or the library's mapping.
    std::string DeviceFor(const std::string& port) const;
    // The library's own mapping of the name, as it stands without a stored device.
    std::string DefaultDevice(const std::string& port) const;
    // The stored device, if one is stored (an empty entry stores none).
    std::optional<std::string> StoredDevice(const std::string& port) const;
    // Stores a device for the port; an empty one returns the port to the library's mapping.
    // False when the settings could not be written.
    bool SetStoredDevice(const std::string& port, const std::string& device);

private:
    ISettingsStore& store_;
    Environment environment_;
};

}  // namespace vexlan

namespace vexlan {

// The devices entered for COM1 … COM4 in order: each that differs from what is stored is
// written; every write that fails shows message 62037 and the others are still tried.
void StoreDeviceEdits(ComPortDevices& devices, const std::vector<std::string>& entered, IPrompt& prompt);

}  // namespace vexlan
