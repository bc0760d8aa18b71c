#include "SpectrumRaster.h"

#include <cstdlib>

namespace vexlan {
namespace {

constexpr float kColumnsPerHertz = 0.41311476f;
constexpr Rgb kRed = MakeRgb(255, 0, 0);
constexpr Rgb kBlue = MakeRgb(0, 0, 255);
constexpr Rgb kYellow = MakeRgb(255, 255, 0);

double Scaled(float hertz) { return static_cast<double>(hertz) * static_cast<double>(kColumnsPerHertz); }

void Line(PixelBuffer& b, int x0, int y0, int x1, int y1, Rgb c) {
    // Bresenham without the end point, as a one-pixel pen draws it.
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        b.Set(x0, y0, c);
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
}

}  // namespace

Rgb SpectrumTraceColour(int sensorPair, SpectrumGraph graph) {
    bool upper = graph == SpectrumGraph::Upper;
    switch (sensorPair) {
        case 3: return upper ? kBlack : kRed;
        case 5: return upper ? kBlack : kBlue;
        case 6: return upper ? kBlue : kRed;
        case 9: return upper ? kBlack : kYellow;
        case 10: return upper ? kYellow : kRed;
        case 12: return upper ? kYellow : kBlue;
        default: return kBlack;
    }
}

Rgb ColumnColour(int x, Rgb traceColour, const FilterSettings& filter, unsigned notchCount) {
    if (filter.lowCutoff > 0 && x < static_cast<int>(Scaled(filter.lowCutoff))) return kRemovedGrey;
    if (filter.highCutoff > 0 && x > static_cast<int>(Scaled(filter.highCutoff))) return kRemovedGrey;
    for (unsigned i = 0; i < notchCount && i < static_cast<unsigned>(kNotchCount); ++i) {
        const NotchFilter& n = filter.notches[i];
        if (n.notchStart > 0 && x > Scaled(n.notchStart) && x < Scaled(n.notchEnd)) return kRemovedGrey;
    }
    return traceColour;
}

void DrawSpectrum(PixelBuffer& buffer, const std::int16_t* spectrum, Rgb traceColour,
                  const FilterSettings& filter, unsigned notchCount) {
    buffer.Fill(kWhite);
    int prevY = 0;
    for (int x = 0; x < buffer.width(); ++x) {
        int a = spectrum[2 * x], b = spectrum[2 * x + 1];
        int y = -(a > b ? a : b);
        if (x > 0) Line(buffer, x - 1, prevY, x, y, ColumnColour(x, traceColour, filter, notchCount));
        prevY = y;
    }
}

}  // namespace vexlan
