#include <gtest/gtest.h>

#include "view/GraphRaster.h"
#include "view/ScaleBarRaster.h"
#include "view/SensorArt.h"
#include "view/ViewDocument.h"

using namespace vexlan;

namespace {

int ColouredRows(const PixelBuffer& p, int x, Rgb colour) {
    int n = 0;
    for (int y = 0; y < p.height(); ++y) n += p.At(x, y) == colour;
    return n;
}

}  // namespace

TEST(GraphRaster, BarsRiseFromTheBottomAndEveryPixelIsPainted) {
    PixelBuffer p(kGraphWidth, kGraphHeight, MakeRgb(1, 2, 3));
    std::uint8_t trace[kGraphWidth] = {};
    trace[10] = 179;
    trace[11] = 1;
    trace[12] = 255;  // more than the height is limited to it
    DrawGraph(p, trace, kGraphWidth);
    // A bar of value v colours the rows below H - v.
    EXPECT_EQ(ColouredRows(p, 10, kBarColour), 178);
    EXPECT_EQ(p.At(10, kGraphHeight - 179), kWhite);
    EXPECT_EQ(p.At(10, kGraphHeight - 178), kBarColour);
    EXPECT_EQ(ColouredRows(p, 11, kBarColour), 0);
    // A full-height bar still leaves the top row white: the white line always covers row y.
    EXPECT_EQ(ColouredRows(p, 12, kBarColour), kGraphHeight - 1);
    EXPECT_EQ(p.At(12, 0), kWhite);
    EXPECT_EQ(ColouredRows(p, 0, kWhite), kGraphHeight);
    for (int x = 0; x < kGraphWidth; ++x)
        for (int y = 0; y < kGraphHeight; ++y) ASSERT_NE(p.At(x, y), MakeRgb(1, 2, 3));
}

TEST(GraphRaster, CursorAtBothEdgesLeavesTheTopRowWhite) {
    std::uint8_t trace[kGraphWidth] = {};
    for (int column : {0, kGraphWidth - 1}) {
        PixelBuffer p(kGraphWidth, kGraphHeight);
        DrawGraph(p, trace, kGraphWidth);
        CursorState s;
        s.cursorColumn = column;
        s.previousCursorColumn = -1;
        DrawCursor(p, trace, kGraphWidth, s);
        EXPECT_EQ(p.At(column, 0), kWhite);
        EXPECT_EQ(ColouredRows(p, column, kCursorInPipe), kGraphHeight - 1) << column;
        int neighbour = column == 0 ? 1 : column - 1;
        EXPECT_EQ(ColouredRows(p, neighbour, kCursorInPipe), 0);
    }
}

TEST(GraphRaster, CursorColourAndTheColumnItLeft) {
    std::uint8_t trace[kGraphWidth] = {};
    trace[100] = 50;
    PixelBuffer p(kGraphWidth, kGraphHeight);
    DrawGraph(p, trace, kGraphWidth);
    CursorState s;
    s.cursorColumn = 100;
    s.previousCursorColumn = 700;  // off the graph: nothing to redraw
    s.timeDelay = -0.2f;
    s.totalTravelTime = 0.1f;
    DrawCursor(p, trace, kGraphWidth, s);
    EXPECT_EQ(p.At(100, 1), kCursorBeyondPipe);

    s.previousCursorColumn = 100;
    s.cursorColumn = 200;
    s.timeDelay = 0.1f;  // exactly the travel time: still inside
    DrawCursor(p, trace, kGraphWidth, s);
    EXPECT_EQ(p.At(200, 5), kCursorInPipe);
    EXPECT_EQ(ColouredRows(p, 100, kLeftBarColour), 49);
    EXPECT_EQ(p.At(100, 1), kWhite);
}

TEST(GraphRaster, PendingStartLineIsOrange) {
    std::uint8_t trace[kGraphWidth] = {};
    PixelBuffer p(kGraphWidth, kGraphHeight);
    CursorState s;
    s.cursorColumn = 300;
    s.startPointPending = true;
    s.startColumn = 250;
    DrawCursor(p, trace, kGraphWidth, s);
    EXPECT_EQ(ColouredRows(p, 250, kStartLineColour), kGraphHeight - 1);
    s.startPointPending = false;
    PixelBuffer q(kGraphWidth, kGraphHeight);
    DrawCursor(q, trace, kGraphWidth, s);
    EXPECT_EQ(ColouredRows(q, 250, kStartLineColour), 0);
}

TEST(ScaleBar, SegmentsTakeTheirShareAndTheLastColourFillsTheRest) {
    PixelBuffer p(kScaleBarWidth, kScaleBarHeight);
    const float lengths[] = {10, 20, 70};
    DrawScaleBar(p, lengths, 3, 100);
    auto runOf = [&](Rgb c) {
        int n = 0;
        for (int x = 0; x < p.width(); ++x) n += p.At(x, 5) == c;
        return n;
    };
    EXPECT_EQ(runOf(kSegmentColours[0]), 62);
    EXPECT_EQ(runOf(kSegmentColours[1]), 125);
    EXPECT_EQ(runOf(kSegmentColours[2]), 437 + 1);  // the truncated pixel is in the third colour
    EXPECT_EQ(p.At(61, 0), kSegmentColours[0]);
    EXPECT_EQ(p.At(62, 11), kSegmentColours[1]);
    EXPECT_EQ(p.At(187, 0), kSegmentColours[2]);
    EXPECT_EQ(p.At(624, 11), kSegmentColours[2]);
}

TEST(ScaleBar, NoSegmentsShowsTheEmptyBarAndAbsurdLengthsStayInside) {
    PixelBuffer p(kScaleBarWidth, kScaleBarHeight);
    DrawScaleBar(p, nullptr, 0, 0.1f);
    EXPECT_EQ(p.At(300, 6), kEmptyScaleBarColour);
    const float lengths[] = {1e30f, 5};
    DrawScaleBar(p, lengths, 2, 0.1f);  // a total that does not match the segments
    EXPECT_EQ(p.At(0, 0), kSegmentColours[0]);
    EXPECT_EQ(p.At(624, 0), kSegmentColours[0]);
}

TEST(ScaleBar, SliderPointsAtTheLeak) {
    EXPECT_EQ(SliderPositionFor(50, 100, kScaleBarWidth), 312);
    EXPECT_EQ(SliderPositionFor(75, 100, kScaleBarWidth), 468);
    EXPECT_EQ(SliderPositionFor(0, 100, kScaleBarWidth), 0);
    EXPECT_EQ(SliderPositionFor(100, 100, kScaleBarWidth), kScaleBarWidth);
    EXPECT_EQ(SliderPositionFor(5, 0, kScaleBarWidth), 0);
}

TEST(SensorArt, PairsRankRedBlueYellowHandset) {
    SensorPictures s{};
    ASSERT_TRUE(SensorPicturesFor(3, s));
    EXPECT_EQ(s.left, SensorKind::Red);
    EXPECT_EQ(s.right, SensorKind::Handset);
    ASSERT_TRUE(SensorPicturesFor(12, s));
    EXPECT_EQ(s.left, SensorKind::Blue);
    EXPECT_EQ(s.right, SensorKind::Yellow);
    ASSERT_TRUE(SensorPicturesFor(9, s));
    EXPECT_EQ(s.left, SensorKind::Yellow);
    for (int bad : {0, 1, 2, 7, 15, -1, 127}) EXPECT_FALSE(SensorPicturesFor(bad, s)) << bad;
    EXPECT_EQ(DrawSensorPicture(SensorKind::Handset).width(), 48);
    EXPECT_EQ(DrawSensorPicture(SensorKind::Blue).width(), 40);
    EXPECT_EQ(DrawSensorPicture(SensorKind::Blue).height(), 51);
}
