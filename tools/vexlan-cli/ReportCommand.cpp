// vexlan-cli report FILE... [--units metric|imperial] [--time s|ms] [--cursor COLUMN]: the text
// report that Copy Text puts on the clipboard, one per file.

#include <ostream>

#include "tools/vexlan-cli/ReportInput.h"
#include "view/print/ReportText.h"

namespace vexlan::cli {

namespace {

class ReportCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override { options_.Configure(app); }

    int Run(CommandStreams& io) override {
        bool first = true;
        const bool allLoaded = ForEachLoadedReport(options_, io, [&](const std::string&, const LoadedReport& report) {
            // The report itself ends without a line feed; one closes it here, and a blank line
            // stands between the reports of several files.
            if (!first) io.out << '\n';
            io.out << BuildReportText(report.form, report.values) << '\n';
            first = false;
        });
        return allLoaded ? kExitOk : kExitFailure;
    }

private:
    ReportOptions options_;
};

}  // namespace

void RegisterReport(Dispatcher& dispatcher) {
    AddSubcommand<ReportCommand>(dispatcher, "report", "Print the text report of each file, as Copy Text gives it");
}

}  // namespace vexlan::cli
