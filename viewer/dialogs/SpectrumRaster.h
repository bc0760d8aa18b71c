#pragma once
// The two power spectral density graphs of the filter dialog as pixels: one column per slider
// position, traces in the sensors' colours (yellow with a dark edge) and every column the
// filters remove in grey on a shaded background.

#include <cstdint>

#include "correlation/CorrelationRecord.h"
#include "raster/PixelBuffer.h"

namespace vexlan {

constexpr int kSpectrumGraphWidth = 504;
constexpr int kSpectrumGraphHeight = 157;
constexpr Rgb kRemovedGrey = MakeRgb(128, 128, 128);
constexpr Rgb kRemovedBand = MakeRgb(205, 205, 205);  // background of the removed columns

enum class SpectrumGraph { Upper, Lower };

Rgb SpectrumTraceColour(int sensorPair, SpectrumGraph graph);
Rgb ColumnColour(int x, Rgb traceColour, const FilterSettings& filter, unsigned notchCount);
// spectrum holds at least 2 × buffer width values.
void DrawSpectrum(PixelBuffer& buffer, const std::int16_t* spectrum, Rgb traceColour, const FilterSettings& filter,
                  unsigned notchCount);

}  // namespace vexlan
