#pragma once
// Fixed-point transforms of the correlation recomputation: 16-bit values, 32-bit intermediates,
// Q15 twiddles from the quarter-wave sine table. The results are exactly those of the
// instrument's own arithmetic (truncating products, block scaling by halving), so the fast
// implementation must never reorder or fuse an operation that changes a rounding.

#include <cstdint>

#include "correlation/SineTable.h"

namespace vexlan::fft {

constexpr int kMaxRealPoints = 8192;
constexpr int kMaxComplexPoints = kMaxRealPoints / 2;
constexpr int kAngleSteps = 4096;              // angle index a stands for a * pi / 4096
constexpr int kQuarterTurn = kAngleSteps / 2;  // where the quarter-wave sine table ends
constexpr std::int32_t kHalfScale = 16383;     // a stage whose inputs exceed this halves them

enum class Direction { Forward, Inverse };

// A product with a Q15 twiddle, truncated towards minus infinity as the instrument does.
inline std::int32_t MulQ15(std::int32_t x, std::int32_t w) { return (x * w) >> 15; }

struct Twiddle {
    std::int32_t cos;
    std::int32_t sin;
};

// Twiddle for angle index a = 0..4095; the inverse direction negates the sine.
inline Twiddle TwiddleAt(int a, Direction direction) {
    const std::int16_t* table = QuarterSineTable();
    Twiddle w;
    if (a < kQuarterTurn) {
        w.cos = table[kQuarterTurn - a];
        w.sin = table[a];
    } else {
        w.cos = -table[a - kQuarterTurn];
        w.sin = table[kAngleSteps - a];
    }
    if (direction == Direction::Inverse) w.sin = -w.sin;
    return w;
}

// Split-out real and imaginary parts used while the complex stages run; owned by the caller so
// that no transform allocates.
struct FftWorkspace {
    alignas(64) std::int16_t re[kMaxComplexPoints];
    alignas(64) std::int16_t im[kMaxComplexPoints];
    // The first three stages run on the points regrouped by their position within each group of
    // eight, so that they vectorise like the later ones; these hold that arrangement.
    alignas(64) std::int16_t groupedRe[kMaxComplexPoints];
    alignas(64) std::int16_t groupedIm[kMaxComplexPoints];
};

// Which vector width the transforms may use; both give the same bits. Narrow keeps to the
// baseline 128-bit lanes (so that tests cover that path on any processor).
enum class Lanes { Widest, Narrow };

// True for the sizes the transforms accept: powers of two up to the limit.
bool IsTransformSize(int count, int limit);

// Complex FFT of pointCount points held as 2 * pointCount interleaved values, in place.
// pointCount must be a power of two, 1..4096; other sizes leave the data untouched.
void ComplexFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& work,
                Lanes lanes = Lanes::Widest);

// Inverse real FFT of n points in place: values holds n/2 bins as (re, im) pairs with the Nyquist
// term in value 1; afterwards it holds the n real values, zero lag at index 0. n must be a power
// of two, 2..8192; other sizes leave the data untouched.
void InverseRealFft(std::int16_t* values, int n, FftWorkspace& work, Lanes lanes = Lanes::Widest);

}  // namespace vexlan::fft
