#pragma once
// The correlation graph: the engine computes one value per column, the form draws them in a
// picture of this size, and the report prints the same columns.

namespace vexlan {

constexpr int kGraphWidth = 620;
constexpr int kGraphHeight = 193;
constexpr int kGraphCentre = kGraphWidth / 2;  // the column of zero delay

}  // namespace vexlan
