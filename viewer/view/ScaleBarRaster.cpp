#include "view/ScaleBarRaster.h"

#include <cmath>

namespace vexlan {

const Rgb kSegmentColours[10] = {
    MakeRgb(153, 0, 0),   MakeRgb(204, 0, 0),   MakeRgb(253, 0, 0),  MakeRgb(255, 102, 0), MakeRgb(204, 102, 0),
    MakeRgb(153, 102, 0), MakeRgb(102, 102, 0), MakeRgb(51, 102, 0), MakeRgb(0, 102, 102), MakeRgb(0, 102, 153),
};

namespace {

// Truncation toward zero that cannot overflow on absurd lengths.
int TruncatedWidth(double w, int limit) {
    if (!(w > 0)) return 0;
    if (w > limit) return limit;
    return static_cast<int>(w);
}

}  // namespace

void DrawScaleBar(PixelBuffer& buffer, const float* lengths, int segmentsInUse, float totalLength) {
    if (segmentsInUse <= 0 || !lengths) {
        buffer.Fill(kEmptyScaleBarColour);
        return;
    }
    if (segmentsInUse > 10) segmentsInUse = 10;
    const int width = buffer.width();
    const float scale = totalLength > 0 ? static_cast<float>(width) / totalLength : 0.0f;
    int x = 0;
    for (int i = 0; i < segmentsInUse; ++i) {
        int w = TruncatedWidth(static_cast<double>(lengths[i] * scale), width);
        buffer.FillRect(x, 0, x + w, buffer.height(), kSegmentColours[i]);
        x += w;
        if (x > width) x = width;
    }
    if (x < width) buffer.FillRect(x, 0, width, buffer.height(), kSegmentColours[segmentsInUse - 1]);
}

int SliderPositionFor(float distanceFromSensor1, float totalLength, int width) {
    if (!(totalLength > 0) || width <= 0) return 0;
    const float pixelLength = totalLength / static_cast<float>(width);
    const float position = distanceFromSensor1 / pixelLength;
    if (!(position > 0)) return 0;
    if (position > static_cast<float>(width)) return width;
    return static_cast<int>(position);
}

void DrawIntervalBracket(PixelBuffer& buffer, int from, int to) {
    const int last = buffer.width() - 1;
    from = from < 0 ? 0 : from > last ? last : from;
    to = to < from ? from : to > last ? last : to;
    const int h = buffer.height();
    // A two-pixel upright at each end with arms pointing inward, top and bottom: [ ].
    constexpr int kArm = 6;
    buffer.FillRect(from, 0, from + 2, h, kIntervalBracketColour);
    buffer.FillRect(to - 1, 0, to + 1, h, kIntervalBracketColour);
    for (int y : {0, h - 1}) {
        buffer.HLine(from, from + kArm, y, kIntervalBracketColour);
        buffer.HLine(to + 1 - kArm, to + 1, y, kIntervalBracketColour);
    }
}

}  // namespace vexlan
