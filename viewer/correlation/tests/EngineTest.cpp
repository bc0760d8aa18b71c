#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "correlation/CCorrelationEngine.h"

namespace vexlan {
namespace {

// Test blocks carry raw little-endian values instead of the compressed stream.
void RawDecode(int maxCount, const std::uint8_t* block, std::int16_t* out) {
    const int count = std::min<int>(maxCount, int(kBlockSize / 2));
    std::fill(out, out + maxCount, std::int16_t(0));
    std::memcpy(out, block, std::size_t(count) * 2);
}

void PutValue(std::uint8_t* block, int index, std::int16_t v) { std::memcpy(block + 2 * index, &v, 2); }

CorrelationRecord OneSegmentRecord(float length, float velocity) {
    CorrelationRecord r;
    r.sampleCount = 1024;
    r.zeroLagIndex = 512;
    r.blockCount = 1;
    r.sampleRate = 9765.625f;
    r.segments[0] = {0, length, 100, velocity, 1};
    return r;
}

TEST(PipeSetupTest, SideBlockLimitsAreExact) {
    // T = length / 1 m/s; x = 1.1 T compared against the three single-precision limits.
    struct Case {
        float x;
        int sideBlocks;
        bool ok;
    };
    for (Case c : {Case{0.4194304f, 0, true}, Case{0.4194305f, 1, true}, Case{1.2582915f, 2, true},
                   Case{2.0971520f, 2, true}, Case{2.0971525f, 9, false}}) {
        // Find a length whose travel time times 1.1 lands exactly on the limit.
        float length = c.x / 1.1f;
        while (length * 1.1f < c.x) length = std::nextafter(length, 10.f);
        while (length * 1.1f > c.x) length = std::nextafter(length, 0.f);
        CorrelationRecord r = OneSegmentRecord(length, 1.0f);
        r.sideBlocks = 9;
        CCorrelationEngine e(r, RawDecode);
        EXPECT_EQ(e.SetUpPipe(), c.ok) << c.x;
        EXPECT_EQ(r.sideBlocks, c.sideBlocks) << c.x;
        if (!c.ok) {
            EXPECT_EQ(e.SamplesPerColumn(), 13);
        }
    }
}

TEST(PipeSetupTest, SamplesPerColumnLimitsAndFailures) {
    CorrelationRecord r = OneSegmentRecord(100, 1200);  // T = 0.0833: 9765.6*T*2.2/256 = 6.99
    CCorrelationEngine e(r, RawDecode);
    EXPECT_TRUE(e.SetUpPipe());
    EXPECT_EQ(e.SamplesPerColumn(), 7);
    r.segments[0].length = 1;  // tiny: limited to 5
    EXPECT_TRUE(e.SetUpPipe());
    EXPECT_EQ(e.SamplesPerColumn(), 5);
    r.segments[0].length = 0.05f;  // below 0.1 m
    EXPECT_FALSE(e.SetUpPipe());
    r.segments[0] = {0, 100, 100, 0, 1};
    EXPECT_FALSE(e.SetUpPipe());
    r.segments[0].velocity = -5;
    EXPECT_FALSE(e.SetUpPipe());
}

TEST(BinMaskTest, CutoffsNotchesAndAutoFilter) {
    CorrelationRecord r = OneSegmentRecord(100, 1200);
    r.sampleCount = 8192;
    r.sampleRate = 8192;  // one bin per hertz
    CCorrelationEngine e(r, RawDecode);
    r.filter.lowCutoff = 0.5f;   // maps to bin 0: nothing stopped
    r.filter.highCutoff = 1024;  // at 1024 bins: nothing stopped
    e.BuildBinMask();
    for (int i = 0; i < kBinMaskSize; ++i) ASSERT_EQ(e.BinMask()[i], 255) << i;

    r.filter.lowCutoff = 10.7f;
    r.filter.highCutoff = 1000;
    r.filter.notches[0] = {100, 110};
    r.filter.notches[1] = {105, 120};  // overlaps the first
    r.filter.notches[2] = {300, 300};  // empty
    e.BuildBinMask();
    EXPECT_EQ(e.BinMask()[9], 0);
    EXPECT_EQ(e.BinMask()[10], 255);
    EXPECT_EQ(e.BinMask()[99], 255);
    EXPECT_EQ(e.BinMask()[100], 0);
    EXPECT_EQ(e.BinMask()[119], 0);
    EXPECT_EQ(e.BinMask()[120], 255);
    EXPECT_EQ(e.BinMask()[300], 255);
    EXPECT_EQ(e.BinMask()[999], 255);
    EXPECT_EQ(e.BinMask()[1000], 0);

    r.filter.autoFilter = 1;  // notches skipped, cut-offs kept
    e.BuildBinMask();
    EXPECT_EQ(e.BinMask()[100], 255);
    EXPECT_EQ(e.BinMask()[9], 0);
    EXPECT_EQ(e.BinMask()[1000], 0);

    r.filter.lowCutoff = 1e30f;  // huge values stay inside the mask
    r.filter.autoFilter = 0;
    r.filter.notches[3] = {-1e30f, 1e30f};
    e.BuildBinMask();
    EXPECT_EQ(e.BinMask()[1023], 0);
}

TEST(LeakDistanceTest, EndsBoundariesAndBeyond) {
    CorrelationRecord r = OneSegmentRecord(100, 1000);
    r.segments[1] = {0, 50, 100, 250, 1};  // 0.1 s + 0.2 s: T = 0.3
    CCorrelationEngine e(r, RawDecode);
    e.SetUpPipe();
    const float T = e.TotalTravelTime();
    EXPECT_FLOAT_EQ(e.LeakDistance(-T), 0);
    EXPECT_FLOAT_EQ(e.LeakDistance(T), 150);
    EXPECT_FLOAT_EQ(e.LeakDistance(5 * T), 150);
    EXPECT_FLOAT_EQ(e.LeakDistance(-5 * T), 0);
    // The boundary at 100 m: travel 0.1 s to sensor 1 and 0.2 s to sensor 2, delay -0.1.
    EXPECT_NEAR(e.LeakDistance(-0.1f), 100, 1e-3);
    EXPECT_NEAR(e.LeakDistance(std::nextafter(-0.1f, 0.f)), 100, 1e-3);
    EXPECT_NEAR(e.LeakDistance(0.1f), 125, 1e-3);  // 0.2 s into sensor 1 side: 100 m + 25 m
}

TEST(CursorTest, FarColumnsAndBadRecordsStayDefined) {
    CorrelationRecord r = OneSegmentRecord(100, 1200);
    CCorrelationEngine e(r, RawDecode);
    CursorResult c;
    for (int column : {-70000, -1, 0, 619, 70000, 1 << 30}) {
        e.ComputeAtColumn(column, c);
        EXPECT_TRUE(std::isfinite(c.timeDelay));
        EXPECT_GE(c.distanceFromSensor1, 0);
    }
    r.segments[0].velocity = 0;
    e.ComputeAtColumn(310, c);
    EXPECT_EQ(c.distanceFromSensor1, 0);
    EXPECT_EQ(c.distanceFromSensor2, 0);
    r.segments[0].velocity = 1200;
    r.sampleRate = std::numeric_limits<float>::quiet_NaN();
    e.ComputeAtColumn(310, c);
    EXPECT_EQ(c.timeDelay, 0);
    EXPECT_EQ(FindComputeProblem(r), ComputeProblem::BadSampleRate);
}

TEST(CorrelationTest, PeakFromASingleBinLandsOnTheZeroLagColumn) {
    CorrelationRecord r = OneSegmentRecord(100, 1200);
    r.sampleCount = 8192;
    r.zeroLagIndex = 4096;
    for (int bin = 2; bin < 400; ++bin) PutValue(r.correlationBlocks[2], 2 * bin, 200);  // a pulse at lag 0
    CCorrelationEngine e(r, RawDecode);
    CorrelationResult out;
    EXPECT_TRUE(e.ComputeCorrelation(out, 0, 0));
    // Truncating arithmetic leaves the lag just before zero a little higher: column 309 or 310.
    EXPECT_NEAR(out.peakColumn, 310, 1);
    EXPECT_EQ(out.displayTrace[out.peakColumn], 179);
    EXPECT_EQ(out.spectrum1Db[0], -154);
    CursorResult c;
    e.ComputeAtColumn(out.peakColumn, c);
    EXPECT_NEAR(c.timeDelay, 0, 1e-3);
    EXPECT_NEAR(c.distanceFromSensor1, 50, 0.5);

    // Removing the peak's region moves the peak elsewhere.
    CCorrelationEngine e2(r, RawDecode);
    EXPECT_TRUE(e2.ComputeCorrelation(out, 4000, 4200));
    EXPECT_GT(std::abs(int(out.peakColumn) - 310), 10);
}

TEST(CorrelationTest, BadRecordsGiveEmptyTraces) {
    for (int n : {0, 3, 1000, 16384}) {
        CorrelationRecord r = OneSegmentRecord(100, 1200);
        r.sampleCount = std::uint16_t(n);
        r.zeroLagIndex = 60000;
        PutValue(r.correlationBlocks[2], 4, 1000);
        CCorrelationEngine e(r, RawDecode);
        CorrelationResult out;
        EXPECT_TRUE(e.ComputeCorrelation(out, 0, 0));
        for (int c = 0; c < kGraphWidth; ++c) ASSERT_EQ(out.displayTrace[c], 0) << n;
    }
    // A window wider than the data is read only inside it.
    CorrelationRecord r = OneSegmentRecord(100, 1200);
    r.sampleCount = 64;
    r.zeroLagIndex = 60000;
    PutValue(r.correlationBlocks[2], 4, 1000);
    CCorrelationEngine e(r, RawDecode);
    CorrelationResult out;
    EXPECT_TRUE(e.ComputeCorrelation(out, 0, 0));
    EXPECT_EQ(out.windowCentre, 32);
}

TEST(CorrelationTest, SideBlocksBeyondStoredPairsAreClamped) {
    CorrelationRecord r = OneSegmentRecord(1000, 1);  // far too long: setup fails
    r.sampleCount = 1024;
    r.sideBlocks = 100;  // stored garbage must not index past the five blocks
    r.maxSideBlocks = 50;
    CCorrelationEngine e(r, RawDecode);
    EXPECT_EQ(e.AssembledSideBlocks(), 2);
    CorrelationResult out;
    EXPECT_TRUE(e.ComputeCorrelation(out, 0, 0));
    r.sideBlocks = -7;
    EXPECT_EQ(e.AssembledSideBlocks(), 0);
}

TEST(SpectrumLevelTest, ZeroAndFullScale) {
    EXPECT_EQ(CCorrelationEngine::SpectrumLevel(0, 0), -154);
    EXPECT_EQ(CCorrelationEngine::SpectrumLevel(-32768, -32768), 5);
    EXPECT_EQ(CCorrelationEngine::SpectrumLevel(1, 0), -154);
}

// The level is looked up, not computed per bin; it must equal the plain formula everywhere.
std::int16_t FormulaLevel(int re, int im) {
    double level = -90.31;
    if (re != 0 || im != 0)
        level = 20.0 * std::log10(std::sqrt(double(std::int64_t(re) * re + std::int64_t(im) * im))) - 90.31;
    return std::int16_t(level * 1.71);
}

TEST(SpectrumLevelTest, MatchesFormulaOverWholeRange) {
    for (int re = -32768; re <= 32767; ++re) {
        ASSERT_EQ(CCorrelationEngine::SpectrumLevel(std::int16_t(re), 0), FormulaLevel(re, 0)) << re;
        ASSERT_EQ(CCorrelationEngine::SpectrumLevel(std::int16_t(re), std::int16_t(re)), FormulaLevel(re, re)) << re;
        const int im = (re * 7919) % 32768;
        ASSERT_EQ(CCorrelationEngine::SpectrumLevel(std::int16_t(re), std::int16_t(im)), FormulaLevel(re, im))
            << re << "," << im;
    }
    // Around every power where the level steps, taken from pairs (a, b) with a^2 + b^2 near it.
    for (int a = 0; a < 32768; a += 61) {
        for (int b = a; b < 32768; b += 127) {
            ASSERT_EQ(CCorrelationEngine::SpectrumLevel(std::int16_t(a), std::int16_t(-b)), FormulaLevel(a, -b))
                << a << "," << b;
            ASSERT_EQ(CCorrelationEngine::SpectrumLevel(std::int16_t(a + 1), std::int16_t(b)), FormulaLevel(a + 1, b));
        }
    }
}

}  // namespace
}  // namespace vexlan

namespace vexlan {
namespace {

// Three windows of very different strength come out with equal absolute sums, and a weak
// window scaled far up saturates instead of flipping sign.
TEST(EqualisationTest, SectionsAreBroughtToTheMeanAndSaturate) {
    CorrelationRecord r;
    r.sampleCount = 64;
    r.zeroLagIndex = 32;
    r.blockCount = 3;
    r.maxSideBlocks = 1;
    r.sampleRate = 1000;
    r.segments[0] = {0, 600, 100, 1000, 1};  // T = 0.6: one side pair
    // DC-free cosines of different strength in the three blocks.
    PutValue(r.correlationBlocks[1], 2, 12000);
    PutValue(r.correlationBlocks[2], 2, 300);
    PutValue(r.correlationBlocks[3], 2, 3);
    CCorrelationEngine e(r, RawDecode);
    e.SetUpPipe();
    ASSERT_EQ(r.sideBlocks, 1);
    e.BuildBinMask();
    e.AssembleCorrelation();
    const std::int16_t* a = e.Assembled();
    for (int i = 0; i < 64; ++i) {
        // The weakest section (block 3, left) is scaled up by thousands; values stay in range
        // and keep their sign pattern (no wrap-around to the opposite sign).
        ASSERT_GE(a[i], -32768);
        ASSERT_LE(a[i], 32767);
    }
    long sums[3] = {};
    for (int s = 0; s < 3; ++s)
        for (int i = 0; i < 21; ++i) sums[s] += std::abs(int(a[s * 64 / 3 + i]));
    EXPECT_NEAR(double(sums[1]), double(sums[2]), 0.02 * double(sums[2]));
}

}  // namespace
}  // namespace vexlan
