// The stages and the split step sixteen 16-bit (eight 32-bit) lanes at a time, for processors
// with 256-bit integer vectors. Everything here is built for that instruction set and is called
// only after the processor has been asked.
#include <cstdint>

#if defined(__SSE2__) && defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include <immintrin.h>

// Included after the target switch so that the shared templates are built for it too.
#include "correlation/FixedPointFftInternal.h"

namespace vexlan::fft::detail {

namespace {

struct Avx2Lanes {
    using Vec = __m256i;
    using Shift = __m128i;
    static constexpr int kCount = kWideLanes;

    static Vec Load(const std::int16_t* p) { return _mm256_load_si256(reinterpret_cast<const Vec*>(p)); }
    static void Put(std::int16_t* p, Vec v) { _mm256_store_si256(reinterpret_cast<Vec*>(p), v); }
    static Vec Splat(std::int16_t x) { return _mm256_set1_epi16(x); }
    static Shift MakeShift(int bits) { return _mm_cvtsi32_si128(bits); }
    static Vec ShiftRight(Vec v, Shift s) { return _mm256_sra_epi16(v, s); }
    static Vec Add(Vec a, Vec b) { return _mm256_add_epi16(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm256_sub_epi16(a, b); }
    // As the 128-bit lanes: the high half doubled plus the low half's top bit.
    static Vec MulQ15(Vec x, Vec w) {
        const Vec hi = _mm256_mulhi_epi16(x, w);
        const Vec lo = _mm256_mullo_epi16(x, w);
        return _mm256_or_si256(_mm256_add_epi16(hi, hi), _mm256_srli_epi16(lo, 15));
    }

    // A constructor of its own, not default member initialisers: only declared functions take
    // the instruction set of the file.
    struct Range {
        Range() : lo(_mm256_setzero_si256()), hi(_mm256_setzero_si256()) {}
        Vec lo;
        Vec hi;
        void Add(Vec v) {
            lo = _mm256_min_epi16(lo, v);
            hi = _mm256_max_epi16(hi, v);
        }
        bool ExceedsHalfScale() const {
            const Vec over = _mm256_or_si256(_mm256_cmpgt_epi16(hi, _mm256_set1_epi16(kHalfScale)),
                                             _mm256_cmpgt_epi16(_mm256_set1_epi16(-kHalfScale), lo));
            return _mm256_movemask_epi8(over) != 0;
        }
    };
};

// Eight 32-bit lanes in exact arithmetic, for the split step.
struct Avx2Int32Lanes {
    using Vec = __m256i;
    static Vec Add(Vec a, Vec b) { return _mm256_add_epi32(a, b); }
    static Vec Sub(Vec a, Vec b) { return _mm256_sub_epi32(a, b); }
    static Vec Half(Vec v) { return _mm256_srai_epi32(v, 1); }
    static Vec Negate(Vec v) { return _mm256_sub_epi32(_mm256_setzero_si256(), v); }
    static Vec MulQ15(Vec x, Vec w) { return _mm256_srai_epi32(_mm256_mullo_epi32(x, w), 15); }
};

}  // namespace

bool WideGroupedStage(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable, bool halving) {
    return RunGroupedStage<Avx2Lanes>(w, rowLength, span, sinTable, halving);
}

bool WideNaturalStage(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable, bool halving) {
    return RunNaturalStage<Avx2Lanes>(w, pointCount, span, sinTable, halving);
}

// Eight bin pairs at a time: each 32-bit lane of a load holds one bin's (re, im); the loads from
// the top end are reversed so that lane k of both is the same pair.
int WideSplitStep(std::int16_t* v, int n) {
    using Vec = __m256i;
    constexpr int kPairs = 8;
    const SplitTwiddles& t = SplitTables();
    const Vec reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    const Vec lowHalf = _mm256_set1_epi32(0xFFFF);
    int i = 1;
    for (; i + kPairs <= n / 4; i += kPairs) {
        std::int16_t* p = v + 2 * i;
        std::int16_t* q = v + n - 2 * (i + kPairs - 1);  // lane k of the reversed load is bin i + k
        const Vec pv = _mm256_loadu_si256(reinterpret_cast<const Vec*>(p));
        const Vec qv = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const Vec*>(q)), reverse);
        Vec p0 = _mm256_srai_epi32(_mm256_slli_epi32(pv, 16), 16);
        Vec p1 = _mm256_srai_epi32(pv, 16);
        Vec q0 = _mm256_srai_epi32(_mm256_slli_epi32(qv, 16), 16);
        Vec q1 = _mm256_srai_epi32(qv, 16);
        const Vec c = _mm256_loadu_si256(reinterpret_cast<const Vec*>(t.cos + n / 4 + i));
        const Vec s = _mm256_loadu_si256(reinterpret_cast<const Vec*>(t.negSin + n / 4 + i));
        JoinHalfSpectra<Avx2Int32Lanes>(p0, p1, q0, q1, c, s);
        const Vec newP = _mm256_or_si256(_mm256_and_si256(p0, lowHalf), _mm256_slli_epi32(p1, 16));
        const Vec newQ = _mm256_or_si256(_mm256_and_si256(q0, lowHalf), _mm256_slli_epi32(q1, 16));
        _mm256_storeu_si256(reinterpret_cast<Vec*>(p), newP);
        _mm256_storeu_si256(reinterpret_cast<Vec*>(q), _mm256_permutevar8x32_epi32(newQ, reverse));
    }
    return i;
}

}  // namespace vexlan::fft::detail

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif
