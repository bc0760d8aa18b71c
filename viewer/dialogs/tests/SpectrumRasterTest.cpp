#include <gtest/gtest.h>

#include "dialogs/FilterSettingsLogic.h"
#include "dialogs/SpectrumRaster.h"

using namespace vexlan;

namespace {
std::int16_t g_spectrum[2048];
constexpr Rgb kRed = MakeRgb(255, 0, 0);
constexpr Rgb kBlue = MakeRgb(0, 0, 255);

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
// Colours found in a column of the drawing.
bool ColumnHas(const PixelBuffer& b, int x, Rgb colour) {
    for (int y = 0; y < b.height(); ++y)
        if (b.At(x, y) == colour) return true;
    return false;
}

TEST(SpectrumRaster, FullScaleBinRisesToTheTopEdgeAndExtremesAreClipped) {
    for (auto& v : g_spectrum) v = -154;
    g_spectrum[2 * 100 + 1] = 5;  // the loudest a real recording gets: above the top edge
    g_spectrum[2 * 300] = 32767;  // and far beyond, either way
    g_spectrum[2 * 400] = -32768;
    PixelBuffer b(kSpectrumGraphWidth, kSpectrumGraphHeight);
    DrawSpectrum(b, g_spectrum, kBlue, FilterSettings{}, 0);
    EXPECT_TRUE(b.At(99, 0) == kBlue || b.At(100, 0) == kBlue);
    EXPECT_EQ(b.At(98, 0), kWhite);
    for (int y = 0; y <= 154; ++y) EXPECT_TRUE(b.At(99, y) == kBlue || b.At(100, y) == kBlue) << y;
    EXPECT_TRUE(ColumnHas(b, 299, kBlue) || ColumnHas(b, 300, kBlue));
    EXPECT_EQ(b.At(250, 154), kBlue);  // the floor between them is untouched by the extremes
    EXPECT_EQ(b.At(250, 153), kWhite);
}

TEST(SpectrumRaster, GreyBandsAtTheSliderLimits) {
    for (auto& v : g_spectrum) v = -60;
    PixelBuffer b(kSpectrumGraphWidth, kSpectrumGraphHeight);
    // Low cut-off at the top of the scale: every drawn column is removed.
    FilterSettings all;
    all.lowCutoff = PositionFrequency(kSliderMaximum);
    EXPECT_EQ(all.lowCutoff, 1220.0f);
    DrawSpectrum(b, g_spectrum, kRed, all, 0);
    for (int x = 1; x < kSpectrumGraphWidth - 1; ++x) {
        EXPECT_EQ(b.At(x, 60), kRemovedGrey) << x;
        EXPECT_FALSE(ColumnHas(b, x, kRed)) << x;
    }
    // High cut-off there: nothing is removed, the column that holds 1220 Hz keeps the trace.
    FilterSettings none;
    none.highCutoff = PositionFrequency(kSliderMaximum);
    DrawSpectrum(b, g_spectrum, kRed, none, 0);
    for (int x = 0; x < kSpectrumGraphWidth - 1; ++x) EXPECT_EQ(b.At(x, 60), kRed) << x;
    // A Set at slider position 0 stores 0, which filters nothing.
    FilterSettings zero;
    zero.lowCutoff = PositionFrequency(0);
    zero.highCutoff = PositionFrequency(0);
    DrawSpectrum(b, g_spectrum, kRed, zero, 0);
    for (int x = 0; x < kSpectrumGraphWidth - 1; ++x) EXPECT_EQ(b.At(x, 60), kRed) << x;
    // A notch over the whole scale greys everything between its edges.
    FilterSettings notch;
    notch.notches[0] = {PositionFrequency(1), PositionFrequency(kSliderMaximum)};
    DrawSpectrum(b, g_spectrum, kRed, notch, 1);
    EXPECT_EQ(b.At(0, 60), kRed);
    for (int x = 1; x < kSpectrumGraphWidth - 1; ++x) EXPECT_EQ(b.At(x, 60), kRemovedGrey) << x;
}
}  // namespace
