#include "correlation/SineTable.h"

#include <array>
#include <cmath>

namespace vexlan {

namespace {

std::array<std::int16_t, kSineTableSize> BuildTable() {
    std::array<std::int16_t, kSineTableSize> table{};
    const double step = std::acos(-1.0) / 4096.0;
    for (int i = 0; i < kSineTableSize; ++i)
        table[i] = static_cast<std::int16_t>(std::lround(32767.0 * std::sin(i * step)));
    return table;
}

}  // namespace

const std::int16_t* QuarterSineTable() {
    static const std::array<std::int16_t, kSineTableSize> table = BuildTable();
    return table.data();
}

}  // namespace vexlan
