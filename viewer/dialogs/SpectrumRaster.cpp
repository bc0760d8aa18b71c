#include "dialogs/SpectrumRaster.h"

#include <cstdlib>

namespace vexlan {
namespace {

constexpr float kColumnsPerHertz = 0.41311476f;
constexpr Rgb kRed = MakeRgb(255, 0, 0);
constexpr Rgb kBlue = MakeRgb(0, 0, 255);
constexpr Rgb kYellow = MakeRgb(255, 255, 0);

double Scaled(float hertz) { return static_cast<double>(hertz) * static_cast<double>(kColumnsPerHertz); }

// A trace too pale to read on white is drawn over a darker edge of its own hue.
constexpr Rgb kYellowEdge = MakeRgb(140, 110, 0);

// Bresenham without the end point, as a one-pixel pen draws it; a pen of width 3 when `wide`.
void Line(PixelBuffer& b, int x0, int y0, int x1, int y1, Rgb c, bool wide = false) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        if (wide)
            b.FillRect(x0 - 1, y0 - 1, x0 + 2, y0 + 2, c);
        else
            b.Set(x0, y0, c);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
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

void DrawSpectrum(PixelBuffer& buffer, const std::int16_t* spectrum, Rgb traceColour, const FilterSettings& filter,
                  unsigned notchCount) {
    buffer.Fill(kWhite);
    // Removed columns get a shaded background, so that even a narrow notch shows at a glance.
    for (int x = 0; x < buffer.width(); ++x)
        if (ColumnColour(x, traceColour, filter, notchCount) == kRemovedGrey && traceColour != kRemovedGrey)
            buffer.VLine(x, 0, buffer.height(), kRemovedBand);
    auto yAt = [&](int x) {
        int a = spectrum[2 * x], b = spectrum[2 * x + 1];
        return -(a > b ? a : b);
    };
    const bool edged = traceColour == kYellow;
    for (int pass = edged ? 0 : 1; pass < 2; ++pass) {
        for (int x = 1; x < buffer.width(); ++x) {
            const Rgb c = ColumnColour(x, traceColour, filter, notchCount);
            if (pass == 0 && c != traceColour) continue;
            Line(buffer, x - 1, yAt(x - 1), x, yAt(x), pass == 0 ? kYellowEdge : c, pass == 0);
        }
    }
}

}  // namespace vexlan
