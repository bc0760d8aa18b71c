#pragma once
// What the instrument subcommands share: the --port option and the session's messages.

#include "instrument/CInstrumentSession.h"
#include "tools/vexlan-cli/Subcommand.h"

#include <string>

namespace vexlan::cli {

// Declares the required --port DEVICE option.
void AddPortOption(CLI::App& app, std::string& port);

// Prints the text of the session's last failure on the error stream; returns kExitFailure.
int FailWithSessionMessage(CommandStreams& io, const CInstrumentSession& session);

// A subcommand that takes --port DEVICE and does one thing with the instrument in one session.
class InstrumentCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override;
    int Run(CommandStreams& io) override;

protected:
    // Returns false when the session failed; the session's message is printed then.
    virtual bool Use(CInstrumentSession& session, const std::string& port, CommandStreams& io) = 0;

private:
    std::string port_;
};

}  // namespace vexlan::cli
