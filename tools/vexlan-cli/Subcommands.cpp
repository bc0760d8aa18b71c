// Every subcommand of vexlan-cli, in the order the help lists them. A new subcommand adds its
// registration function here and its source files to CMakeLists.txt.
#include "tools/vexlan-cli/Subcommand.h"

namespace vexlan::cli {

void RegisterInfo(Dispatcher& dispatcher);
void RegisterDecode(Dispatcher& dispatcher);
void RegisterCompute(Dispatcher& dispatcher);
void RegisterAnalyse(Dispatcher& dispatcher);
#ifdef VEXLAN_CLI_EXPORT
void RegisterExport(Dispatcher& dispatcher);
#endif
void RegisterInstrumentList(Dispatcher& dispatcher);
void RegisterDownload(Dispatcher& dispatcher);
void RegisterRestart(Dispatcher& dispatcher);
void RegisterTestPort(Dispatcher& dispatcher);
void RegisterReport(Dispatcher& dispatcher);
void RegisterSummary(Dispatcher& dispatcher);
void RegisterVelocity(Dispatcher& dispatcher);

void RegisterAllSubcommands(Dispatcher& dispatcher) {
    RegisterInfo(dispatcher);
    RegisterDecode(dispatcher);
    RegisterCompute(dispatcher);
    RegisterAnalyse(dispatcher);
#ifdef VEXLAN_CLI_EXPORT
    // The printed page and the graph picture need the Qt painter: built with the viewer.
    RegisterExport(dispatcher);
#endif
    RegisterInstrumentList(dispatcher);
    RegisterDownload(dispatcher);
    RegisterRestart(dispatcher);
    RegisterTestPort(dispatcher);
    RegisterReport(dispatcher);
    RegisterSummary(dispatcher);
    RegisterVelocity(dispatcher);
}

}  // namespace vexlan::cli
