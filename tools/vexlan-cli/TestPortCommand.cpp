// vexlan-cli test-port --port DEVICE: checks that the serial port can be opened.

#include "InstrumentCliSupport.h"

namespace vexlan::cli {
namespace {

class TestPortCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override { AddPortOption(app, port_); }

    int Run(CommandStreams& io) override {
        CInstrumentSession session;
        if (!session.TestPort(port_)) return FailWithSessionMessage(io, session);
        return kExitOk;
    }

private:
    std::string port_;
};

}  // namespace

void RegisterTestPort(Dispatcher& dispatcher) {
    AddSubcommand<TestPortCommand>(dispatcher, "test-port", "Check that a serial port opens");
}

}  // namespace vexlan::cli
