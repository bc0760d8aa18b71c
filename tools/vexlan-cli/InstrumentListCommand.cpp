// vexlan-cli instrument-list --port DEVICE: the names of the instrument's correlation files.

#include "tools/vexlan-cli/InstrumentCliSupport.h"

#include <ostream>

namespace vexlan::cli {
namespace {

class InstrumentListCommand : public InstrumentCommand {
protected:
    bool Use(CInstrumentSession& session, const std::string& port, CommandStreams& io) override {
        std::vector<std::string> names;
        if (!session.ListFiles(port, names)) return false;
        for (const std::string& name : names) io.out << name << '\n';
        return true;
    }
};

}  // namespace

void RegisterInstrumentList(Dispatcher& dispatcher) {
    AddSubcommand<InstrumentListCommand>(dispatcher, "instrument-list", "List the correlation files on the instrument");
}

}  // namespace vexlan::cli
