// vexlan-cli compute FILE [--cursor COLUMN]: the recomputed correlation, as the viewer shows it.

#include <memory>
#include <optional>
#include <string>

#include "res/StringIds.h"
#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/MethodDocument.h"
#include "res/StringTable.h"
#include "tools/vexlan-cli/CliSupport.h"
#include "correlation/Velocity.h"

namespace vexlan::cli {

namespace {

template <typename T>
Json Values(const T* values, int count) {
    Json list = Json::array();
    for (int i = 0; i < count; ++i) list.push_back(values[i]);
    return list;
}

// Where the leak may lie, given one graph column of delay and the velocity spread of the pipe's
// materials; null when the velocity list cannot be read.
Json DistanceInterval(CVexlanDoc& doc) {
    velocity::MaterialList list;
    std::string error;
    if (!velocity::LoadMaterialList(velocity::DefaultMaterialListPath(), list, error)) return nullptr;
    doc.materials().LoadMaterialTables();
    const CorrelationRecord& r = doc.record();
    const velocity::Interval in = velocity::PositionInterval(
        velocity::PipeOf(r), doc.timeDelay(), velocity::ColumnDelay(r), velocity::PipeSpread(r, doc.materials(), list));
    return Json::array({in.from, in.to});
}

Json ResultJson(CVexlanDoc& doc) {
    Json j;
    j["displayTrace"] = Values(doc.displayTrace(), kGraphWidth);
    j["cursorColumn"] = doc.cursorColumn();
    j["samplesPerColumn"] = doc.samplesPerColumn();
    j["windowCentre"] = doc.windowCentre();
    j["sideBlocks"] = doc.record().sideBlocks;
    j["timeDelay"] = JsonFloat(doc.timeDelay());
    j["totalTravelTime"] = JsonFloat(doc.totalTravelTime());
    j["distanceFromSensor1"] = JsonFloat(doc.distanceFromSensor1());
    j["distanceFromSensor2"] = JsonFloat(doc.distanceFromSensor2());
    j["distanceInterval"] = DistanceInterval(doc);
    j["spectrum1Db"] = Values(doc.spectrum1Db(), kSpectrumPoints);
    j["spectrum2Db"] = Values(doc.spectrum2Db(), kSpectrumPoints);
    return j;
}

class ComputeCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override {
        AddFileArgument(app, path_);
        app.add_option("--cursor", cursor_,
                       "Graph column 0..619 to place the cursor on after the computation, as a click would")
            ->check(CLI::Range(0, kGraphWidth - 1));
        AddMethodOption(app, method_);
    }

    int Run(CommandStreams& io) override {
        ScriptedPrompt prompt;
        // The document is large; the material tables it owns are not needed for the computation.
        auto doc = std::make_unique<CVexlanDoc>(prompt);
        if (!ReadKedFile(path_, doc->record(), io)) return kExitFailure;
        analysis::CorrelationMethod method = analysis::CorrelationMethod::Basic;
        analysis::ParseMethodKey(method_, method);
        const analysis::AnalysisResult analysed = analysis::RecomputeWithMethod(*doc, method);
        if (doc->computeProblem() != ComputeProblem::None)
            return Fail(io, "cannot recompute " + path_ + ": " + DescribeComputeProblem(doc->computeProblem()));
        if (!analysed.finite)
            return Fail(io, "cannot analyse " + path_ + ": " + LoadString(string_id::kMsgNotAnalysable));
        if (cursor_) doc->MoveCursor(*cursor_);
        Json result = ResultJson(*doc);
        // The plain method's output stays exactly as it was.
        if (method != analysis::CorrelationMethod::Basic) {
            result["method"] = analysis::MethodKey(analysed.method);
            result["quality"] = int(analysed.quality + 0.5);
        }
        PrintJson(io, result);
        return kExitOk;
    }

private:
    std::string path_;
    std::optional<int> cursor_;
    std::string method_ = "basic";
};

}  // namespace

void RegisterCompute(Dispatcher& dispatcher) {
    AddSubcommand<ComputeCommand>(
        dispatcher, "compute",
        "Recompute the correlation and print the trace, cursor, delay and leak position as JSON");
}

}  // namespace vexlan::cli
