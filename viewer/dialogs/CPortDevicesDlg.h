#pragma once
// Options > Change COM Port > Port Devices...: the serial device behind each port name. An empty
// entry gives the name back its default, shown greyed in the box.

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace vexlan {

struct PortDeviceRow {
    std::string port;           // "COM1"
    std::string stored;         // the device chosen before, or empty
    std::string defaultDevice;  // what the name opens without a choice
};

// The entries as typed (trimmed), one per row in order; nothing when the user cancels.
std::optional<std::vector<std::string>> RunPortDevicesDialog(QWidget* parent, const std::vector<PortDeviceRow>& rows);

}  // namespace vexlan
