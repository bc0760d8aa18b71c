#pragma once
// The vexlan-cli subcommand interface. Each subcommand lives in its own source file, which
// defines one registration function `void vexlan::cli::Register<Name>(Dispatcher&)`;
// Subcommands.cpp calls them all, in the order the help lists them.

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace vexlan::cli {

// Exit codes shared by every subcommand.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the operation failed; its message went to the error stream
constexpr int kExitUsage = 2;    // wrong arguments

struct CommandStreams {
    std::ostream& out;
    std::ostream& err;
};

class Subcommand {
public:
    virtual ~Subcommand() = default;
    // Declares the subcommand's arguments on its parser, bound to members of this object.
    virtual void Configure(CLI::App& app) = 0;
    // Runs once the arguments are parsed; returns one of the exit codes above.
    virtual int Run(CommandStreams& io) = 0;
};

class Dispatcher {
public:
    using Factory = std::function<std::unique_ptr<Subcommand>()>;

    // A fresh subcommand object is made for every run, so argument members start clean.
    void Add(std::string name, std::string description, Factory factory);

    // Parses args (without the program name) and runs the chosen subcommand.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) const;

private:
    struct Entry {
        std::string name;
        std::string description;
        Factory factory;
    };
    std::vector<Entry> entries_;
};

// Convenience for the registration functions.
template <typename T>
void AddSubcommand(Dispatcher& dispatcher, std::string name, std::string description) {
    dispatcher.Add(std::move(name), std::move(description), [] { return std::make_unique<T>(); });
}

// Calls every registration function the build knows of (generated file).
void RegisterAllSubcommands(Dispatcher& dispatcher);

// The whole tool in-process: registers the subcommands and runs args.
int RunVexlanCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vexlan::cli
