// vexlan-cli analyse FILE... [--method basic|scot|phat|auto]: the leak analysis as JSON, one
// object for one file, an array of them for several.

#include <memory>
#include <string>
#include <vector>

#include "res/StringIds.h"
#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/CorrelationAnalysis.h"
#include "tools/vexlan-cli/CliSupport.h"
#include "res/StringTable.h"
#include "correlation/Velocity.h"

namespace vexlan::cli {

namespace {

using analysis::CorrelationMethod;

// Where each peak's leak may lie: one graph column of delay and the materials' velocity spread.
struct IntervalInputs {
    std::vector<velocity::Segment> pipe;
    double columnDelay = 0;
    double spread = 0;
    bool known = false;  // false: the velocity list could not be read
};

Json AnalysisJson(const analysis::AnalysisResult& r, const IntervalInputs& in) {
    Json j;
    j["method"] = analysis::MethodKey(r.method);
    j["requestedMethod"] = analysis::MethodKey(r.requested);
    j["quality"] = int(r.quality + 0.5);
    Json peaks = Json::array();
    for (const analysis::AnalysisPeak& p : r.peaks) {
        Json peak;
        peak["column"] = p.column;
        peak["timeDelay"] = JsonFloat(float(p.timeDelay));
        peak["distanceFromSensor1"] = JsonFloat(float(p.distanceFromSensor1));
        peak["distanceFromSensor2"] = JsonFloat(float(p.distanceFromSensor2));
        if (in.known) {
            const velocity::Interval i = velocity::PositionInterval(in.pipe, p.timeDelay, in.columnDelay, in.spread);
            peak["distanceInterval"] = Json::array({i.from, i.to});
        } else {
            peak["distanceInterval"] = nullptr;
        }
        peak["height"] = JsonFloat(float(p.height));
        peak["quality"] = int(p.quality + 0.5);
        peaks.push_back(peak);
    }
    j["peaks"] = peaks;
    Json flags = Json::array();
    for (int bit = 0; bit < analysis::kFlagCount; ++bit)
        if (r.flags & (1u << bit)) flags.push_back(analysis::FlagKey(1u << bit));
    j["flags"] = flags;
    Json band;
    band["lowCutoff"] = r.suggestedBand.valid() ? JsonFloat(float(r.suggestedBand.low)) : Json(nullptr);
    band["highCutoff"] = r.suggestedBand.valid() ? JsonFloat(float(r.suggestedBand.high)) : Json(nullptr);
    j["suggestedBand"] = band;
    return j;
}

class AnalyseCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override {
        app.add_option("FILE", paths_, "Correlation files (.ked); each is done even when another fails")->required();
        AddMethodOption(app, method_);
    }

    int Run(CommandStreams& io) override {
        CorrelationMethod method = CorrelationMethod::Basic;
        analysis::ParseMethodKey(method_, method);
        Json all = Json::array();
        bool failed = false;
        auto record = std::make_unique<CorrelationRecord>();
        // The document only lends its material names, for the velocity spread of each material.
        ScriptedPrompt prompt;
        auto names = std::make_unique<CVexlanDoc>(prompt);
        names->materials().LoadMaterialTables();
        velocity::MaterialList list;
        std::string listError;
        const bool listRead = velocity::LoadMaterialList(velocity::DefaultMaterialListPath(), list, listError);
        analysis::CorrelationAnalyser analyser;
        for (const std::string& path : paths_) {
            if (!ReadKedFile(path, *record, io)) {
                failed = true;
                continue;
            }
            const analysis::AnalysisResult r = analyser.Analyse(*record, method);
            if (r.problem != ComputeProblem::None) {
                Fail(io, "cannot analyse " + path + ": " + DescribeComputeProblem(r.problem));
                failed = true;
            } else if (!r.finite) {
                Fail(io, "cannot analyse " + path + ": " + LoadString(string_id::kMsgNotAnalysable));
                failed = true;
            } else {
                const IntervalInputs in{velocity::PipeOf(*record), velocity::ColumnDelay(*record),
                                        velocity::PipeSpread(*record, names->materials(), list), listRead};
                all.push_back(AnalysisJson(r, in));
            }
        }
        if (paths_.size() == 1 && !all.empty())
            PrintJson(io, all[0]);
        else if (paths_.size() > 1)
            PrintJson(io, all);
        return failed ? kExitFailure : kExitOk;
    }

private:
    std::vector<std::string> paths_;
    std::string method_ = "basic";
};

}  // namespace

void RegisterAnalyse(Dispatcher& dispatcher) {
    AddSubcommand<AnalyseCommand>(
        dispatcher, "analyse",
        "Judge the correlation: method, quality, ranked peaks, flags and suggested band as JSON");
}

}  // namespace vexlan::cli
