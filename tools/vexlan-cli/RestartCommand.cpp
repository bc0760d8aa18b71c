// vexlan-cli restart --port DEVICE: starts the instrument's program again.

#include "tools/vexlan-cli/InstrumentCliSupport.h"

namespace vexlan::cli {
namespace {

class RestartCommand : public InstrumentCommand {
protected:
    bool Use(CInstrumentSession& session, const std::string& port, CommandStreams&) override {
        return session.RestartInstrument(port);
    }
};

}  // namespace

void RegisterRestart(Dispatcher& dispatcher) {
    AddSubcommand<RestartCommand>(dispatcher, "restart", "Restart the instrument's program");
}

}  // namespace vexlan::cli
