// vexlan-cli analyse FILE... [--method basic|scot|phat|auto]: the leak analysis as JSON, one
// object for one file, an array of them for several.

#include <memory>
#include <string>
#include <vector>

#include "AnalysisStrings.h"
#include "CorrelationAnalysis.h"
#include "CliSupport.h"
#include "StringTable.h"

namespace vexlan::cli {

namespace {

using analysis::CorrelationMethod;

Json AnalysisJson(const analysis::AnalysisResult& r)
{
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
        peak["height"] = JsonFloat(float(p.height));
        peak["quality"] = int(p.quality + 0.5);
        peaks.push_back(peak);
    }
    j["peaks"] = peaks;
    Json flags = Json::array();
    for (int bit = 0; bit < analysis::kFlagCount; ++bit)
        if (r.flags & (1u << bit))
            flags.push_back(analysis::FlagKey(1u << bit));
    j["flags"] = flags;
    Json band;
    band["lowCutoff"] = r.suggestedBand.valid() ? JsonFloat(float(r.suggestedBand.low)) : Json(nullptr);
    band["highCutoff"] = r.suggestedBand.valid() ? JsonFloat(float(r.suggestedBand.high)) : Json(nullptr);
    j["suggestedBand"] = band;
    return j;
}

class AnalyseCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override
    {
        app.add_option("FILE", paths_, "Correlation files (.ked); each is done even when another fails")->required();
        AddMethodOption(app, method_);
    }

    int Run(CommandStreams& io) override
    {
        CorrelationMethod method = CorrelationMethod::Basic;
        analysis::ParseMethodKey(method_, method);
        Json all = Json::array();
        bool failed = false;
        auto record = std::make_unique<CorrelationRecord>();
        for (const std::string& path : paths_) {
            if (!ReadKedFile(path, *record, io)) {
                failed = true;
                continue;
            }
            const analysis::AnalysisResult r = analysis::AnalyseCorrelation(*record, method);
            if (r.problem != ComputeProblem::None) {
                Fail(io, "cannot analyse " + path + ": " + DescribeComputeProblem(r.problem));
                failed = true;
            } else if (!r.finite) {
                Fail(io, "cannot analyse " + path + ": " + LoadString(analysis::kMsgNotAnalysable));
                failed = true;
            } else {
                all.push_back(AnalysisJson(r));
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

void RegisterAnalyse(Dispatcher& dispatcher)
{
    AddSubcommand<AnalyseCommand>(dispatcher, "analyse",
                                  "Judge the correlation: method, quality, ranked peaks, flags and suggested band as JSON");
}

}  // namespace vexlan::cli
