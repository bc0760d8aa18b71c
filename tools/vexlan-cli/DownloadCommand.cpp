// vexlan-cli download --port DEVICE [--all | NAME...] --out FOLDER [--quiet]: copies files of
// the instrument into a folder, each under its own name.

#include "tools/vexlan-cli/InstrumentCliSupport.h"

#include <ostream>

namespace vexlan::cli {
namespace {

// A name from the instrument becomes a file name in the folder: nothing that leaves it.
bool IsPlainFileName(const std::string& name) {
#ifdef _WIN32
    const char* kSeparators = "/\\:";  // a drive letter leaves the folder too
#else
    const char* kSeparators = "/";
#endif
    return !name.empty() && name != "." && name != ".." && name.find_first_of(kSeparators) == std::string::npos;
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
            if (!quiet_) lister.onStage = [&](SessionStage stage) { ReportStage(io, "", stage); };
            if (!lister.ListFiles(port_, names)) return FailWithSessionMessage(io, lister);
        }
        // Like the viewer, a failed file does not stop the others; every failure is named again
        // at the end so none scrolls away unseen.
        std::vector<std::string> failed;
        for (const std::string& name : names) {
            if (!IsPlainFileName(name)) {
                io.err << "vexlan-cli download: \"" << name << "\" is not a plain file name\n";
                failed.push_back(name);
                continue;
            }
            if (!Download(name, io, &name - names.data() + 1, names.size())) failed.push_back(name);
        }
        if (failed.empty()) return kExitOk;
        io.err << "vexlan-cli download: " << failed.size() << " of " << names.size() << " files failed:";
        for (const std::string& name : failed) io.err << ' ' << name;
        io.err << '\n';
        return kExitFailure;
    }

private:
    static void ReportStage(CommandStreams& io, const std::string& name, SessionStage stage) {
        const std::string prefix = name.empty() ? "" : name + ": ";
        if (stage == SessionStage::Waking) io.err << prefix << "waking the instrument\n";
        if (stage == SessionStage::Listing) io.err << prefix << "listing the files\n";
    }

    bool Download(const std::string& name, CommandStreams& io, long number, size_t count) {
        const std::string path = folder_ + "/" + name;
        if (!quiet_) io.err << name << ": file " << number << " of " << count << ", downloading to " << path << '\n';
        CInstrumentSession session;
        if (!quiet_) {
            session.onStage = [&](SessionStage stage) { ReportStage(io, name, stage); };
            session.onBlock = [&](int block, uint64_t bytes) {
                io.err << name << ": block " << block << ", " << bytes << " bytes\n";
            };
            session.onRetry = [&](int attempt, int attempts) {
                io.err << name << ": retrying (" << attempt << " of " << attempts << ")\n";
            };
        }
        if (session.DownloadFile(port_, name, path)) return true;
        io.err << name << ": ";
        FailWithSessionMessage(io, session);
        return false;
    }

    std::string port_, folder_;
    std::vector<std::string> names_;
    bool all_ = false, quiet_ = false;
};

}  // namespace

void RegisterDownload(Dispatcher& dispatcher) {
    AddSubcommand<DownloadCommand>(dispatcher, "download", "Copy correlation files from the instrument");
}

}  // namespace vexlan::cli
