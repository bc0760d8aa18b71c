// vexlan-cli download --port DEVICE [--all | NAME...] --out FOLDER [--quiet]: copies files of
// the instrument into a folder, each under its own name.

#include "InstrumentCliSupport.h"

#include <ostream>

namespace vexlan::cli {
namespace {

// A name from the instrument becomes a file name in the folder: nothing that leaves it.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

class DownloadCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override {
        AddPortOption(app, port_);
        auto* all = app.add_flag("--all", all_, "Every correlation file the instrument lists");
        auto* names = app.add_option("NAME", names_, "Files to copy, as the instrument lists them");
        all->excludes(names);
        app.add_option("--out", folder_, "Folder the files are written to")->required();
        app.add_flag("--quiet", quiet_, "No progress lines");
    }

    int Run(CommandStreams& io) override {
        if (!all_ && names_.empty()) {
            io.err << "vexlan-cli download: name the files to copy or give --all\n";
            return kExitUsage;
        }
        std::vector<std::string> names = names_;
        if (all_) {
            CInstrumentSession lister;
            if (!lister.ListFiles(port_, names)) return FailWithSessionMessage(io, lister);
        }
        for (const std::string& name : names) {
            if (!IsPlainFileName(name)) {
                io.err << "vexlan-cli download: \"" << name << "\" is not a plain file name\n";
                return kExitFailure;
            }
            const std::string path = folder_ + "/" + name;
            if (!quiet_) io.err << name << ": downloading to " << path << '\n';
            CInstrumentSession session;
            if (!quiet_) {
                session.onBlock = [&](int block, uint64_t bytes) {
                    io.err << name << ": block " << block << ", " << bytes << " bytes\n";
                };
            }
            if (!session.DownloadFile(port_, name, path)) return FailWithSessionMessage(io, session);
        }
        return kExitOk;
    }

private:
    std::string port_, folder_;
    std::vector<std::string> names_;
    bool all_ = false, quiet_ = false;
};

}  // namespace

void RegisterDownload(Dispatcher& dispatcher) {
    AddSubcommand<DownloadCommand>(dispatcher, "download", "Copy correlation files from the instrument");
}

}  // namespace vexlan::cli
