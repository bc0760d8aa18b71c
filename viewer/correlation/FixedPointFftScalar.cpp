// The transforms one value at a time: every size where no vector lanes apply, and the split
// step's bins that the wide lanes leave over.
#include "correlation/FixedPointFftInternal.h"

namespace vexlan::fft::detail {

namespace {

// One lane in 32-bit arithmetic, stored back in 16 bits.
struct ScalarLanes {
    using Vec = std::int32_t;
    using Shift = int;
    static constexpr int kCount = 1;

    static Vec Load(const std::int16_t* p) { return *p; }
    static void Put(std::int16_t* p, Vec v) { *p = static_cast<std::int16_t>(v); }
    static Vec Splat(std::int16_t x) { return x; }
    static Shift MakeShift(int bits) { return bits; }
    static Vec ShiftRight(Vec v, Shift s) { return v >> s; }
    static Vec Add(Vec a, Vec b) { return a + b; }
    static Vec Sub(Vec a, Vec b) { return a - b; }
    static Vec Half(Vec v) { return v >> 1; }
    static Vec Negate(Vec v) { return -v; }
    static Vec MulQ15(Vec x, Vec w) { return fft::MulQ15(x, w); }

    // Smallest and largest stored value, starting from 0.
    struct Range {
        std::int16_t lo = 0;
        std::int16_t hi = 0;
        void Add(Vec v) {
            const auto stored = static_cast<std::int16_t>(v);
            lo = stored < lo ? stored : lo;
            hi = stored > hi ? stored : hi;
        }
        bool ExceedsHalfScale() const { return hi > kHalfScale || lo < -kHalfScale; }
    };
};

// Splits interleaved points into re/im in bit-reversed order and returns their range.
ScalarLanes::Range LoadReversed(const std::int16_t* values, int pointCount, FftWorkspace& work) {
    const int drop = kMaxBits - Log2(pointCount);
    const std::uint16_t* reversed = Tables().reversed;
    ScalarLanes::Range range;
    for (int i = 0; i < pointCount; ++i) {
        const int r = reversed[i] >> drop;
        work.re[r] = values[2 * i];
        work.im[r] = values[2 * i + 1];
        range.Add(values[2 * i]);
        range.Add(values[2 * i + 1]);
    }
    return range;
}

void Store(const FftWorkspace& work, int pointCount, std::int16_t* values) {
    for (int i = 0; i < pointCount; ++i) {
        values[2 * i] = work.re[i];
        values[2 * i + 1] = work.im[i];
    }
}

}  // namespace

// A stage halves its inputs once any value before it exceeds half scale.
void ScalarFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& work) {
    const StageTwiddles& t = Tables();
    const std::int16_t* sinTable = direction == Direction::Forward ? t.sinForward : t.sinInverse;
    bool exceeds = LoadReversed(values, pointCount, work).ExceedsHalfScale();
    bool halving = false;
    for (int span = 1; span < pointCount; span <<= 1) {
        halving = halving || exceeds;
        exceeds = RunNaturalStage<ScalarLanes>(work, pointCount, span, sinTable, halving);
    }
    Store(work, pointCount, values);
}

// Joins the two half-length spectra of the packed real transform (inverse sign convention).
// Angles i * 8192 / n stay below a quarter turn, so the twiddles come straight from the table.
void ScalarSplitStep(std::int16_t* v, int n, int first) {
    const std::int16_t* sine = QuarterSineTable();
    const int step = 2 * kAngleSteps / n;
    for (int i = first; i < n / 4; ++i) {
        const int a = i * step;
        std::int16_t* p = v + 2 * i;
        std::int16_t* q = v + n - 2 * i;
        std::int32_t p0 = p[0], p1 = p[1], q0 = q[0], q1 = q[1];
        JoinHalfSpectra<ScalarLanes>(p0, p1, q0, q1, sine[kQuarterTurn - a], -sine[a]);
        p[0] = static_cast<std::int16_t>(p0);
        p[1] = static_cast<std::int16_t>(p1);
        q[0] = static_cast<std::int16_t>(q0);
        q[1] = static_cast<std::int16_t>(q1);
    }
    const std::int32_t v0 = v[0];
    const std::int32_t v1 = v[1];
    v[0] = static_cast<std::int16_t>((v0 + v1 + 1) >> 1);
    v[1] = static_cast<std::int16_t>((v0 - v1 + 1) >> 1);
}

}  // namespace vexlan::fft::detail
