#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "correlation/BlockEncoder.h"
#include "correlation/CVexlanDoc.h"
#include "testsupport/DocTestSupport.h"

namespace vexlan {
namespace {

using namespace test;

constexpr int kN = 4096;
constexpr double kPi = 3.14159265358979323846;

// A cross-spectrum whose correlation is one sharp peak lag samples after zero lag.
void EncodeDelayedPeak(int lag, std::uint8_t block[kBlockSize]) {
    std::vector<std::int16_t> values(kN, 0), quantised(kN, 0);
    for (int k = 1; k < kN / 2; ++k) {
        const double phase = -2 * kPi * k * lag / kN;
        values[2 * k] = std::int16_t(std::lround(2000 * std::cos(phase)));
        values[2 * k + 1] = std::int16_t(std::lround(2000 * std::sin(phase)));
    }
    ASSERT_EQ(QuantiseAndEncode(values.data(), kN, fft::kMaxRealPoints, block, quantised.data()), EncodeStatus::Ok);
}

// A sensor spectrum block holds 2048 values (1024 bins): the engine decodes it with maxCount 2048.
void EncodeFlatSpectrum(std::uint8_t block[kBlockSize], std::int16_t level) {
    std::vector<std::int16_t> values(kSpectrumPoints, 0), quantised(kSpectrumPoints, 0);
    for (int k = 1; k < kSpectrumPoints / 2; ++k) values[2 * k] = level;
    ASSERT_EQ(QuantiseAndEncode(values.data(), kSpectrumPoints, kSpectrumPoints, block, quantised.data()),
              EncodeStatus::Ok);
}

// One 150 m steel pipe at 1300 m/s: travel time 0.115 s, no side blocks.
CorrelationRecord PeakRecord(int lag) {
    CorrelationRecord r;
    r.sampleCount = kN;
    r.zeroLagIndex = kN / 2;
    r.blockCount = 1;
    r.maxSideBlocks = 0;
    r.sideBlocks = 2;  // stale: the recomputation rewrites it
    r.sampleRate = 8000;
    r.segments[0] = {10, 150, 100, 1300, 1};
    EncodeDelayedPeak(lag, r.correlationBlocks[kCentreBlock]);
    EncodeFlatSpectrum(r.spectrum1Block, 1000);
    EncodeFlatSpectrum(r.spectrum2Block, 100);
    return r;
}

class DocComputeTest : public ::testing::Test {
protected:
    void Open(const CorrelationRecord& r) {
        dir = ScratchDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
        CopyShippedSources(dir);
        WriteKed(dir + "peak.ked", r);
        doc = std::make_unique<CVexlanDoc>(prompt, dir);
        ASSERT_TRUE(doc->OpenCorrelationFile(dir + "peak.ked"));
    }
    std::string dir;
    ScriptedPrompt prompt;
    std::unique_ptr<CVexlanDoc> doc;
};

TEST_F(DocComputeTest, RecomputeFindsThePeakAndPlacesTheLeak) {
    Open(PeakRecord(120));
    EXPECT_TRUE(doc->RecomputeCorrelation());
    EXPECT_EQ(doc->computeProblem(), ComputeProblem::None);
    EXPECT_EQ(doc->record().sideBlocks, 0);
    EXPECT_FALSE(doc->IsModified());  // the sideBlocks rewrite is not an edit

    const int spc = doc->samplesPerColumn();
    EXPECT_GE(spc, 5);
    EXPECT_LE(spc, 13);
    const std::uint8_t* trace = doc->displayTrace();
    const int peak = int(std::max_element(trace, trace + kGraphWidth) - trace);
    EXPECT_EQ(trace[peak], kTraceTop);
    EXPECT_EQ(doc->cursorColumn(), peak);
    // The peak lies 120 samples from zero lag, one side or the other.
    EXPECT_NEAR(std::abs(peak - kGraphCentre), 120.0 / spc, 1.0);

    const float expectedDelay = float(peak - kGraphCentre) * spc / 8000.0f;
    EXPECT_NEAR(doc->timeDelay(), expectedDelay, float(spc) / 8000.0f);
    EXPECT_GT(std::abs(doc->timeDelay()), 0);
    EXPECT_FLOAT_EQ(doc->totalTravelTime(), 150.0f / 1300.0f);
    EXPECT_NEAR(doc->distanceFromSensor1(), (doc->timeDelay() * 1300 + 150) * 0.5f, 1e-3);
    EXPECT_NEAR(doc->distanceFromSensor1() + doc->distanceFromSensor2(), 150, 1e-3);
    // A positive delay puts the leak nearer sensor 2.
    EXPECT_EQ(doc->timeDelay() > 0, doc->distanceFromSensor1() > doc->distanceFromSensor2());

    EXPECT_EQ(doc->spectrum1Db()[0], -154);
    EXPECT_GT(doc->spectrum1Db()[100], doc->spectrum2Db()[100]);
    // (20 log10(1000) - 90.31) * 1.71 and (20 log10(100) - 90.31) * 1.71, toward zero.
    EXPECT_EQ(doc->spectrum1Db()[100], -51);
    EXPECT_EQ(doc->spectrum2Db()[100], -86);
    // Only 1024 bins are stored; the upper half of the display spectrum is silence.
    EXPECT_EQ(doc->spectrum1Db()[1500], -154);
}

TEST_F(DocComputeTest, CursorMovesAndSteps) {
    Open(PeakRecord(-200));
    doc->RecomputeCorrelation();
    const int peak = doc->cursorColumn();
    const float peakDelay = doc->timeDelay();
    const int spc = doc->samplesPerColumn();

    doc->MoveCursor(kGraphCentre);
    EXPECT_EQ(doc->previousCursorColumn(), peak);
    EXPECT_EQ(doc->cursorColumn(), kGraphCentre);
    // A fresh engine measures the column's centre sample: half a column past zero lag.
    EXPECT_FLOAT_EQ(doc->timeDelay(), float(spc / 2) / 8000.0f);
    EXPECT_NEAR(doc->distanceFromSensor1() + doc->distanceFromSensor2(), 150, 1e-3);

    doc->StepCursor(+1);
    EXPECT_EQ(doc->previousCursorColumn(), kGraphCentre);
    EXPECT_EQ(doc->cursorColumn(), kGraphCentre + 1);
    EXPECT_FLOAT_EQ(doc->timeDelay(), float(spc + spc / 2) / 8000.0f);

    doc->MoveCursor(0);
    doc->StepCursor(-1);
    EXPECT_EQ(doc->cursorColumn(), 0);
    doc->MoveCursor(5000);
    EXPECT_EQ(doc->cursorColumn(), kGraphWidth - 1);
    doc->StepCursor(+1);
    EXPECT_EQ(doc->cursorColumn(), kGraphWidth - 1);
    doc->MoveCursor(-70000);
    EXPECT_EQ(doc->cursorColumn(), 0);
    EXPECT_FALSE(doc->IsModified());

    // Recomputing moves the cursor back to the peak and remembers where it was.
    doc->MoveCursor(17);
    doc->RecomputeCorrelation();
    EXPECT_EQ(doc->previousCursorColumn(), 17);
    EXPECT_EQ(doc->cursorColumn(), peak);
    EXPECT_FLOAT_EQ(doc->timeDelay(), peakDelay);
}

TEST_F(DocComputeTest, RemovedRegionHidesThePeak) {
    Open(PeakRecord(150));
    doc->RecomputeCorrelation();
    const int peak = doc->cursorColumn();
    // Columns are given with the graph's centre column, as the view passes them.
    doc->SetRemoveStart(peak - 3, kGraphCentre);
    doc->SetRemoveEnd(peak + 3, kGraphCentre);
    ASSERT_TRUE(doc->HasRemoveRegion());
    doc->RecomputeCorrelation();
    EXPECT_NE(doc->cursorColumn(), peak);
    EXPECT_LT(doc->displayTrace()[peak], kTraceTop);
}

TEST_F(DocComputeTest, UncomputableRecordGivesAnEmptyResult) {
    CorrelationRecord r = PeakRecord(40);
    r.sampleCount = 3000;  // not a power of two
    Open(r);
    doc->RecomputeCorrelation();
    EXPECT_EQ(doc->computeProblem(), ComputeProblem::BadSampleCount);
    EXPECT_TRUE(std::all_of(doc->displayTrace(), doc->displayTrace() + kGraphWidth, [](auto v) { return v == 0; }));
    EXPECT_EQ(doc->distanceFromSensor1(), 0);

    doc->record().sampleCount = kN;
    doc->record().sampleRate = std::numeric_limits<float>::quiet_NaN();
    doc->RecomputeCorrelation();
    EXPECT_EQ(doc->computeProblem(), ComputeProblem::BadSampleRate);
    doc->MoveCursor(400);
    EXPECT_EQ(doc->distanceFromSensor1(), 0);

    doc->record().sampleRate = 8000;
    doc->record().segments[0].velocity = 0;  // a used segment without velocity: distances 0
    doc->RecomputeCorrelation();
    doc->MoveCursor(400);
    EXPECT_EQ(doc->distanceFromSensor1(), 0);
    EXPECT_EQ(doc->distanceFromSensor2(), 0);
}

TEST(DocComputeEmpty, NoFileGivesAZeroTrace) {
    ScriptedPrompt prompt;
    CVexlanDoc doc(prompt, ScratchDirectory("nofile"));
    EXPECT_TRUE(doc.RecomputeCorrelation());
    EXPECT_EQ(doc.cursorColumn(), 0);
    EXPECT_EQ(doc.timeDelay(), 0);
    EXPECT_TRUE(std::all_of(doc.displayTrace(), doc.displayTrace() + kGraphWidth, [](auto v) { return v == 0; }));
    EXPECT_TRUE(prompt.asked().empty());
}

}  // namespace
}  // namespace vexlan
