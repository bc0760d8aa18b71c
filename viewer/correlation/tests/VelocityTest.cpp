#include <gtest/gtest.h>

#include "correlation/Velocity.h"

using namespace vexlan::velocity;

namespace {

MaterialList ShippedList() {
    MaterialList list;
    std::string error;
    EXPECT_TRUE(LoadMaterialList(DefaultMaterialListPath(), list, error)) << error;
    return list;
}

}  // namespace

// The published figures are checked end to end by the command line's tests.
TEST(VelocityTest, CalculatorTakesTheBoreAndRefusesBadWalls) {
    const MaterialList list = ShippedList();
    const WallMaterial* iron = list.Find("Ductile Iron");
    ASSERT_NE(iron, nullptr);
    // HDPE SDR 11, 110 mm: bore 90 mm, wall 10 mm, by hand 1481.35 / sqrt(1 + 2.19 * 9 / 1.0).
    const Outcome wall = WallFromSdr(110, 11);
    EXPECT_NEAR(WaveSpeed(list.water, list.Find("hdpe")->modulusPa, 110, wall.value).value, 325.5, 0.2);
    EXPECT_EQ(WaveSpeed(list.water, iron->modulusPa, 100, 0).errorId, 62240);
    EXPECT_EQ(WaveSpeed(list.water, iron->modulusPa, 100, 50).errorId, 62241);
    EXPECT_EQ(WallFromSdr(100, 1.5).errorId, 62242);
}

TEST(VelocityTest, KnownSourceScalesEveryVelocityAndRefusesWrongSigns) {
    const std::vector<Segment> stored{{60, 1000}, {40, 400}};
    std::vector<Segment> real = stored;
    for (Segment& s : real) s.velocity *= 1.15;
    const double delay = DelayOfPosition(real, 25);
    EXPECT_NEAR(KnownSourceFactor(stored, SourcePlace::AtDistance, 25, delay, 1e-3).value, 1.15, 1e-9);
    EXPECT_NEAR(KnownSourceFactor(stored, SourcePlace::BeyondSensor2, 0, 0.1, 1e-3).value,
                (60 / 1000.0 + 40 / 400.0) / 0.1, 1e-9);
    // One segment: v = (2x − L) / tau.
    EXPECT_NEAR(1000 * KnownSourceFactor({{100, 1000}}, SourcePlace::AtDistance, 20, -0.05, 1e-3).value, 1200, 1e-6);
    EXPECT_EQ(KnownSourceFactor(stored, SourcePlace::AtDistance, 25, -delay, 1e-3).errorId, 62246);
    EXPECT_EQ(KnownSourceFactor(stored, SourcePlace::BeyondSensor1, 0, 0.1, 1e-3).errorId, 62246);
    EXPECT_EQ(KnownSourceFactor(stored, SourcePlace::AtDistance, 25, 2e-4, 1e-3).errorId, 62245);
    EXPECT_EQ(KnownSourceFactor(stored, SourcePlace::AtDistance, 120, delay, 1e-3).errorId, 62244);
}

TEST(VelocityTest, IntervalHoldsTheLeakAndFitFindsVelocityAndPosition) {
    const std::vector<Segment> pipe{{100, 1250}};
    const Interval in = PositionInterval(pipe, 0.02, 0.004, 0.05);
    EXPECT_LT(in.from, 62.5);
    EXPECT_GT(in.to, 62.5);
    EXPECT_NEAR(in.to - in.from, 2 * (0.002 * 1250 / 2 + 0.05 * 0.02 * 1250 / 2), 0.2);

    std::vector<double> lengths{100, 150, 220}, delays;
    for (double l : lengths) delays.push_back((2 * 40 - l) / 1250);
    const FitResult fit = FitVelocityAndLeak(lengths, delays);
    EXPECT_NEAR(fit.velocity, 1250, 1e-6);
    EXPECT_NEAR(fit.leakDistance, 40, 1e-6);
    EXPECT_EQ(FitVelocityAndLeak({100, 100}, {0.01, 0.02}).errorId, 62249);
}
