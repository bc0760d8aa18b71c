#include <gtest/gtest.h>

#include "SpectrumRaster.h"

using namespace vexlan;

namespace {
std::int16_t g_spectrum[2048];

TEST(SpectrumRaster, ZeroSpectrumIsFlatOnRow154) {
    for (auto& v : g_spectrum) v = -154;
    PixelBuffer b(kSpectrumGraphWidth, kSpectrumGraphHeight);
    DrawSpectrum(b, g_spectrum, kBlack, FilterSettings{}, 0);
    for (int x = 0; x < 503; ++x) {
        EXPECT_EQ(b.At(x, 154), kBlack) << x;
        EXPECT_EQ(b.At(x, 153), kWhite) << x;
    }
}

TEST(SpectrumRaster, GreyColumnsAtCutoffsAndNotches) {
    FilterSettings f;
    f.lowCutoff = 100;
    f.highCutoff = 1000;
    f.notches[0] = {200, 300};
    EXPECT_EQ(ColumnColour(40, kBlack, f, 1), kRemovedGrey);
    EXPECT_EQ(ColumnColour(41, kBlack, f, 1), kBlack);
    EXPECT_EQ(ColumnColour(413, kBlack, f, 1), kBlack);
    EXPECT_EQ(ColumnColour(414, kBlack, f, 1), kRemovedGrey);
    EXPECT_EQ(ColumnColour(82, kBlack, f, 1), kBlack);
    EXPECT_EQ(ColumnColour(83, kBlack, f, 1), kRemovedGrey);
    EXPECT_EQ(ColumnColour(123, kBlack, f, 1), kRemovedGrey);
    EXPECT_EQ(ColumnColour(124, kBlack, f, 1), kBlack);
    EXPECT_EQ(ColumnColour(100, kBlack, f, 0), kBlack);  // notch not counted
    FilterSettings p3;
    p3.lowCutoff = 3 * 2.420635f;
    EXPECT_EQ(ColumnColour(1, kBlack, p3, 0), kRemovedGrey);
    EXPECT_EQ(ColumnColour(2, kBlack, p3, 0), kBlack);
}

TEST(SpectrumRaster, TraceColoursBySensorPair) {
    EXPECT_EQ(SpectrumTraceColour(6, SpectrumGraph::Upper), MakeRgb(0, 0, 255));
    EXPECT_EQ(SpectrumTraceColour(6, SpectrumGraph::Lower), MakeRgb(255, 0, 0));
    for (int code : {0, 7, -1}) {
        EXPECT_EQ(SpectrumTraceColour(code, SpectrumGraph::Upper), kBlack);
        EXPECT_EQ(SpectrumTraceColour(code, SpectrumGraph::Lower), kBlack);
    }
}
}  // namespace
