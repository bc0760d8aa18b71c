// vexlan-cli velocity: the speed of sound of a water-filled pipe from its wall, the velocity
// measured from a noise made at a known place, or fitted to several recordings of one leak.
//   velocity --material NAME --diameter MM (--wall MM | --sdr N)
//   velocity FILE (--source-distance M | --source beyond-1|beyond-2) [--cursor COLUMN]
//   velocity --fit FILE...

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "correlation/CVexlanDoc.h"
#include "res/StringIds.h"
#include "tools/vexlan-cli/CliSupport.h"
#include "res/StringTable.h"
#include "correlation/Velocity.h"

namespace vexlan::cli {

namespace {

namespace v = velocity;

class VelocityCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override {
        app.add_option("FILE", files_, "Correlation file(s) (.ked) to measure from");
        app.add_option("--material", material_, "Pipe material, as the material list names it (case ignored)");
        app.add_option("--diameter", diameter_, "Outside diameter of the pipe, mm");
        auto* wall = app.add_option("--wall", wall_, "Wall thickness, mm");
        app.add_option("--sdr", sdr_, "Standard dimension ratio (outside diameter over wall)")->excludes(wall);
        auto* distance =
            app.add_option("--source-distance", sourceDistance_, "The known noise was made this far from sensor 1, m");
        app.add_option("--source", sourceBeyond_, "The known noise was made beyond a sensor")
            ->check(CLI::IsMember({"beyond-1", "beyond-2"}))
            ->excludes(distance);
        app.add_option("--cursor", cursor_, "Graph column 0..619 of the source's peak (default: the peak)")
            ->check(CLI::Range(0, kGraphWidth - 1));
        app.add_flag("--fit", fit_, "Fit velocity and leak position to several recordings of one leak, sensor 1 fixed");
    }

    int Run(CommandStreams& io) override {
        if (material_) return Calculate(io);
        if (fit_) return Fit(io);
        if (files_.size() != 1 || (!sourceDistance_ && !sourceBeyond_))
            return Fail(io,
                        "velocity needs --material, or one FILE with --source-distance or --source, or --fit FILE...");
        return Measure(io);
    }

private:
    bool LoadList(v::MaterialList& list, CommandStreams& io) const {
        std::string error;
        if (v::LoadMaterialList(v::DefaultMaterialListPath(), list, error)) return true;
        Fail(io, error);
        return false;
    }

    int Calculate(CommandStreams& io) const {
        v::MaterialList list;
        if (!LoadList(list, io)) return kExitFailure;
        const v::WallMaterial* m = list.Find(*material_);
        if (!m) return Fail(io, FormatString(string_id::kMsgUnknownMaterial, material_->c_str()));
        if (!diameter_ || (!wall_ && !sdr_))
            return Fail(io, "velocity --material needs --diameter and --wall or --sdr");
        double wall = wall_.value_or(0);
        if (sdr_) {
            const v::Outcome w = v::WallFromSdr(*diameter_, *sdr_);
            if (!w.ok()) return Fail(io, LoadString(w.errorId));
            wall = w.value;
        }
        const v::Outcome c = v::WaveSpeed(list.water, m->modulusPa, *diameter_, wall);
        if (!c.ok()) return Fail(io, LoadString(c.errorId));
        Json j;
        j["velocity"] = c.value;
        j["uncertainty"] = list.SpreadOf(*m);
        j["material"] = m->name;
        j["elasticModulusGPa"] = m->modulusPa / 1e9;
        j["outsideDiameterMm"] = *diameter_;
        j["wallMm"] = wall;
        j["internalDiameterMm"] = *diameter_ - 2 * wall;
        j["source"] = m->source;
        PrintJson(io, j);
        return kExitOk;
    }

    // Reads a file, recomputes it and measures the delay of the peak (or the given column).
    bool MeasureFile(const std::string& path, CVexlanDoc& doc, double& delay, CommandStreams& io) const {
        if (!ReadKedFile(path, doc.record(), io)) return false;
        doc.RecomputeCorrelation();
        if (doc.computeProblem() != ComputeProblem::None) {
            Fail(io, "cannot recompute " + path + ": " + DescribeComputeProblem(doc.computeProblem()));
            return false;
        }
        const int column = cursor_.value_or(doc.cursorColumn());
        delay = v::MeasureDelay(doc.record(), column);
        if (!std::isfinite(delay)) {
            Fail(io, path + ": " + LoadString(string_id::kMsgNoDelay));
            return false;
        }
        return true;
    }

    int Measure(CommandStreams& io) const {
        ScriptedPrompt prompt;
        auto doc = std::make_unique<CVexlanDoc>(prompt);
        double delay = 0;
        if (!MeasureFile(files_[0], *doc, delay, io)) return kExitFailure;
        const CorrelationRecord& r = doc->record();
        const auto place = sourceDistance_                ? v::SourcePlace::AtDistance
                           : *sourceBeyond_ == "beyond-1" ? v::SourcePlace::BeyondSensor1
                                                          : v::SourcePlace::BeyondSensor2;
        const std::vector<v::Segment> pipe = v::PipeOf(r);
        const v::Outcome f = v::KnownSourceFactor(pipe, place, sourceDistance_.value_or(0), delay, v::ColumnDelay(r));
        if (!f.ok()) return Fail(io, LoadString(f.errorId));
        Json velocities = Json::array();
        for (const v::Segment& s : pipe) velocities.push_back(s.velocity * f.value);
        Json j;
        j["velocity"] = velocities[0];
        j["factor"] = f.value;
        j["timeDelay"] = delay;
        j["storedVelocity"] = pipe[0].velocity;
        j["velocities"] = velocities;
        PrintJson(io, j);
        return kExitOk;
    }

    int Fit(CommandStreams& io) const {
        ScriptedPrompt prompt;
        auto doc = std::make_unique<CVexlanDoc>(prompt);
        std::vector<double> lengths, delays;
        Json recordings = Json::array();
        for (const std::string& path : files_) {
            double delay = 0;
            if (!MeasureFile(path, *doc, delay, io)) return kExitFailure;
            double length = 0;
            for (const v::Segment& s : v::PipeOf(doc->record())) length += s.length;
            lengths.push_back(length);
            delays.push_back(delay);
            recordings.push_back(Json{{"file", path}, {"pipeLength", length}, {"timeDelay", delay}});
        }
        const v::FitResult fit = v::FitVelocityAndLeak(lengths, delays);
        if (fit.errorId != 0) return Fail(io, LoadString(fit.errorId));
        Json j;
        j["velocity"] = fit.velocity;
        j["leakDistance"] = fit.leakDistance;
        j["rmsResidual"] = fit.rmsResidual;
        j["recordings"] = recordings;
        PrintJson(io, j);
        return kExitOk;
    }

    std::vector<std::string> files_;
    std::optional<std::string> material_;
    std::optional<double> diameter_, wall_, sdr_, sourceDistance_;
    std::optional<std::string> sourceBeyond_;
    std::optional<int> cursor_;
    bool fit_ = false;
};

}  // namespace

void RegisterVelocity(Dispatcher& dispatcher) {
    AddSubcommand<VelocityCommand>(dispatcher, "velocity",
                                   "Pipe sound velocity: from the wall, from a known source, or fitted to recordings");
}

}  // namespace vexlan::cli
