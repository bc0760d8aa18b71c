#pragma once
// Shared by the transform's files, one per instruction set: the twiddle tables, the butterfly
// arithmetic written once over a lane type, and each file's entry points. Not for other users.
//
// A lane type L supplies
//   Vec, Shift, Range          a register of kCount lanes, a right-shift count, a running range
//   kCount                     lanes per register
//   Load(p), Put(p, v)         16-bit values, p aligned to the register
//   Splat(x), MakeShift(bits)
//   ShiftRight(v, s), Add, Sub, MulQ15(x, w)
// and Range has Add(v) and ExceedsHalfScale(). Each lane's arithmetic wraps modulo 2^16 once its
// result is stored, so every lane type gives the same bits as the 32-bit scalar arithmetic.
// The lane types of the vector files are local to them: their instantiations never mix.

#include <cstdint>

#include "correlation/FixedPointFft.h"

#if defined(__SSE2__)
#define VEXLAN_FFT_VECTOR 1
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VEXLAN_FFT_WIDE 1
#endif
#endif

namespace vexlan::fft::detail {

constexpr int kMaxBits = 12;  // log2 of kMaxComplexPoints
// The stage of span s uses entries s .. 2s-1, so all stages of the largest transform fit in one
// table of that many entries.
constexpr int kStageTwiddleCount = kMaxComplexPoints;
// The split step of an n-point real transform uses entries n/4 .. n/2-1, the largest n/4 of them.
constexpr int kSplitTwiddleCount = kMaxRealPoints / 2;

// Twiddles laid out by stage so that the butterflies of a stage read them contiguously: entry
// s + q holds angle index q * 4096 / s.
struct StageTwiddles {
    alignas(64) std::int16_t cos[kStageTwiddleCount];
    alignas(64) std::int16_t sinForward[kStageTwiddleCount];
    alignas(64) std::int16_t sinInverse[kStageTwiddleCount];
    alignas(64) std::uint16_t reversed[kMaxComplexPoints];  // kMaxBits-bit bit reversal
};

// Split-step twiddles per size in 32-bit lanes: entry n/4 + i holds the cosine and the negated
// sine of angle i * 8192 / n.
struct SplitTwiddles {
    alignas(64) std::int32_t cos[kSplitTwiddleCount];
    alignas(64) std::int32_t negSin[kSplitTwiddleCount];
};

const StageTwiddles& Tables();
const SplitTwiddles& SplitTables();
int Log2(int powerOfTwo);

// A butterfly on kCount pairs at once; the range of the results is kept only while it can
// still matter.
template <class L, bool kTrack>
inline void Butterflies(std::int16_t* ar, std::int16_t* ai, std::int16_t* br, std::int16_t* bi, typename L::Vec cr,
                        typename L::Vec ci, typename L::Shift shift, typename L::Range& range) {
    using Vec = typename L::Vec;
    const Vec xr = L::ShiftRight(L::Load(br), shift);
    const Vec xi = L::ShiftRight(L::Load(bi), shift);
    const Vec tr = L::Sub(L::MulQ15(cr, xr), L::MulQ15(ci, xi));
    const Vec ti = L::Add(L::MulQ15(cr, xi), L::MulQ15(ci, xr));
    const Vec yr = L::ShiftRight(L::Load(ar), shift);
    const Vec yi = L::ShiftRight(L::Load(ai), shift);
    const Vec lowR = L::Sub(yr, tr);
    const Vec lowI = L::Sub(yi, ti);
    const Vec highR = L::Add(yr, tr);
    const Vec highI = L::Add(yi, ti);
    if (kTrack) {
        range.Add(lowR);
        range.Add(lowI);
        range.Add(highR);
        range.Add(highI);
    }
    L::Put(br, lowR);
    L::Put(bi, lowI);
    L::Put(ar, highR);
    L::Put(ai, highI);
}

// Stage of span 1, 2 or 4 on the grouped layout: row j holds the points whose position modulo
// eight is j, so each butterfly pairs two whole rows under one twiddle.
template <class L, bool kTrack>
void GroupedStage(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable, typename L::Shift shift,
                  typename L::Range& range) {
    constexpr int kRows = 8;
    const StageTwiddles& t = Tables();
    for (int base = 0; base < kRows; base += 2 * span) {
        for (int q = 0; q < span; ++q) {
            const auto cr = L::Splat(t.cos[span + q]);
            const auto ci = L::Splat(sinTable[span + q]);
            const int a = (base + q) * rowLength;
            const int b = (base + q + span) * rowLength;
            for (int g = 0; g < rowLength; g += L::kCount)
                Butterflies<L, kTrack>(w.groupedRe + a + g, w.groupedIm + a + g, w.groupedRe + b + g,
                                       w.groupedIm + b + g, cr, ci, shift, range);
        }
    }
}

// Stage of span s on points in natural order, each group of 2s points pairing its halves.
template <class L, bool kTrack>
void NaturalStage(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable, typename L::Shift shift,
                  typename L::Range& range) {
    const StageTwiddles& t = Tables();
    for (int p = 0; p < pointCount; p += 2 * span)
        for (int q = 0; q < span; q += L::kCount)
            Butterflies<L, kTrack>(w.re + p + q, w.im + p + q, w.re + p + span + q, w.im + p + span + q,
                                   L::Load(t.cos + span + q), L::Load(sinTable + span + q), shift, range);
}

// One stage that halves its inputs or not; returns whether a result exceeds half scale, which
// is only looked at (and only tracked) while the stages do not halve yet.
template <class L>
bool RunGroupedStage(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable, bool halving) {
    typename L::Range range;
    if (halving) {
        GroupedStage<L, false>(w, rowLength, span, sinTable, L::MakeShift(1), range);
        return false;
    }
    GroupedStage<L, true>(w, rowLength, span, sinTable, L::MakeShift(0), range);
    return range.ExceedsHalfScale();
}

template <class L>
bool RunNaturalStage(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable, bool halving) {
    typename L::Range range;
    if (halving) {
        NaturalStage<L, false>(w, pointCount, span, sinTable, L::MakeShift(1), range);
        return false;
    }
    NaturalStage<L, true>(w, pointCount, span, sinTable, L::MakeShift(0), range);
    return range.ExceedsHalfScale();
}

// The split step's arithmetic on one or more bin pairs in exact 32-bit lanes: p = (p0, p1) at
// bin i and q = (q0, q1) at bin n/2 - i, with the twiddle's cosine c and negated sine s. The
// 32-bit lane type supplies Vec, Add, Sub, Half (arithmetic shift by one), Negate and MulQ15.
template <class L>
inline void JoinHalfSpectra(typename L::Vec& p0, typename L::Vec& p1, typename L::Vec& q0, typename L::Vec& q1,
                            typename L::Vec c, typename L::Vec s) {
    using Vec = typename L::Vec;
    const Vec h1r = L::Half(L::Add(p0, q0));
    const Vec h1i = L::Half(L::Sub(p1, q1));
    const Vec h2r = L::Negate(L::Half(L::Add(p1, q1)));
    const Vec h2i = L::Half(L::Sub(p0, q0));
    const Vec ch2r = L::MulQ15(c, h2r);
    const Vec sh2i = L::MulQ15(s, h2i);
    const Vec ch2i = L::MulQ15(c, h2i);
    const Vec sh2r = L::MulQ15(s, h2r);
    p0 = L::Sub(L::Add(h1r, ch2r), sh2i);
    p1 = L::Add(L::Add(h1i, ch2i), sh2r);
    q0 = L::Add(L::Sub(h1r, ch2r), sh2i);
    q1 = L::Add(L::Sub(ch2i, h1i), sh2r);
}

// Entry points of the files per instruction set.

// Scalar (FixedPointFftScalar.cpp): the whole complex transform, and the split step from bin
// `first` on.
void ScalarFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& work);
void ScalarSplitStep(std::int16_t* v, int n, int first);

#if VEXLAN_FFT_VECTOR
// 128-bit lanes (FixedPointFftSse.cpp), for pointCount >= kVectorMinPoints; `wide` lets the
// stages that fit use the 256-bit lanes.
constexpr int kVectorMinPoints = 64;  // eight rows of at least one eight-lane register each
void VectorFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& work, bool wide);
#endif

#if VEXLAN_FFT_WIDE
// 256-bit lanes (FixedPointFftAvx2.cpp), only where the processor has them.
constexpr int kWideLanes = 16;
bool WideGroupedStage(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable, bool halving);
bool WideNaturalStage(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable, bool halving);
// Returns the first bin it left to the scalar split step.
int WideSplitStep(std::int16_t* v, int n);
#endif

}  // namespace vexlan::fft::detail
