// vexlan-cli restart --port DEVICE: starts the instrument's program again.

#include "InstrumentCliSupport.h"

namespace vexlan::cli {
namespace {

class RestartCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override { AddPortOption(app, port_); }

    int Run(CommandStreams& io) override {
        CInstrumentSession session;
        if (!session.RestartInstrument(port_)) return FailWithSessionMessage(io, session);
        return kExitOk;
    }

private:
    std::string port_;
};

}  // namespace

void RegisterRestart(Dispatcher& dispatcher) {
    AddSubcommand<RestartCommand>(dispatcher, "restart", "Restart the instrument's program");
}

}  // namespace vexlan::cli
