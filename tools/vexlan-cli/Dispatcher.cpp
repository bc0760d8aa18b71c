#include <algorithm>
#include <ostream>

#include "res/StringTable.h"
#include "res/StringIds.h"
#include "tools/vexlan-cli/Subcommand.h"
#include "VexlanVersion.h"

namespace vexlan::cli {

void Dispatcher::Add(std::string name, std::string description, Factory factory) {
    entries_.push_back(Entry{std::move(name), std::move(description), std::move(factory)});
}

int Dispatcher::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) const {
    // CLI11 would take an unknown name for a missing subcommand and say so, which misleads.
    if (!args.empty() && !args.front().empty() && args.front().front() != '-' &&
        std::none_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == args.front(); })) {
        const std::string text = FormatString(string_id::kMsgUnknownSubcommand, args.front().c_str());
        err << "vexlan-cli: " << text << "\nRun with --help for more information.\n";
        return kExitUsage;
    }

    CLI::App app{"Reads, decodes and recomputes correlation files (.ked) from the command line."};
    app.name("vexlan-cli");
    app.require_subcommand(1, 1);
    app.set_version_flag("--version", "vexlan-cli " VEXLAN_VERSION);
    // Only --options, on every system: "/path/file.ked" is a file, not a Windows-style option.
    app.allow_windows_style_options(false);

    std::vector<std::unique_ptr<Subcommand>> commands;
    std::vector<CLI::App*> parsers;
    for (const Entry& e : entries_) {
        commands.push_back(e.factory());
        parsers.push_back(app.add_subcommand(e.name, e.description));
        commands.back()->Configure(*parsers.back());
    }

    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }

    CommandStreams io{out, err};
    for (std::size_t i = 0; i < parsers.size(); ++i)
        if (parsers[i]->parsed()) return commands[i]->Run(io);
    return kExitUsage;
}

int RunVexlanCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Dispatcher dispatcher;
    RegisterAllSubcommands(dispatcher);
    return dispatcher.Run(args, out, err);
}

}  // namespace vexlan::cli
