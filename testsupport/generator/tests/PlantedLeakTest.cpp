// End to end: a leak planted by the generator must come back from the recomputation at its
// distance, to within what one graph column can resolve, with the delay's sign telling which
// sensor it is nearer (positive = nearer sensor 2).

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "testsupport/generator/KedGenerator.h"
#include "testsupport/generator/tests/KedgenTestSupport.h"
#include "testsupport/generator/PipeModel.h"

namespace vexlan::kedgen {
namespace {

struct PlantedCase {
    const char* name;
    std::vector<SegmentSpec> segments;
    float leak;              // m from sensor 1
    int expectedSideBlocks;  // side pairs the recomputation joins for this pipe
    int storedSidePairs = 2;
    int sampleCount = 8192;
    float sampleRate = 9765.625f;
};

std::ostream& operator<<(std::ostream& os, const PlantedCase& c) { return os << c.name; }

constexpr int kSteel = 10, kCastIron = 4, kDuctileIron = 2, kCopper = 1;
constexpr int kPvc = 8, kMdpe = 7, kHdpe = 3;

// Velocity of the segment the leak lies in.
float VelocityAt(const PipeGeometry& pipe, double distance) {
    double start = 0;
    for (const SegmentSpec& s : pipe.segments) {
        if (distance <= start + s.length) return s.velocity;
        start += s.length;
    }
    return pipe.segments.back().velocity;
}

GeneratorSettings SettingsFor(const PlantedCase& c) {
    GeneratorSettings s;
    s.segments = c.segments;
    s.leakDistance = c.leak;
    s.maxSideBlocks = c.storedSidePairs;
    s.sampleCount = c.sampleCount;
    s.sampleRate = c.sampleRate;
    s.seed = 7;
    return s;
}

class PlantedLeak : public ::testing::TestWithParam<PlantedCase> {};

TEST_P(PlantedLeak, ComesBackAtItsDistanceWithTheRightSign) {
    const PlantedCase& c = GetParam();
    const GeneratorSettings settings = SettingsFor(c);
    CorrelationRecord record;
    std::string error;
    ASSERT_TRUE(GenerateRecord(settings, record, error)) << error;
    const PipeGeometry pipe = ResolvePipe(settings);

    test::Recomputed r(record);
    const CVexlanDoc& doc = *r.doc;
    ASSERT_EQ(doc.computeProblem(), ComputeProblem::None);
    EXPECT_EQ(doc.record().sideBlocks, c.expectedSideBlocks);

    // One graph column spans samplesPerColumn joined samples, each (2 sideBlocks + 1) lags wide.
    const int windows = 2 * doc.record().sideBlocks + 1;
    const double columnTime = doc.samplesPerColumn() * windows / double(c.sampleRate);
    const double columnDistance = columnTime * VelocityAt(pipe, c.leak) / 2;

    EXPECT_NEAR(doc.timeDelay(), pipe.delay, columnTime);
    if (std::abs(pipe.delay) > columnTime) {
        EXPECT_EQ(doc.timeDelay() > 0, pipe.delay > 0) << "delay " << doc.timeDelay() << " planted " << pipe.delay;
    }
    EXPECT_NEAR(doc.distanceFromSensor1(), c.leak, columnDistance);
    EXPECT_NEAR(doc.distanceFromSensor2(), pipe.totalLength - c.leak, columnDistance);
    EXPECT_NEAR(doc.totalTravelTime(), pipe.totalTravelTime, 1e-5);
    EXPECT_EQ(doc.displayTrace()[doc.cursorColumn()], kTraceTop);
}

INSTANTIATE_TEST_SUITE_P(
    Pipes, PlantedLeak,
    ::testing::Values(
        PlantedCase{"MetalOneSegmentNearSensor1", {{kSteel, 200, 100}}, 60, 0},
        PlantedCase{"MetalOneSegmentAtSensor1", {{kSteel, 200, 100}}, 0, 0},
        PlantedCase{"MetalOneSegmentAtSensor2NoSideBlocks", {{kDuctileIron, 150, 200}}, 150, 0, 0},
        PlantedCase{"MetalTwoSegmentsNearSensor2", {{kSteel, 120, 100}, {kCastIron, 80, 150}}, 150, 0},
        PlantedCase{"MetalTwoSegmentsAtTheJoint", {{kSteel, 120, 100}, {kCastIron, 80, 150}}, 120, 0, 0},
        PlantedCase{
            "MetalFiveSegmentsOneSidePair",
            {{kSteel, 100, 150}, {kDuctileIron, 80, 150}, {kCastIron, 120, 100}, {kCopper, 60, 50}, {kSteel, 140, 150}},
            400,
            1},
        PlantedCase{"PlasticOneSegmentNearSensor2", {{kPvc, 90, 110}}, 70, 0, 0},
        PlantedCase{"PlasticTwoSegmentsNearSensor1", {{kMdpe, 60, 90}, {kPvc, 50, 100}}, 20, 0},
        PlantedCase{"PlasticFiveSegmentsNearSensor1",
                    {{kMdpe, 40, 90}, {kHdpe, 60, 125}, {kPvc, 50, 100}, {kMdpe, 70, 90}, {kPvc, 30, 100}},
                    60,
                    1},
        PlantedCase{"PlasticFiveSegmentsTwoSidePairs",
                    {{kMdpe, 100, 90}, {kHdpe, 120, 125}, {kPvc, 100, 100}, {kMdpe, 90, 90}, {kPvc, 90, 100}},
                    380,
                    2},
        // Lags beyond the centre window: the leak lies in a side window (blocks 1 and 3, then 0 and 4).
        PlantedCase{"PlasticLeakInTheFirstSideWindow", {{kPvc, 300, 110}}, 290, 1},
        PlantedCase{"PlasticLeakInTheOppositeSideWindow", {{kPvc, 300, 110}}, 12, 1},
        PlantedCase{"PlasticLeakInTheOuterSideWindow", {{kMdpe, 720, 90}}, 710, 2},
        PlantedCase{"PlasticShortBlocksOtherRate", {{kPvc, 40, 110}, {kMdpe, 30, 90}}, 55, 0, 2, 4096, 4882.8125f}),
    [](const ::testing::TestParamInfo<PlantedCase>& info) { return std::string(info.param.name); });

// Mains hum correlates at every lag; notches over it and its harmonics leave only the leak
// standing out, and the instrument's auto filter flag switches the notches off.
TEST(PlantedLeakWithHum, NotchRemovesTheHumUnlessAutoFilterIsSet) {
    auto columnsAboveHalf = [](const FilterSettings& filter, float& distance) {
        GeneratorSettings s;
        s.segments = {{kSteel, 200, 100}};
        s.leakDistance = 60;
        s.hum = {50, 10};
        s.filter = filter;
        CorrelationRecord record;
        std::string error;
        EXPECT_TRUE(GenerateRecord(s, record, error)) << error;
        test::Recomputed r(record);
        distance = r.doc->distanceFromSensor1();
        int count = 0;
        for (int c = 0; c < kGraphWidth; ++c) count += r.doc->displayTrace()[c] >= kTraceTop / 2;
        return count;
    };
    FilterSettings none, notched, autoFiltered;
    for (int h = 0; h < kNotchCount; ++h) notched.notches[h] = {50.0f * float(h + 1) - 20, 50.0f * float(h + 1) + 20};
    autoFiltered = notched;
    autoFiltered.autoFilter = 1;
    float d0 = 0, d1 = 0, d2 = 0;
    const int hum = columnsAboveHalf(none, d0);
    const int clean = columnsAboveHalf(notched, d1);
    const int ignored = columnsAboveHalf(autoFiltered, d2);
    EXPECT_GT(hum, 100);  // a ridge every period of the hum
    EXPECT_LE(clean, 3);  // the leak's own peak
    EXPECT_EQ(ignored, hum);
    EXPECT_NEAR(d1, 60, 1.0);
}

}  // namespace
}  // namespace vexlan::kedgen
