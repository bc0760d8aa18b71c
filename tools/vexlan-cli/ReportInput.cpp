#include "tools/vexlan-cli/ReportInput.h"
#include "res/StringIds.h"

#include <memory>
#include <sstream>

#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/MethodDocument.h"
#include "res/StringTable.h"
#include "tools/vexlan-cli/CliSupport.h"
#include "view/print/ReportFromDocument.h"
#include "view/Units.h"

namespace vexlan::cli {

void ReportOptions::Configure(CLI::App& app) {
    app.add_option("FILE", files, "Correlation files (.ked); each is done even when another fails")->required();
    app.add_option("--units", units, "Length units of the report: metric or imperial")
        ->check(CLI::IsMember({"metric", "imperial"}));
    app.add_option("--time", time, "Time units of the report: s or ms")->check(CLI::IsMember({"s", "ms"}));
    app.add_option("--cursor", cursor, "Graph column 0..619 to place the cursor on, as a click would")
        ->check(CLI::Range(0, kGraphWidth - 1));
    AddMethodOption(app, method);
}

int ReportOptions::lengthUnit() const { return units == "imperial" ? kImperial : kMetric; }
int ReportOptions::timeUnit() const { return time == "ms" ? kMilliseconds : kSeconds; }

bool LoadReport(const std::string& path, const ReportOptions& options, CommandStreams& io, LoadedReport& out) {
    ScriptedPrompt prompt;
    auto doc = std::make_unique<CVexlanDoc>(prompt);  // large: kept off the stack
    // In a batch the message alone would not say which file it is about.
    std::ostringstream why;
    CommandStreams quiet{io.out, why};
    if (!ReadKedFile(path, doc->record(), quiet)) {
        io.err << path << ": " << why.str();
        return false;
    }
    analysis::CorrelationMethod method = analysis::CorrelationMethod::Basic;
    analysis::ParseMethodKey(options.method, method);
    const analysis::AnalysisResult analysed = analysis::RecomputeWithMethod(*doc, method);
    if (doc->computeProblem() != ComputeProblem::None) {
        Fail(io, "cannot recompute " + path + ": " + DescribeComputeProblem(doc->computeProblem()));
        return false;
    }
    if (!analysed.finite) {
        Fail(io, "cannot analyse " + path + ": " + LoadString(string_id::kMsgNotAnalysable));
        return false;
    }
    if (options.cursor) doc->MoveCursor(*options.cursor);
    out.values = ReportValuesFromDocument(*doc);
    out.values.methodLine = analysis::MethodReportLine(analysed);
    // The form's "FileName" box shows the name without its folder.
    const std::size_t slash = path.find_last_of('/');
    out.values.fileName = slash == std::string::npos ? path : path.substr(slash + 1);
    out.form = FormTextsFor(out.values, options.lengthUnit(), options.timeUnit());
    out.totalTravelTime = doc->totalTravelTime();
    return true;
}

bool ForEachLoadedReport(const ReportOptions& options, CommandStreams& io,
                         const std::function<void(const std::string& path, const LoadedReport& report)>& use) {
    bool allLoaded = true;
    for (const std::string& path : options.files) {
        LoadedReport report;
        if (LoadReport(path, options, io, report))
            use(path, report);
        else
            allLoaded = false;
    }
    return allLoaded;
}

}  // namespace vexlan::cli
