// The complex transform eight 16-bit lanes at a time, handing the stages that fit to the
// 256-bit lanes where those may be used.
#include "correlation/FixedPointFftInternal.h"

#if VEXLAN_FFT_VECTOR

#include <emmintrin.h>

namespace vexlan::fft::detail {

namespace {

struct SseLanes {
    using Vec = __m128i;
    using Shift = __m128i;
    static constexpr int kCount = 8;

    static Vec Load(const std::int16_t* p) { return _mm_load_si128(reinterpret_cast<const Vec*>(p)); }
    static void Put(std::int16_t* p, Vec v) { _mm_store_si128(reinterpret_cast<Vec*>(p), v); }
    static Vec Splat(std::int16_t x) { return _mm_set1_epi16(x); }
    static Shift MakeShift(int bits) { return _mm_cvtsi32_si128(bits); }
    static Vec ShiftRight(Vec v, Shift s) { return _mm_sra_epi16(v, s); }
    static Vec Add(Vec a, Vec b) { return _mm_add_epi16(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm_sub_epi16(a, b); }
    // (x * w) >> 15 from the high and low halves of the 32-bit product: the low half contributes
    // its top bit, so the floor is exact.
    static Vec MulQ15(Vec x, Vec w) {
        const Vec hi = _mm_mulhi_epi16(x, w);
        const Vec lo = _mm_mullo_epi16(x, w);
        return _mm_or_si128(_mm_add_epi16(hi, hi), _mm_srli_epi16(lo, 15));
    }

    // Smallest and largest value seen, per lane, starting from 0 like the scalar check.
    struct Range {
        Vec lo = _mm_setzero_si128();
        Vec hi = _mm_setzero_si128();
        void Add(Vec v) {
            lo = _mm_min_epi16(lo, v);
            hi = _mm_max_epi16(hi, v);
        }
        bool ExceedsHalfScale() const {
            const Vec over = _mm_or_si128(_mm_cmpgt_epi16(hi, _mm_set1_epi16(kHalfScale)),
                                          _mm_cmplt_epi16(lo, _mm_set1_epi16(-kHalfScale)));
            return _mm_movemask_epi8(over) != 0;
        }
    };
};

using Vec = SseLanes::Vec;
constexpr int kLanes = SseLanes::kCount;

// Rows of the grouped layout back to natural order, eight columns at a time (8 x 8 transposes).
void Ungroup(const std::int16_t* grouped, std::int16_t* natural, int rowLength) {
    for (int g = 0; g < rowLength; g += kLanes) {
        Vec a[kLanes];
        for (int j = 0; j < kLanes; ++j) a[j] = SseLanes::Load(grouped + j * rowLength + g);
        const Vec t0 = _mm_unpacklo_epi16(a[0], a[1]), t1 = _mm_unpackhi_epi16(a[0], a[1]);
        const Vec t2 = _mm_unpacklo_epi16(a[2], a[3]), t3 = _mm_unpackhi_epi16(a[2], a[3]);
        const Vec t4 = _mm_unpacklo_epi16(a[4], a[5]), t5 = _mm_unpackhi_epi16(a[4], a[5]);
        const Vec t6 = _mm_unpacklo_epi16(a[6], a[7]), t7 = _mm_unpackhi_epi16(a[6], a[7]);
        const Vec u0 = _mm_unpacklo_epi32(t0, t2), u1 = _mm_unpackhi_epi32(t0, t2);
        const Vec u2 = _mm_unpacklo_epi32(t1, t3), u3 = _mm_unpackhi_epi32(t1, t3);
        const Vec u4 = _mm_unpacklo_epi32(t4, t6), u5 = _mm_unpackhi_epi32(t4, t6);
        const Vec u6 = _mm_unpacklo_epi32(t5, t7), u7 = _mm_unpackhi_epi32(t5, t7);
        std::int16_t* out = natural + kLanes * g;
        SseLanes::Put(out + 0 * kLanes, _mm_unpacklo_epi64(u0, u4));
        SseLanes::Put(out + 1 * kLanes, _mm_unpackhi_epi64(u0, u4));
        SseLanes::Put(out + 2 * kLanes, _mm_unpacklo_epi64(u1, u5));
        SseLanes::Put(out + 3 * kLanes, _mm_unpackhi_epi64(u1, u5));
        SseLanes::Put(out + 4 * kLanes, _mm_unpacklo_epi64(u2, u6));
        SseLanes::Put(out + 5 * kLanes, _mm_unpackhi_epi64(u2, u6));
        SseLanes::Put(out + 6 * kLanes, _mm_unpacklo_epi64(u3, u7));
        SseLanes::Put(out + 7 * kLanes, _mm_unpackhi_epi64(u3, u7));
    }
}

// Scatters the interleaved points in bit-reversed order straight into the grouped layout and
// returns the range of the input.
SseLanes::Range LoadGrouped(const std::int16_t* values, int pointCount, FftWorkspace& w) {
    const int drop = kMaxBits - Log2(pointCount);
    const int rowLength = pointCount / kLanes;
    const std::uint16_t* reversed = Tables().reversed;
    for (int i = 0; i < pointCount; ++i) {
        const int r = reversed[i] >> drop;
        const int at = (r & (kLanes - 1)) * rowLength + (r >> 3);
        w.groupedRe[at] = values[2 * i];
        w.groupedIm[at] = values[2 * i + 1];
    }
    SseLanes::Range range;
    for (int i = 0; i < pointCount; i += kLanes) {
        range.Add(SseLanes::Load(w.groupedRe + i));
        range.Add(SseLanes::Load(w.groupedIm + i));
    }
    return range;
}

void StoreInterleaved(const FftWorkspace& w, int pointCount, std::int16_t* values) {
    for (int i = 0; i < pointCount; i += kLanes) {
        const Vec re = SseLanes::Load(w.re + i);
        const Vec im = SseLanes::Load(w.im + i);
        _mm_storeu_si128(reinterpret_cast<Vec*>(values + 2 * i), _mm_unpacklo_epi16(re, im));
        _mm_storeu_si128(reinterpret_cast<Vec*>(values + 2 * i + kLanes), _mm_unpackhi_epi16(re, im));
    }
}

bool GroupedStageExceeds(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable, bool halving,
                         bool wide) {
#if VEXLAN_FFT_WIDE
    if (wide && rowLength % kWideLanes == 0) return WideGroupedStage(w, rowLength, span, sinTable, halving);
#endif
    (void)wide;
    return RunGroupedStage<SseLanes>(w, rowLength, span, sinTable, halving);
}

bool NaturalStageExceeds(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable, bool halving,
                         bool wide) {
#if VEXLAN_FFT_WIDE
    if (wide && span % kWideLanes == 0) return WideNaturalStage(w, pointCount, span, sinTable, halving);
#endif
    (void)wide;
    return RunNaturalStage<SseLanes>(w, pointCount, span, sinTable, halving);
}

}  // namespace

// A stage halves its inputs once any value before it exceeds half scale; the range is tracked
// only until that has happened. The first three stages run on the grouped layout.
void VectorFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& w, bool wide) {
    const StageTwiddles& t = Tables();
    const std::int16_t* sinTable = direction == Direction::Forward ? t.sinForward : t.sinInverse;
    const int rowLength = pointCount / kLanes;
    bool exceeds = LoadGrouped(values, pointCount, w).ExceedsHalfScale();
    bool halving = false;
    for (int span = 1; span < pointCount; span <<= 1) {
        halving = halving || exceeds;
        if (span < kLanes) {
            exceeds = GroupedStageExceeds(w, rowLength, span, sinTable, halving, wide);
            if (span == kLanes / 2) {
                Ungroup(w.groupedRe, w.re, rowLength);
                Ungroup(w.groupedIm, w.im, rowLength);
            }
        } else {
            exceeds = NaturalStageExceeds(w, pointCount, span, sinTable, halving, wide);
        }
    }
    StoreInterleaved(w, pointCount, values);
}

}  // namespace vexlan::fft::detail

#endif  // VEXLAN_FFT_VECTOR
