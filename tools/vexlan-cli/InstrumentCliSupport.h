#pragma once
// What the instrument subcommands share: the --port option and the session's messages.

#include "CInstrumentSession.h"
#include "Subcommand.h"

#include <string>

namespace vexlan::cli {

// Declares the required --port DEVICE option.
void AddPortOption(CLI::App& app, std::string& port);

// Prints the text of the session's last failure on the error stream; returns kExitFailure.
int FailWithSessionMessage(CommandStreams& io, const CInstrumentSession& session);

}  // namespace vexlan::cli
