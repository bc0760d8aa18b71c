// The measurement model's physics, end to end through the recomputation: averaging lowers the
// floor, hum correlates at zero delay, a source beyond a sensor appears at the travel time, and
// a corpus's manifest tells where its leaks are.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "testsupport/generator/KedGenerator.h"
#include "testsupport/generator/KedgenCommandLine.h"
#include "testsupport/generator/tests/KedgenTestSupport.h"
#include "testsupport/generator/PipeModel.h"

namespace vexlan::kedgen {
namespace {

GeneratorSettings SteelPipe() {
    GeneratorSettings s;
    s.segments = {{10, 150, 100}, {4, 110, 150}};
    s.leakDistance = 60;
    s.maxSideBlocks = 0;
    s.seed = 5;
    return s;
}

std::unique_ptr<test::Recomputed> Recompute(const GeneratorSettings& s) {
    CorrelationRecord record;
    std::string error;
    EXPECT_TRUE(GenerateRecord(s, record, error)) << error;
    return std::make_unique<test::Recomputed>(record);
}

// Mean bar height away from the peak, relative to the peak.
double Floor(const CVexlanDoc& doc) {
    double sum = 0;
    int count = 0;
    for (int c = 0; c < kGraphWidth; ++c)
        if (std::abs(c - doc.cursorColumn()) > 8) {
            sum += doc.displayTrace()[c];
            ++count;
        }
    return sum / count / kTraceTop;
}

TEST(InstrumentModel, AveragingMoreFramesLowersTheFloorAsTheRootOfM) {
    GeneratorSettings s = SteelPipe();
    s.snrDb = -12;
    s.frames = 8;
    const double few = Floor(*Recompute(s)->doc);
    s.frames = 64;
    const double many = Floor(*Recompute(s)->doc);
    // sqrt(64 / 8) = 2.8
    EXPECT_LT(many, few / 2);
    EXPECT_GT(many, few / 4);
}

TEST(InstrumentModel, HumCorrelatesAtZeroDelayAndEveryPeriod) {
    GeneratorSettings s = SteelPipe();
    s.hum = {50, 15};
    const auto r = Recompute(s);
    const CVexlanDoc& doc = *r->doc;
    const double columnTime = doc.samplesPerColumn() / double(s.sampleRate);
    // The zero-lag column stands as high as the peak, which lies on a ridge of the hum.
    EXPECT_GE(std::max(doc.displayTrace()[kGraphCentre], doc.displayTrace()[kGraphCentre - 1]), kTraceTop * 95 / 100);
    const double periods = doc.timeDelay() * 50;
    EXPECT_NEAR(periods, std::round(periods), columnTime * 50);
    EXPECT_GT(std::abs(doc.timeDelay() - ResolvePipe(s).delay), 5 * columnTime);
}

TEST(InstrumentModel, SourceBeyondASensorAppearsAtTheTravelTime) {
    for (const float beyond : {-80.0f, 340.0f}) {
        GeneratorSettings s = SteelPipe();
        s.sources = {{beyond, 15, 30, 500}};
        const auto r = Recompute(s);
        const double travel = ResolvePipe(s).totalTravelTime;
        const double columnTime = r->doc->samplesPerColumn() / double(s.sampleRate);
        EXPECT_NEAR(r->doc->timeDelay(), beyond < 0 ? -travel : travel, columnTime) << beyond;
    }
}

TEST(Corpus, WritesEachScenarioWithItsTruth) {
    const auto dir = test::ScratchFolder("corpus");
    std::ostringstream out, err;
    ASSERT_EQ(
        RunKedgen({"--corpus", dir.string(), "--count", "4", "--seed", "3", "--scenario", "clean,pump"}, out, err), 0)
        << err.str();
    std::ifstream in(dir / "manifest.json");
    const nlohmann::json manifest = nlohmann::json::parse(in);
    ASSERT_EQ(manifest["files"].size(), 4u);
    for (const auto& item : manifest["files"]) {
        SCOPED_TRACE(item["file"].get<std::string>());
        const bool pump = item["scenario"] == "pump";
        EXPECT_EQ(item["interferers"].size(), pump ? 1u : 0u);
        ScriptedPrompt prompt;
        CVexlanDoc doc(prompt);
        ASSERT_TRUE(doc.OpenCorrelationFile((dir / item["file"].get<std::string>()).string()));
        doc.RecomputeCorrelation();
        // A clean recording points at its leak; with a pump beyond a sensor the plain correlation
        // finds either the leak or the pump.
        const double leak = item["leak"]["delayS"], tolerance = item["toleranceS"];
        const bool atLeak = std::abs(doc.timeDelay() - leak) <= tolerance;
        EXPECT_TRUE(atLeak ||
                    (pump && std::abs(doc.timeDelay() - double(item["interferers"][0]["delayS"])) <= tolerance));
    }
}

}  // namespace
}  // namespace vexlan::kedgen
