#pragma once
// The pipe scale bar: the in-use segments side by side, each as wide as its share of the pipe.

#include "raster/PixelBuffer.h"

namespace vexlan {

extern const Rgb kSegmentColours[10];
constexpr Rgb kEmptyScaleBarColour = MakeRgb(192, 192, 192);

// lengths: the first segmentsInUse segment lengths; totalLength as the document gives it (>= 0.1).
// Widths are truncated; the pixels lost to truncation take the last segment's colour.
void DrawScaleBar(PixelBuffer& buffer, const float* lengths, int segmentsInUse, float totalLength);

// Slider position for the distance from sensor 1 on a bar of the given width.
int SliderPositionFor(float distanceFromSensor1, float totalLength, int width);

// The leak's interval as a bracket over the bar, from and to in the slider's positions.
constexpr Rgb kIntervalBracketColour = MakeRgb(255, 255, 255);
void DrawIntervalBracket(PixelBuffer& buffer, int from, int to);

}  // namespace vexlan
