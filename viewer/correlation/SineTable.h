#pragma once
// Q15 quarter-wave sine table shared by the fixed-point transforms: entry i is the nearest
// integer to 32767 * sin(i * pi / 4096), i = 0..2048.

#include <cstdint>

namespace vexlan {

constexpr int kSineTableSize = 2049;

// The table is built on first use and never changes afterwards.
const std::int16_t* QuarterSineTable();

}  // namespace vexlan
