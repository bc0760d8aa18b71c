// Twiddle tables and the choice of instruction set; the arithmetic lives in the files per
// instruction set behind FixedPointFftInternal.h.
#include "correlation/FixedPointFft.h"

#include "correlation/FixedPointFftInternal.h"

namespace vexlan::fft {

namespace detail {

namespace {

StageTwiddles BuildStageTwiddles() {
    StageTwiddles t{};
    for (int span = 1; span < kStageTwiddleCount; span <<= 1) {
        for (int q = 0; q < span; ++q) {
            const int angle = q * kAngleSteps / span;
            const Twiddle forward = TwiddleAt(angle, Direction::Forward);
            const Twiddle inverse = TwiddleAt(angle, Direction::Inverse);
            t.cos[span + q] = static_cast<std::int16_t>(forward.cos);
            t.sinForward[span + q] = static_cast<std::int16_t>(forward.sin);
            t.sinInverse[span + q] = static_cast<std::int16_t>(inverse.sin);
        }
    }
    for (int i = 0; i < kMaxComplexPoints; ++i) {
        int r = 0;
        for (int b = 0; b < kMaxBits; ++b) r |= ((i >> b) & 1) << (kMaxBits - 1 - b);
        t.reversed[i] = static_cast<std::uint16_t>(r);
    }
    return t;
}

SplitTwiddles BuildSplitTwiddles() {
    SplitTwiddles t{};
    const std::int16_t* sine = QuarterSineTable();
    for (int n = 4; n <= kMaxRealPoints; n <<= 1) {
        for (int i = 0; i < n / 4; ++i) {
            const int a = i * (2 * kAngleSteps / n);
            t.cos[n / 4 + i] = sine[kQuarterTurn - a];
            t.negSin[n / 4 + i] = -sine[a];
        }
    }
    return t;
}

#if VEXLAN_FFT_WIDE
bool HasWideLanes() {
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}
#endif

bool MayUseWideLanes(Lanes lanes) {
#if VEXLAN_FFT_WIDE
    return lanes == Lanes::Widest && HasWideLanes();
#else
    (void)lanes;
    return false;
#endif
}

}  // namespace

const StageTwiddles& Tables() {
    static const StageTwiddles tables = BuildStageTwiddles();
    return tables;
}

const SplitTwiddles& SplitTables() {
    static const SplitTwiddles tables = BuildSplitTwiddles();
    return tables;
}

int Log2(int powerOfTwo) {
    int bits = 0;
    while ((1 << bits) < powerOfTwo) ++bits;
    return bits;
}

}  // namespace detail

bool IsTransformSize(int count, int limit) { return count >= 1 && count <= limit && (count & (count - 1)) == 0; }

void ComplexFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& work, Lanes lanes) {
    if (!IsTransformSize(pointCount, kMaxComplexPoints)) return;
#if VEXLAN_FFT_VECTOR
    if (pointCount >= detail::kVectorMinPoints) {
        detail::VectorFft(values, pointCount, direction, work, detail::MayUseWideLanes(lanes));
        return;
    }
#endif
    (void)lanes;
    detail::ScalarFft(values, pointCount, direction, work);
}

void InverseRealFft(std::int16_t* values, int n, FftWorkspace& work, Lanes lanes) {
    if (n < 2 || !IsTransformSize(n, kMaxRealPoints)) return;
    int first = 1;
#if VEXLAN_FFT_WIDE
    if (detail::MayUseWideLanes(lanes)) first = detail::WideSplitStep(values, n);
#endif
    detail::ScalarSplitStep(values, n, first);
    ComplexFft(values, n / 2, Direction::Inverse, work, lanes);
}

}  // namespace vexlan::fft
