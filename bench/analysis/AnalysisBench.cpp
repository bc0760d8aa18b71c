// Leak-finding rate of each correlation method on a generated corpus, and the cost of one
// automatic analysis as a ratio to one full recomputation, both measured in this run.
//
//   kedgen --corpus DIR --count 120 --seed 7
//   bench_analysis DIR
//
// A file counts as a hit for a method when its best peak lies within the manifest's tolerance
// of the planted leak (of either leak in a two-leak file).
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "correlation/CCorrelationFile.h"
#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/CorrelationAnalysis.h"

namespace {

using namespace vexlan;
using analysis::CorrelationMethod;

constexpr CorrelationMethod kMethods[] = {CorrelationMethod::Basic, CorrelationMethod::Scot, CorrelationMethod::Phat,
                                          CorrelationMethod::Auto};
constexpr int kMethodCount = 4;

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Tally {
    int files = 0;
    int hits[kMethodCount] = {};
};

struct QualitySums {
    double hit = 0, miss = 0;
    int hits = 0, misses = 0;
};

// Whether the leak can be found at all: the correlation of signal s in noise over a time-
// bandwidth product BT stands out of its own noise by about s / (1 + s) * sqrt(BT) (s the power
// ratio). Below 1 no method can tell it from noise; such files are counted apart.
bool AboveDetectionLimit(const nlohmann::json& item) {
    const double s = std::pow(10.0, item["snrDb"].get<double>() / 10);
    const double band = item["leak"]["bandHz"][1].get<double>() - item["leak"]["bandHz"][0].get<double>();
    const double seconds =
        item["frames"].get<double>() * item["samplesPerBlock"].get<double>() / item["sampleRateHz"].get<double>();
    return s / (1 + s) * std::sqrt(band * seconds) >= 1;
}

bool NearLeak(const nlohmann::json& item, double delay) {
    const double tolerance = item["toleranceS"].get<double>();
    if (std::abs(delay - item["leak"]["delayS"].get<double>()) <= tolerance) return true;
    return item.contains("secondLeak") && std::abs(delay - item["secondLeak"]["delayS"].get<double>()) <= tolerance;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_analysis CORPUS_DIR   (made by kedgen --corpus)\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::ifstream in(dir + "/manifest.json");
    const nlohmann::json manifest = nlohmann::json::parse(in, nullptr, false);
    if (manifest.is_discarded() || !manifest.contains("files")) {
        std::fprintf(stderr, "bench_analysis: no readable manifest.json in %s\n", dir.c_str());
        return 1;
    }

    std::map<std::string, Tally> byScenario;
    Tally all, detectable;
    QualitySums quality[kMethodCount];
    double recomputeSeconds = 0, autoSeconds = 0;
    int timed = 0;
    ScriptedPrompt prompt;
    auto doc = std::make_unique<CVexlanDoc>(prompt);
    // Kept across files, as the viewer keeps one across recomputations.
    analysis::CorrelationAnalyser analyser;
    for (const nlohmann::json& item : manifest["files"]) {
        const std::string path = dir + "/" + item["file"].get<std::string>();
        if (!CCorrelationFile().ReadCorrelationFile(path, doc->record())) {
            std::fprintf(stderr, "bench_analysis: cannot read %s\n", path.c_str());
            continue;
        }
        Tally& tally = byScenario[item["scenario"].get<std::string>()];
        ++tally.files;
        ++all.files;
        detectable.files += AboveDetectionLimit(item);
        for (int m = 0; m < kMethodCount; ++m) {
            const double start = ThreadSeconds();
            const analysis::AnalysisResult r = analyser.Analyse(doc->record(), kMethods[m]);
            if (kMethods[m] == CorrelationMethod::Auto) autoSeconds += ThreadSeconds() - start;
            const bool hit = !r.peaks.empty() && NearLeak(item, r.peaks[0].timeDelay);
            tally.hits[m] += hit;
            all.hits[m] += hit;
            if (AboveDetectionLimit(item)) detectable.hits[m] += hit;
            QualitySums& q = quality[m];
            (hit ? q.hit : q.miss) += r.quality;
            ++(hit ? q.hits : q.misses);
        }
        const double start = ThreadSeconds();
        doc->RecomputeCorrelation();
        recomputeSeconds += ThreadSeconds() - start;
        ++timed;
    }

    std::printf("%-12s %6s", "scenario", "files");
    for (CorrelationMethod m : kMethods) std::printf(" %7s", analysis::MethodKey(m));
    std::printf("\n");
    auto row = [](const std::string& name, const Tally& t) {
        std::printf("%-12s %6d", name.c_str(), t.files);
        for (int m = 0; m < kMethodCount; ++m) std::printf(" %6.1f%%", t.files ? 100.0 * t.hits[m] / t.files : 0.0);
        std::printf("\n");
    };
    for (const auto& [name, tally] : byScenario) row(name, tally);
    row("all", all);
    row("detectable", detectable);
    std::printf("(detectable: the files whose leak stands out of the noise at all, s/(1+s)*sqrt(BT) >= 1)\n");
    std::printf("\nmean quality   hits  misses\n");
    for (int m = 0; m < kMethodCount; ++m) {
        const QualitySums& q = quality[m];
        std::printf("%-10s %7.1f %7.1f   (%d hits, %d misses)\n", analysis::MethodKey(kMethods[m]),
                    q.hits ? q.hit / q.hits : 0.0, q.misses ? q.miss / q.misses : 0.0, q.hits, q.misses);
    }
    if (timed > 0 && recomputeSeconds > 0)
        std::printf("\nauto analysis / full recomputation: %.2f (x)\n", autoSeconds / recomputeSeconds);
    return 0;
}
