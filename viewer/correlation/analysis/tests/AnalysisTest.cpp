// End-to-end checks of the leak analysis on generated recordings: the plain correlation is led
// astray by hum or a pump beyond a sensor, the automatic method finds the planted leak, and the
// plain method leaves the recomputation exactly as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/CorrelationAnalysis.h"
#include "testsupport/generator/KedGenerator.h"
#include "correlation/analysis/MethodDocument.h"
#include "testsupport/generator/PipeModel.h"

namespace vexlan::analysis {
namespace {

struct Planted {
    std::unique_ptr<CorrelationRecord> record = std::make_unique<CorrelationRecord>();
    double delay = 0;
};

Planted Generate(const kedgen::GeneratorSettings& settings) {
    Planted p;
    std::string error;
    EXPECT_TRUE(kedgen::GenerateRecord(settings, *p.record, error)) << error;
    p.delay = kedgen::ResolvePipe(settings).delay;
    return p;
}

kedgen::GeneratorSettings MetalPipe() {
    kedgen::GeneratorSettings s;
    s.segments = {{10, 150, 150}, {4, 110, 100}};  // steel, cast iron
    s.leakDistance = 60;
    s.seed = 21;
    return s;
}

// Within one graph column of the planted delay.
void ExpectNear(const AnalysisResult& r, double delay) {
    ASSERT_FALSE(r.peaks.empty());
    EXPECT_NEAR(r.peaks[0].timeDelay, delay, 13.0 * (2 * 2 + 1) / 9765.625);
}

TEST(Analysis, HumMisleadsThePlainCorrelationButNotTheWeightedOnes) {
    kedgen::GeneratorSettings s = MetalPipe();
    s.hum = {50, 12};
    const Planted p = Generate(s);
    const AnalysisResult basic = AnalyseCorrelation(*p.record, CorrelationMethod::Basic);
    ASSERT_FALSE(basic.peaks.empty());
    EXPECT_GT(std::abs(basic.peaks[0].timeDelay - p.delay), 0.01);
    EXPECT_TRUE(basic.flags & kFlagCommonModeHum);
    for (CorrelationMethod m : {CorrelationMethod::Phat, CorrelationMethod::Auto}) {
        const AnalysisResult r = AnalyseCorrelation(*p.record, m);
        ExpectNear(r, p.delay);
        EXPECT_FALSE(r.flags & kFlagCommonModeHum);
        EXPECT_GT(r.quality, basic.quality + 30);
    }
}

TEST(Analysis, APumpBeyondASensorIsFlaggedAndRankedBehindTheLeak) {
    kedgen::GeneratorSettings s = MetalPipe();
    s.sources = {{330, 15, 30, 500, false}};  // 70 m past sensor 2
    const Planted p = Generate(s);
    const AnalysisResult basic = AnalyseCorrelation(*p.record, CorrelationMethod::Basic);
    EXPECT_TRUE(basic.flags & kFlagBeyondSensor);
    const AnalysisResult automatic = AnalyseCorrelation(*p.record, CorrelationMethod::Auto);
    ExpectNear(automatic, p.delay);
    EXPECT_FALSE(automatic.flags & kFlagBeyondSensor);
    // The band where the sensors agree holds the leak's band, not the pump's alone.
    EXPECT_TRUE(automatic.suggestedBand.valid());
    EXPECT_GT(automatic.suggestedBand.high, 500);
    for (std::size_t i = 1; i < automatic.peaks.size(); ++i)
        EXPECT_LE(automatic.peaks[i].quality, automatic.peaks[0].quality);
}

TEST(Analysis, ThePlainMethodLeavesTheRecomputationAsItIsAndNoMethodTouchesTheRecord) {
    const Planted p = Generate(MetalPipe());
    ScriptedPrompt prompt;
    auto plain = std::make_unique<CVexlanDoc>(prompt);
    auto analysed = std::make_unique<CVexlanDoc>(prompt);
    plain->record() = *p.record;
    analysed->record() = *p.record;
    plain->RecomputeCorrelation();
    RecomputeWithMethod(*analysed, CorrelationMethod::Basic);
    EXPECT_EQ(std::memcmp(plain->displayTrace(), analysed->displayTrace(), kGraphWidth), 0);
    EXPECT_EQ(plain->cursorColumn(), analysed->cursorColumn());
    EXPECT_EQ(plain->timeDelay(), analysed->timeDelay());
    EXPECT_EQ(plain->distanceFromSensor1(), analysed->distanceFromSensor1());

    const AnalysisResult phat = RecomputeWithMethod(*analysed, CorrelationMethod::Phat);
    EXPECT_TRUE(analysed->HasOverlay());
    EXPECT_EQ(analysed->cursorColumn(), phat.peaks.at(0).column);
    EXPECT_NEAR(analysed->timeDelay(), p.delay, 0.003);
    EXPECT_EQ(std::memcmp(&plain->record().correlationBlocks, &analysed->record().correlationBlocks,
                          sizeof plain->record().correlationBlocks),
              0);
    EXPECT_EQ(plain->record().sideBlocks, analysed->record().sideBlocks);
    EXPECT_FALSE(analysed->IsModified());
}

TEST(Analysis, ARemovedRegionIsNotSearchedAndAKeptAnalyserCarriesNothingOver) {
    kedgen::GeneratorSettings s = MetalPipe();
    s.hum = {50, 12};
    const Planted hum = Generate(s);
    const Planted clean = Generate(MetalPipe());
    CorrelationAnalyser analyser;
    const AnalysisResult whole = analyser.Analyse(*hum.record, CorrelationMethod::Phat);
    ASSERT_FALSE(whole.peaks.empty());
    const int column = whole.peaks[0].column;
    const int centre = whole.windowCentre + (column - kGraphCentre) * whole.samplesPerColumn;
    const int around = 4 * whole.samplesPerColumn;
    for (CorrelationMethod m : {CorrelationMethod::Phat, CorrelationMethod::Auto}) {
        const AnalysisResult cut = analyser.Analyse(*hum.record, m, centre - around, centre + around);
        ASSERT_FALSE(cut.peaks.empty());
        for (const AnalysisPeak& peak : cut.peaks) EXPECT_GT(std::abs(peak.column - column), 3);
    }
    // The same analyser on another record gives what a fresh one gives.
    const AnalysisResult kept = analyser.Analyse(*clean.record, CorrelationMethod::Auto);
    const AnalysisResult fresh = AnalyseCorrelation(*clean.record, CorrelationMethod::Auto);
    ASSERT_EQ(kept.peaks.size(), fresh.peaks.size());
    EXPECT_EQ(kept.peaks[0].timeDelay, fresh.peaks[0].timeDelay);
    EXPECT_EQ(kept.quality, fresh.quality);
    EXPECT_EQ(kept.displayTrace, fresh.displayTrace);
}

}  // namespace
}  // namespace vexlan::analysis
