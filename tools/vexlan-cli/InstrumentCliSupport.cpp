#include "InstrumentCliSupport.h"

#include "StringTable.h"

#include <ostream>

namespace vexlan::cli {

void AddPortOption(CLI::App& app, std::string& port) {
    app.add_option("--port", port, "Serial port: COM1 to COM4, or a device path such as /dev/ttyUSB0")
        ->required()
        ->check([](const std::string& value) -> std::string {
            if (value == "COM1" || value == "COM2" || value == "COM3" || value == "COM4") return "";
            if (value.find('/') != std::string::npos) return "";
            return "must be COM1 to COM4 or a device path";
        });
}

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
