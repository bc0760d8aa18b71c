// vexlan-cli summary PATH... [--csv|--json] [--method ...]: one row per correlation file named
// or found under the named folders, for scanning a day's results at once.

#include <string>
#include <vector>

#include "tools/vexlan-cli/CliSupport.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "tools/vexlan-cli/SummaryTable.h"

namespace vexlan::cli {

namespace {

class SummaryCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override {
        app.add_option("PATH", paths_, "Correlation files (.ked) and folders to search for them")->required();
        CLI::Option* csv =
            app.add_flag("--csv", csv_, "One CSV line per file (RFC 4180), with a header line (the default)");
        app.add_flag("--json", json_, "A JSON array with one object per file")->excludes(csv);
        AddMethodOption(app, method_);
    }

    int Run(CommandStreams& io) override {
        analysis::CorrelationMethod method = analysis::CorrelationMethod::Basic;
        analysis::ParseMethodKey(method_, method);
        const std::vector<std::string> files = CollectKedFiles(paths_);
        if (files.empty()) {
            std::string named;
            for (const std::string& p : paths_) named += (named.empty() ? "" : ", ") + p;
            const std::string text = FormatString(string_id::kMsgNoKedFiles, named.c_str());
            return Fail(io, text);
        }
        std::vector<SummaryRow> rows;
        rows.reserve(files.size());
        bool failed = false;
        for (const std::string& f : files) {
            rows.push_back(SummariseFile(f, method));
            failed = failed || !rows.back().error.empty();
        }
        if (json_)
            PrintJson(io, SummaryJson(rows));
        else
            WriteSummaryCsv(io.out, rows);
        return failed ? kExitFailure : kExitOk;
    }

private:
    std::vector<std::string> paths_;
    bool csv_ = false;
    bool json_ = false;
    std::string method_ = "basic";
};

}  // namespace

void RegisterSummary(Dispatcher& dispatcher) {
    AddSubcommand<SummaryCommand>(dispatcher, "summary",
                                  "One row per correlation file named or found in the folders: record, delay, "
                                  "distances, quality and flags, as CSV or JSON");
}

}  // namespace vexlan::cli
