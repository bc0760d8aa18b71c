#include "testsupport/generator/Corpus.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "correlation/BlockDecoder.h"
#include "correlation/CCorrelationEngine.h"
#include "testsupport/generator/InstrumentModel.h"
#include "testsupport/generator/KedGenerator.h"
#include "testsupport/generator/KedgenCommandLine.h"
#include "testsupport/generator/PipeModel.h"
#include "testsupport/generator/SeededRandom.h"

namespace vexlan::kedgen {

namespace {

using Json = nlohmann::json;

// Attempts at drawing a pipe the instrument can record before the scenario gives up.
constexpr int kDrawAttempts = 50;

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

double Between(SeededRandom& r, double lo, double hi) { return lo + (hi - lo) * r.Uniform(); }

template <typename T, std::size_t Size>
const T& Pick(SeededRandom& r, const T (&items)[Size]) {
    return items[std::min(Size - 1, std::size_t(r.Uniform() * Size))];
}

struct DrawnPipe {
    std::vector<std::string> args;
    std::vector<double> lengths;
    double total = 0;
};

// One to three segments of one class of material, short enough for plastic's damping.
DrawnPipe DrawPipe(SeededRandom& r, bool plastic, int minSegments) {
    static const char* const kMetals[] = {"steel", "cast-iron", "ductile-iron"};
    static const char* const kPlastics[] = {"pvc", "mdpe", "hdpe"};
    static const int kMetalBores[] = {100, 150, 200, 300};
    static const int kPlasticBores[] = {63, 90, 110, 125};
    DrawnPipe pipe;
    const int count = minSegments + int(r.Uniform() * (4 - minSegments));
    for (int i = 0; i < count; ++i) {
        const double length = std::round(plastic ? Between(r, 20, 110) : Between(r, 40, 300));
        const std::string material = plastic ? Pick(r, kPlastics) : Pick(r, kMetals);
        const int bore = plastic ? Pick(r, kPlasticBores) : Pick(r, kMetalBores);
        pipe.args.insert(pipe.args.end(), {"--segment", material + "," + Number(length) + "," + std::to_string(bore)});
        pipe.lengths.push_back(length);
        pipe.total += length;
    }
    return pipe;
}

std::vector<std::string> DrawArguments(const std::string& scenario, SeededRandom& r) {
    static const int kFrames[] = {8, 16, 32, 64};
    static const int kPairs[] = {3, 5, 6, 9, 10, 12};
    const bool plastic = r.Uniform() < 0.4;
    DrawnPipe pipe = DrawPipe(r, plastic, scenario == "reflection" ? 2 : 1);
    std::vector<std::string> a = pipe.args;
    const double leak = std::round(Between(r, 0.1, 0.9) * pipe.total * 10) / 10;
    const int frames = Pick(r, kFrames);
    double snr = Between(r, 3, 15);
    a.insert(a.end(), {"--leak", Number(leak), "--sensor-pair", std::to_string(Pick(r, kPairs)), "--frames",
                       std::to_string(frames), "--seed", std::to_string(std::uint64_t(r.Uniform() * 1e9))});
    if (scenario == "hum") {
        const std::string mains = r.Uniform() < 0.5 ? "50" : "60";
        a.insert(a.end(), {"--hum", mains + "," + Number(Between(r, 3, 15))});
    } else if (scenario == "pump") {
        const double beyond = std::round(Between(r, 10, 150));
        const double at = r.Uniform() < 0.5 ? -beyond : pipe.total + beyond;
        const double lo = std::round(Between(r, 20, 60)), hi = std::round(Between(r, 250, 700));
        const std::string level = Number(Between(r, 6, 18));
        a.insert(a.end(), {"--source", Number(at) + "," + level + "," + Number(lo) + ":" + Number(hi)});
    } else if (scenario == "low-snr") {
        snr = Between(r, -24, -12);
    } else if (scenario == "reflection") {
        const int joint = 1 + int(r.Uniform() * double(pipe.lengths.size() - 1));
        const double sign = r.Uniform() < 0.5 ? -1 : 1;  // one draw per statement: a fixed order
        const double coefficient = sign * Between(r, 0.3, 0.6);
        a.insert(a.end(), {"--reflection", std::to_string(joint) + "," + Number(coefficient)});
    } else if (scenario == "two-leaks") {
        // Far enough from the first to be told apart.
        double second = Between(r, 0.05, 0.95) * pipe.total;
        if (std::abs(second - leak) < 0.2 * pipe.total)
            second = leak < pipe.total / 2 ? leak + 0.4 * pipe.total : leak - 0.4 * pipe.total;
        a.insert(a.end(), {"--second-leak", Number(std::round(second * 10) / 10) + "," + Number(Between(r, -6, 0))});
    }
    a.insert(a.end(), {"--snr", Number(snr), "--title", "Corpus " + scenario});
    return a;
}

// Settings are single precision; the manifest shows them as they were written.
double Plain(float v) { return std::stod(Number(double(v))); }

Json Segments(const PipeGeometry& pipe) {
    Json list = Json::array();
    for (const SegmentSpec& s : pipe.segments)
        list.push_back({{"material", s.material},
                        {"lengthM", Plain(s.length)},
                        {"diameterMm", Plain(s.diameter)},
                        {"velocityMps", Plain(s.velocity)}});
    return list;
}

int BeyondSensor(const PipeGeometry& pipe, double x) { return x < 0 ? 1 : x > pipe.totalLength ? 2 : 0; }

// Delay of a joint's echo of the leak against the direct wave at the other sensor.
double EchoDelay(const PipeGeometry& pipe, int joint) {
    const double xj = JointPosition(pipe, joint);
    const double x = pipe.leakDistance;
    if (xj > x) return TravelTime(pipe, x, xj) + TravelTime(pipe, xj, 0) - TravelTime(pipe, x, pipe.totalLength);
    return TravelTime(pipe, x, 0) - TravelTime(pipe, x, xj) - TravelTime(pipe, xj, pipe.totalLength);
}

}  // namespace

const std::vector<std::string>& CorpusScenarios() {
    static const std::vector<std::string> names = {"clean", "hum", "pump", "low-snr", "reflection", "two-leaks"};
    return names;
}

std::vector<std::string> CorpusItemArguments(const std::string& scenario, std::uint64_t seed) {
    SeededRandom random(seed);
    return DrawArguments(scenario, random);
}

Json RecordingTruth(const GeneratorSettings& s) {
    const PipeGeometry pipe = ResolvePipe(s);
    Json truth;
    truth["pipe"] = {
        {"lengthM", pipe.totalLength}, {"travelTimeS", pipe.totalTravelTime}, {"segments", Segments(pipe)}};
    truth["sampleRateHz"] = s.sampleRate;
    truth["samplesPerBlock"] = s.sampleCount;
    truth["frames"] = s.frames;
    truth["snrDb"] = Plain(s.snrDb);
    const Band band = LeakBandAt(s, pipe, pipe.leakDistance);
    truth["leak"] = {
        {"distanceM", Plain(float(pipe.leakDistance))}, {"delayS", pipe.delay}, {"bandHz", {band.low, band.high}}};

    Json interferers = Json::array();
    if (s.hum.frequency > 0)
        interferers.push_back(
            {{"kind", "hum"}, {"frequencyHz", s.hum.frequency}, {"levelDb", Plain(s.hum.levelDb)}, {"delayS", 0.0}});
    for (const SourceSpec& src : s.sources) {
        const bool ownBand = src.bandHigh > 0 && !src.leak;
        const Band leakLike = LeakBandAt(s, pipe, src.distance);
        const double low = ownBand ? Plain(src.bandLow) : leakLike.low;
        const double high = ownBand ? Plain(src.bandHigh) : leakLike.high;
        Json item = {{"distanceM", Plain(src.distance)},
                     {"levelDb", Plain(src.levelDb)},
                     {"delayS", SourceDelay(pipe, src.distance)},
                     {"bandHz", {low, high}},
                     {"beyondSensor", BeyondSensor(pipe, src.distance)}};
        if (src.leak) {
            truth["secondLeak"] = item;
        } else {
            item["kind"] = "source";
            interferers.push_back(item);
        }
    }
    for (const ReflectionSpec& r : s.reflections) {
        const double coefficient = r.coefficient != 0 ? Plain(r.coefficient) : JointReflection(pipe, r.joint);
        interferers.push_back({{"kind", "reflection"},
                               {"joint", r.joint},
                               {"positionM", JointPosition(pipe, r.joint)},
                               {"coefficient", coefficient},
                               {"delayS", EchoDelay(pipe, r.joint)}});
    }
    truth["interferers"] = interferers;

    // Two graph columns of the recomputed trace: the cursor of a plain correlation can land a
    // column off a band-limited peak, and a located peak can be no closer than one.
    CorrelationRecord record;
    for (std::size_t i = 0; i < pipe.segments.size(); ++i) {
        const SegmentSpec& seg = pipe.segments[i];
        record.segments[i] = PipeSegment{std::uint16_t(seg.material), seg.length, seg.diameter, seg.velocity, 1};
    }
    record.sampleCount = std::uint16_t(s.sampleCount);
    record.maxSideBlocks = std::uint16_t(s.maxSideBlocks);
    record.sampleRate = s.sampleRate;
    CCorrelationEngine setup(record, DecodeBlock);
    setup.SetUpPipe();
    const double tolerance =
        2 * setup.SamplesPerColumn() * (2.0 * setup.AssembledSideBlocks() + 1) / double(s.sampleRate);
    truth["toleranceS"] = tolerance;
    truth["toleranceM"] = std::max(1.0, tolerance * double(SegmentAt(pipe, pipe.leakDistance).velocity) / 2);
    return truth;
}

int RunCorpus(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"Writes a corpus of synthetic correlation files and manifest.json with the truth of each."};
    app.name("kedgen --corpus");
    std::string directory;
    int count = 0;
    std::uint64_t seed = 1;
    std::vector<std::string> scenarios;
    app.add_option("--corpus", directory, "Folder to write the files and manifest.json into")->required();
    app.add_option("--count", count, "Number of files")->required()->check(CLI::Range(1, 100000));
    app.add_option("--seed", seed, "Seed of the corpus");
    app.add_option("--scenario", scenarios,
                   "Scenarios to draw from, in turn (default all): clean, hum, pump, "
                   "low-snr, reflection, two-leaks")
        ->delimiter(',')
        ->check(CLI::IsMember(CorpusScenarios()));
    if (const int code = ParseCommandLine(app, args, out, err); code >= 0) return code;
    if (scenarios.empty()) scenarios = CorpusScenarios();
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);

    Json files = Json::array();
    for (int i = 0; i < count; ++i) {
        const std::string& scenario = scenarios[std::size_t(i) % scenarios.size()];
        char name[64];
        std::snprintf(name, sizeof name, "%04d-%s.ked", i, scenario.c_str());
        const std::string path = (std::filesystem::path(directory) / name).string();
        std::string error;
        bool made = false;
        for (int attempt = 0; attempt < kDrawAttempts && !made; ++attempt) {
            const std::uint64_t itemSeed = seed * 1000003u + std::uint64_t(i) * 101u + std::uint64_t(attempt);
            const std::vector<std::string> itemArgs = CorpusItemArguments(scenario, itemSeed);
            std::vector<std::string> fileArgs = itemArgs;
            fileArgs.insert(fileArgs.end(), {"-o", path});
            GeneratorSettings settings;
            std::string output;
            std::ostringstream quiet;
            CorrelationRecord record;
            if (ParseFileArguments(fileArgs, settings, output, quiet, quiet) >= 0 ||
                !GenerateRecord(settings, record, error))
                continue;  // a pipe the instrument cannot record: draw again
            if (!WriteKedFile(path, record, error)) {
                err << "kedgen: " << path << ": " << error << '\n';
                return 1;
            }
            Json item = RecordingTruth(settings);
            item["file"] = name;
            item["scenario"] = scenario;
            item["arguments"] = itemArgs;
            files.push_back(item);
            made = true;
        }
        if (!made) {
            err << "kedgen: could not draw a recordable pipe for " << name << ": " << error << '\n';
            return 2;
        }
    }
    const Json manifest = {{"seed", seed}, {"count", count}, {"scenarios", scenarios}, {"files", files}};
    std::ofstream stream(std::filesystem::path(directory) / "manifest.json");
    stream << manifest.dump(2) << '\n';
    if (!stream) {
        err << "kedgen: cannot write " << directory << "/manifest.json\n";
        return 1;
    }
    out << count << " files and manifest.json written to " << directory << '\n';
    return 0;
}

}  // namespace vexlan::kedgen
