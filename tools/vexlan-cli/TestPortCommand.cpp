// vexlan-cli test-port --port DEVICE: checks that the serial port can be opened.

#include "tools/vexlan-cli/InstrumentCliSupport.h"

namespace vexlan::cli {
namespace {

class TestPortCommand : public InstrumentCommand {
protected:
    bool Use(CInstrumentSession& session, const std::string& port, CommandStreams&) override {
        return session.TestPort(port);
    }
};

}  // namespace

void RegisterTestPort(Dispatcher& dispatcher) {
    AddSubcommand<TestPortCommand>(dispatcher, "test-port", "Check that a serial port opens");
}

}  // namespace vexlan::cli
