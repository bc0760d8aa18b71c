// vexlan-cli instrument-list --port DEVICE: the names of the instrument's correlation files.

#include "InstrumentCliSupport.h"

#include <ostream>

namespace vexlan::cli {
namespace {

class InstrumentListCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override { AddPortOption(app, port_); }

    int Run(CommandStreams& io) override {
        CInstrumentSession session;
        std::vector<std::string> names;
        if (!session.ListFiles(port_, names)) return FailWithSessionMessage(io, session);
        for (const std::string& name : names) io.out << name << '\n';
        return kExitOk;
    }

private:
    std::string port_;
};

}  // namespace

void RegisterInstrumentList(Dispatcher& dispatcher) {
    AddSubcommand<InstrumentListCommand>(dispatcher, "instrument-list", "List the correlation files on the instrument");
}

}  // namespace vexlan::cli
