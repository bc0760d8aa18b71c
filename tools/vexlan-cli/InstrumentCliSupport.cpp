#include "tools/vexlan-cli/InstrumentCliSupport.h"

#include "res/StringTable.h"

#include <ostream>

namespace vexlan::cli {

#ifdef _WIN32
namespace {

// Any of the system's port names: COM1 to COM256, or a name in the device namespace.
bool IsPortName(const std::string& value) {
    if (value.rfind("\\\\.\\", 0) == 0) return value.size() > 4;
    if (value.size() < 4 || value.size() > 6 || value.compare(0, 3, "COM") != 0 || value[3] == '0') return false;
    for (size_t i = 3; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9') return false;
    }
    return std::stoi(value.substr(3)) <= 256;
}

}  // namespace

void AddPortOption(CLI::App& app, std::string& port) {
    app.add_option("--port", port, "Serial port: COM1 to COM256")
        ->required()
        ->check(
            [](const std::string& value) -> std::string { return IsPortName(value) ? "" : "must be COM1 to COM256"; });
}
#else
void AddPortOption(CLI::App& app, std::string& port) {
    app.add_option("--port", port, "Serial port: COM1 to COM4, or a device path such as /dev/ttyUSB0")
        ->required()
        ->check([](const std::string& value) -> std::string {
            if (value == "COM1" || value == "COM2" || value == "COM3" || value == "COM4") return "";
            if (value.find('/') != std::string::npos) return "";
            return "must be COM1 to COM4 or a device path";
        });
}
#endif

int FailWithSessionMessage(CommandStreams& io, const CInstrumentSession& session) {
    const std::string text = LoadString(static_cast<int>(session.lastErrorId));
    io.err << (text.empty() ? "The operation with the instrument failed." : text) << '\n';
    return kExitFailure;
}

void InstrumentCommand::Configure(CLI::App& app) { AddPortOption(app, port_); }

int InstrumentCommand::Run(CommandStreams& io) {
    CInstrumentSession session;
    if (!Use(session, port_, io)) return FailWithSessionMessage(io, session);
    return kExitOk;
}

}  // namespace vexlan::cli
