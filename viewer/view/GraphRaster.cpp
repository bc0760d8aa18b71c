#include "view/GraphRaster.h"

#include <cmath>

namespace vexlan {
namespace {

int BarTop(const PixelBuffer& buffer, const std::uint8_t* trace, int traceLength, int x) {
    int v = (trace && x >= 0 && x < traceLength) ? trace[x] : 0;
    if (v > buffer.height()) v = buffer.height();
    return buffer.height() - v;
}

}  // namespace

void DrawColumn(PixelBuffer& buffer, int x, int y, Rgb colour) {
    if (x < 0 || x >= buffer.width()) return;
    // A line drawn up from the bottom edge stops short of row y, which starts the white part.
    buffer.VLine(x, y + 1, buffer.height(), colour);
    buffer.VLine(x, 0, y + 1, kWhite);
}

void DrawGraph(PixelBuffer& buffer, const std::uint8_t* trace, int traceLength) {
    for (int x = 0; x < buffer.width(); ++x) DrawColumn(buffer, x, BarTop(buffer, trace, traceLength, x), kBarColour);
}

bool DelayBeyondPipe(float timeDelay, float totalTravelTime) { return totalTravelTime < std::fabs(timeDelay); }

void DrawCursor(PixelBuffer& buffer, const std::uint8_t* trace, int traceLength, const CursorState& state) {
    int previous = state.previousCursorColumn;
    if (previous >= 0 && previous < buffer.width())
        DrawColumn(buffer, previous, BarTop(buffer, trace, traceLength, previous), kLeftBarColour);
    Rgb cursor = DelayBeyondPipe(state.timeDelay, state.totalTravelTime) ? kCursorBeyondPipe : kCursorInPipe;
    DrawColumn(buffer, state.cursorColumn, 0, cursor);
    if (state.startPointPending) DrawColumn(buffer, state.startColumn, 0, kStartLineColour);
}

}  // namespace vexlan
