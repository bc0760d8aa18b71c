#pragma once
// The correlation graph as pixels: one bar per graph column, the cursor and the pending start
// line of a removed region.

#include <cstdint>

#include "raster/PixelBuffer.h"

namespace vexlan {

constexpr Rgb kBarColour = MakeRgb(0, 125, 0);
constexpr Rgb kLeftBarColour = MakeRgb(0, 128, 0);  // the column the cursor just left
constexpr Rgb kCursorInPipe = MakeRgb(0, 0, 0);
constexpr Rgb kCursorBeyondPipe = MakeRgb(255, 0, 0);
constexpr Rgb kStartLineColour = MakeRgb(255, 102, 0);

// Rows below y take the colour, rows from y up to the top are white; so a cursor drawn with y = 0
// leaves the top row white.
void DrawColumn(PixelBuffer& buffer, int x, int y, Rgb colour);

// Every column from the trace (one value per buffer column), bar heights limited to the height.
void DrawGraph(PixelBuffer& buffer, const std::uint8_t* trace, int traceLength);

struct CursorState {
    int cursorColumn = 0;
    int previousCursorColumn = -1;
    float timeDelay = 0;
    float totalTravelTime = 0;
    bool startPointPending = false;
    int startColumn = 0;
};

// Redraws the column the cursor left, then the cursor and the pending start line.
void DrawCursor(PixelBuffer& buffer, const std::uint8_t* trace, int traceLength, const CursorState& state);

bool DelayBeyondPipe(float timeDelay, float totalTravelTime);

}  // namespace vexlan
