#include "FixedPointFft.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#define VEXLAN_FFT_VECTOR 1
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define VEXLAN_FFT_WIDE 1
#define VEXLAN_WIDE_TARGET __attribute__((target("avx2")))
#endif
#endif

namespace vexlan::fft {

namespace {

constexpr int kMaxBits = 12;  // log2 of kMaxComplexPoints

// Twiddles laid out by stage so that the butterflies of a stage read them contiguously: the
// stage of span s uses entries s .. 2s-1, entry s + q holding angle index q * 4096 / s.
struct StageTwiddles {
    alignas(64) std::int16_t cos[kMaxComplexPoints];
    alignas(64) std::int16_t sinForward[kMaxComplexPoints];
    alignas(64) std::int16_t sinInverse[kMaxComplexPoints];
    std::array<std::uint16_t, kMaxComplexPoints> reversed12;  // 12-bit bit reversal
};

StageTwiddles BuildStageTwiddles()
{
    StageTwiddles t{};
    for (int span = 1; span < kMaxComplexPoints; span <<= 1) {
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
        for (int b = 0; b < kMaxBits; ++b)
            r |= ((i >> b) & 1) << (kMaxBits - 1 - b);
        t.reversed12[i] = static_cast<std::uint16_t>(r);
    }
    return t;
}

const StageTwiddles& Tables()
{
    static const StageTwiddles tables = BuildStageTwiddles();
    return tables;
}

int Log2(int powerOfTwo)
{
    int bits = 0;
    while ((1 << bits) < powerOfTwo)
        ++bits;
    return bits;
}

bool ExceedsHalfScale(const std::int16_t* re, const std::int16_t* im, int count)
{
    std::int16_t lo = 0;
    std::int16_t hi = 0;
    for (int i = 0; i < count; ++i) {
        lo = re[i] < lo ? re[i] : lo;
        hi = re[i] > hi ? re[i] : hi;
        lo = im[i] < lo ? im[i] : lo;
        hi = im[i] > hi ? im[i] : hi;
    }
    return hi > kHalfScale || lo < -kHalfScale;
}

// One group of butterflies of a stage: points a[q] and b[q] for q = 0..span-1, with twiddles
// wr[q], wi[q]. Kept free of aliasing and branches so that it vectorises.
void ButterflyRun(std::int16_t* __restrict ar, std::int16_t* __restrict ai,
                  std::int16_t* __restrict br, std::int16_t* __restrict bi,
                  const std::int16_t* __restrict wr, const std::int16_t* __restrict wi,
                  int span, int shift)
{
    for (int q = 0; q < span; ++q) {
        const std::int32_t xr = br[q] >> shift;
        const std::int32_t xi = bi[q] >> shift;
        const std::int32_t cr = wr[q];
        const std::int32_t ci = wi[q];
        const std::int32_t tr = MulQ15(cr, xr) - MulQ15(ci, xi);
        const std::int32_t ti = MulQ15(cr, xi) + MulQ15(ci, xr);
        const std::int32_t yr = ar[q] >> shift;
        const std::int32_t yi = ai[q] >> shift;
        br[q] = static_cast<std::int16_t>(yr - tr);
        bi[q] = static_cast<std::int16_t>(yi - ti);
        ar[q] = static_cast<std::int16_t>(yr + tr);
        ai[q] = static_cast<std::int16_t>(yi + ti);
    }
}

// The first stage (span 1, twiddle angle 0) on neighbouring points.
void FirstStage(std::int16_t* re, std::int16_t* im, int pointCount, std::int32_t wr,
                std::int32_t wi, int shift)
{
    for (int p = 0; p < pointCount; p += 2) {
        const std::int32_t xr = re[p + 1] >> shift;
        const std::int32_t xi = im[p + 1] >> shift;
        const std::int32_t tr = MulQ15(wr, xr) - MulQ15(wi, xi);
        const std::int32_t ti = MulQ15(wr, xi) + MulQ15(wi, xr);
        const std::int32_t yr = re[p] >> shift;
        const std::int32_t yi = im[p] >> shift;
        re[p + 1] = static_cast<std::int16_t>(yr - tr);
        im[p + 1] = static_cast<std::int16_t>(yi - ti);
        re[p] = static_cast<std::int16_t>(yr + tr);
        im[p] = static_cast<std::int16_t>(yi + ti);
    }
}

void Stages(std::int16_t* re, std::int16_t* im, int pointCount, Direction direction)
{
    const StageTwiddles& t = Tables();
    const std::int16_t* sinTable = direction == Direction::Forward ? t.sinForward : t.sinInverse;
    int shift = 0;
    for (int span = 1; span < pointCount; span <<= 1) {
        if (shift == 0 && ExceedsHalfScale(re, im, pointCount))
            shift = 1;
        if (span == 1) {
            FirstStage(re, im, pointCount, t.cos[1], sinTable[1], shift);
            continue;
        }
        for (int p = 0; p < pointCount; p += 2 * span)
            ButterflyRun(re + p, im + p, re + p + span, im + p + span, t.cos + span,
                         sinTable + span, span, shift);
    }
}

// Splits interleaved points into re/im in bit-reversed order.
void LoadReversed(const std::int16_t* values, int pointCount, FftWorkspace& work)
{
    const int drop = kMaxBits - Log2(pointCount);
    const auto& reversed = Tables().reversed12;
    for (int i = 0; i < pointCount; ++i) {
        const int r = reversed[i] >> drop;
        work.re[r] = values[2 * i];
        work.im[r] = values[2 * i + 1];
    }
}

void Store(const FftWorkspace& work, int pointCount, std::int16_t* values)
{
    for (int i = 0; i < pointCount; ++i) {
        values[2 * i] = work.re[i];
        values[2 * i + 1] = work.im[i];
    }
}

// Joins the two half-length spectra of the packed real transform (inverse sign convention).
// Angles i * 8192 / n stay below a quarter turn, so the twiddles come straight from the table.
void SplitStep(std::int16_t* v, int n, int first)
{
    const std::int16_t* sine = QuarterSineTable();
    const int step = 2 * kAngleSteps / n;
    for (int i = first; i < n / 4; ++i) {
        const int a = i * step;
        const std::int32_t c = sine[2048 - a];
        const std::int32_t s = -sine[a];
        std::int16_t* p = v + 2 * i;
        std::int16_t* q = v + n - 2 * i;
        const std::int32_t h1r = (p[0] + q[0]) >> 1;
        const std::int32_t h1i = (p[1] - q[1]) >> 1;
        const std::int32_t h2r = -((p[1] + q[1]) >> 1);
        const std::int32_t h2i = (p[0] - q[0]) >> 1;
        p[0] = static_cast<std::int16_t>(h1r + MulQ15(c, h2r) - MulQ15(s, h2i));
        p[1] = static_cast<std::int16_t>(h1i + MulQ15(c, h2i) + MulQ15(s, h2r));
        q[0] = static_cast<std::int16_t>(h1r - MulQ15(c, h2r) + MulQ15(s, h2i));
        q[1] = static_cast<std::int16_t>(-h1i + MulQ15(c, h2i) + MulQ15(s, h2r));
    }
    const std::int32_t v0 = v[0];
    const std::int32_t v1 = v[1];
    v[0] = static_cast<std::int16_t>((v0 + v1 + 1) >> 1);
    v[1] = static_cast<std::int16_t>((v0 - v1 + 1) >> 1);
}

#if VEXLAN_FFT_VECTOR

// Eight 16-bit lanes. Every operation below wraps modulo 2^16 exactly as the 32-bit scalar
// arithmetic does once its result is stored in 16 bits, so the lanes give the same bits.
using Vec = __m128i;
constexpr int kLanes = 8;
constexpr int kVectorMinPoints = kLanes * kLanes;  // eight rows of at least one vector each

inline Vec Load(const std::int16_t* p) { return _mm_load_si128(reinterpret_cast<const Vec*>(p)); }
inline void Put(std::int16_t* p, Vec v) { _mm_store_si128(reinterpret_cast<Vec*>(p), v); }

// (x * w) >> 15 from the high and low halves of the 32-bit product: the low half contributes
// its top bit, so the floor is exact.
inline Vec MulQ15Lanes(Vec x, Vec w)
{
    const Vec hi = _mm_mulhi_epi16(x, w);
    const Vec lo = _mm_mullo_epi16(x, w);
    return _mm_or_si128(_mm_add_epi16(hi, hi), _mm_srli_epi16(lo, 15));
}

// Smallest and largest value seen, per lane, starting from 0 like the scalar check.
struct Range {
    Vec lo = _mm_setzero_si128();
    Vec hi = _mm_setzero_si128();
    void Add(Vec v)
    {
        lo = _mm_min_epi16(lo, v);
        hi = _mm_max_epi16(hi, v);
    }
    bool ExceedsHalfScale() const
    {
        const Vec over = _mm_or_si128(_mm_cmpgt_epi16(hi, _mm_set1_epi16(kHalfScale)),
                                      _mm_cmplt_epi16(lo, _mm_set1_epi16(-kHalfScale)));
        return _mm_movemask_epi8(over) != 0;
    }
};

// Eight butterflies; the range of their results is kept only while it can still matter.
template <bool kTrack>
inline void Butterflies(std::int16_t* ar, std::int16_t* ai, std::int16_t* br, std::int16_t* bi, Vec cr,
                        Vec ci, Vec shift, Range& range)
{
    const Vec xr = _mm_sra_epi16(Load(br), shift);
    const Vec xi = _mm_sra_epi16(Load(bi), shift);
    const Vec tr = _mm_sub_epi16(MulQ15Lanes(cr, xr), MulQ15Lanes(ci, xi));
    const Vec ti = _mm_add_epi16(MulQ15Lanes(cr, xi), MulQ15Lanes(ci, xr));
    const Vec yr = _mm_sra_epi16(Load(ar), shift);
    const Vec yi = _mm_sra_epi16(Load(ai), shift);
    const Vec lowR = _mm_sub_epi16(yr, tr);
    const Vec lowI = _mm_sub_epi16(yi, ti);
    const Vec highR = _mm_add_epi16(yr, tr);
    const Vec highI = _mm_add_epi16(yi, ti);
    if (kTrack) {
        range.Add(lowR);
        range.Add(lowI);
        range.Add(highR);
        range.Add(highI);
    }
    Put(br, lowR);
    Put(bi, lowI);
    Put(ar, highR);
    Put(ai, highI);
}

// Stage of span 1, 2 or 4 on the grouped layout: row j holds the points whose position modulo
// eight is j, so each butterfly pairs two whole rows under one twiddle.
template <bool kTrack>
void GroupedStage(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable, Vec shift,
                  Range& range)
{
    const StageTwiddles& t = Tables();
    for (int base = 0; base < kLanes; base += 2 * span) {
        for (int q = 0; q < span; ++q) {
            const Vec cr = _mm_set1_epi16(t.cos[span + q]);
            const Vec ci = _mm_set1_epi16(sinTable[span + q]);
            const int a = (base + q) * rowLength;
            const int b = (base + q + span) * rowLength;
            for (int g = 0; g < rowLength; g += kLanes)
                Butterflies<kTrack>(w.groupedRe + a + g, w.groupedIm + a + g, w.groupedRe + b + g,
                                    w.groupedIm + b + g, cr, ci, shift, range);
        }
    }
}

template <bool kTrack>
void NaturalStage(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable, Vec shift,
                  Range& range)
{
    const StageTwiddles& t = Tables();
    for (int p = 0; p < pointCount; p += 2 * span)
        for (int q = 0; q < span; q += kLanes)
            Butterflies<kTrack>(w.re + p + q, w.im + p + q, w.re + p + span + q, w.im + p + span + q,
                                Load(t.cos + span + q), Load(sinTable + span + q), shift, range);
}

// Rows of the grouped layout back to natural order, eight columns at a time (8 x 8 transposes).
void Ungroup(const std::int16_t* grouped, std::int16_t* natural, int rowLength)
{
    for (int g = 0; g < rowLength; g += kLanes) {
        Vec a[kLanes];
        for (int j = 0; j < kLanes; ++j)
            a[j] = Load(grouped + j * rowLength + g);
        const Vec t0 = _mm_unpacklo_epi16(a[0], a[1]), t1 = _mm_unpackhi_epi16(a[0], a[1]);
        const Vec t2 = _mm_unpacklo_epi16(a[2], a[3]), t3 = _mm_unpackhi_epi16(a[2], a[3]);
        const Vec t4 = _mm_unpacklo_epi16(a[4], a[5]), t5 = _mm_unpackhi_epi16(a[4], a[5]);
        const Vec t6 = _mm_unpacklo_epi16(a[6], a[7]), t7 = _mm_unpackhi_epi16(a[6], a[7]);
        const Vec u0 = _mm_unpacklo_epi32(t0, t2), u1 = _mm_unpackhi_epi32(t0, t2);
        const Vec u2 = _mm_unpacklo_epi32(t1, t3), u3 = _mm_unpackhi_epi32(t1, t3);
        const Vec u4 = _mm_unpacklo_epi32(t4, t6), u5 = _mm_unpackhi_epi32(t4, t6);
        const Vec u6 = _mm_unpacklo_epi32(t5, t7), u7 = _mm_unpackhi_epi32(t5, t7);
        std::int16_t* out = natural + kLanes * g;
        Put(out + 0 * kLanes, _mm_unpacklo_epi64(u0, u4));
        Put(out + 1 * kLanes, _mm_unpackhi_epi64(u0, u4));
        Put(out + 2 * kLanes, _mm_unpacklo_epi64(u1, u5));
        Put(out + 3 * kLanes, _mm_unpackhi_epi64(u1, u5));
        Put(out + 4 * kLanes, _mm_unpacklo_epi64(u2, u6));
        Put(out + 5 * kLanes, _mm_unpackhi_epi64(u2, u6));
        Put(out + 6 * kLanes, _mm_unpacklo_epi64(u3, u7));
        Put(out + 7 * kLanes, _mm_unpackhi_epi64(u3, u7));
    }
}

// Scatters the interleaved points in bit-reversed order straight into the grouped layout and
// returns the range of the input.
Range LoadGrouped(const std::int16_t* values, int pointCount, FftWorkspace& w)
{
    const int drop = kMaxBits - Log2(pointCount);
    const int rowLength = pointCount / kLanes;
    const auto& reversed = Tables().reversed12;
    for (int i = 0; i < pointCount; ++i) {
        const int r = reversed[i] >> drop;
        const int at = (r & (kLanes - 1)) * rowLength + (r >> 3);
        w.groupedRe[at] = values[2 * i];
        w.groupedIm[at] = values[2 * i + 1];
    }
    Range range;
    for (int i = 0; i < pointCount; i += kLanes) {
        range.Add(Load(w.groupedRe + i));
        range.Add(Load(w.groupedIm + i));
    }
    return range;
}

void StoreInterleaved(const FftWorkspace& w, int pointCount, std::int16_t* values)
{
    for (int i = 0; i < pointCount; i += kLanes) {
        const Vec re = Load(w.re + i);
        const Vec im = Load(w.im + i);
        _mm_storeu_si128(reinterpret_cast<Vec*>(values + 2 * i), _mm_unpacklo_epi16(re, im));
        _mm_storeu_si128(reinterpret_cast<Vec*>(values + 2 * i + kLanes), _mm_unpackhi_epi16(re, im));
    }
}

#if VEXLAN_FFT_WIDE

// The same butterflies sixteen lanes at a time where the processor has 256-bit integer vectors.
using Wide = __m256i;
constexpr int kWideLanes = 16;

bool HasWideLanes()
{
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
}

VEXLAN_WIDE_TARGET inline Wide LoadWide(const std::int16_t* p)
{
    return _mm256_load_si256(reinterpret_cast<const Wide*>(p));
}
VEXLAN_WIDE_TARGET inline void PutWide(std::int16_t* p, Wide v) { _mm256_store_si256(reinterpret_cast<Wide*>(p), v); }

VEXLAN_WIDE_TARGET inline Wide WideMulQ15(Wide x, Wide w)
{
    const Wide hi = _mm256_mulhi_epi16(x, w);
    const Wide lo = _mm256_mullo_epi16(x, w);
    return _mm256_or_si256(_mm256_add_epi16(hi, hi), _mm256_srli_epi16(lo, 15));
}

struct WideRange {
    Wide lo;
    Wide hi;
};

template <bool kTrack>
VEXLAN_WIDE_TARGET inline void WideButterflies(std::int16_t* ar, std::int16_t* ai, std::int16_t* br,
                                               std::int16_t* bi, Wide cr, Wide ci, Vec shift, WideRange& range)
{
    const Wide xr = _mm256_sra_epi16(LoadWide(br), shift);
    const Wide xi = _mm256_sra_epi16(LoadWide(bi), shift);
    const Wide tr = _mm256_sub_epi16(WideMulQ15(cr, xr), WideMulQ15(ci, xi));
    const Wide ti = _mm256_add_epi16(WideMulQ15(cr, xi), WideMulQ15(ci, xr));
    const Wide yr = _mm256_sra_epi16(LoadWide(ar), shift);
    const Wide yi = _mm256_sra_epi16(LoadWide(ai), shift);
    const Wide lowR = _mm256_sub_epi16(yr, tr);
    const Wide lowI = _mm256_sub_epi16(yi, ti);
    const Wide highR = _mm256_add_epi16(yr, tr);
    const Wide highI = _mm256_add_epi16(yi, ti);
    if (kTrack) {
        range.lo = _mm256_min_epi16(_mm256_min_epi16(range.lo, lowR), _mm256_min_epi16(lowI, _mm256_min_epi16(highR, highI)));
        range.hi = _mm256_max_epi16(_mm256_max_epi16(range.hi, lowR), _mm256_max_epi16(lowI, _mm256_max_epi16(highR, highI)));
    }
    PutWide(br, lowR);
    PutWide(bi, lowI);
    PutWide(ar, highR);
    PutWide(ai, highI);
}

VEXLAN_WIDE_TARGET inline bool WideExceedsHalfScale(const WideRange& range)
{
    const Wide over = _mm256_or_si256(_mm256_cmpgt_epi16(range.hi, _mm256_set1_epi16(kHalfScale)),
                                      _mm256_cmpgt_epi16(_mm256_set1_epi16(-kHalfScale), range.lo));
    return _mm256_movemask_epi8(over) != 0;
}

// Returns whether a result exceeds half scale (only when tracking).
template <bool kTrack>
VEXLAN_WIDE_TARGET bool WideGroupedStage(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable,
                                         Vec shift)
{
    const StageTwiddles& t = Tables();
    WideRange range{_mm256_setzero_si256(), _mm256_setzero_si256()};
    for (int base = 0; base < kLanes; base += 2 * span) {
        for (int q = 0; q < span; ++q) {
            const Wide cr = _mm256_set1_epi16(t.cos[span + q]);
            const Wide ci = _mm256_set1_epi16(sinTable[span + q]);
            const int a = (base + q) * rowLength;
            const int b = (base + q + span) * rowLength;
            for (int g = 0; g < rowLength; g += kWideLanes)
                WideButterflies<kTrack>(w.groupedRe + a + g, w.groupedIm + a + g, w.groupedRe + b + g,
                                        w.groupedIm + b + g, cr, ci, shift, range);
        }
    }
    return kTrack && WideExceedsHalfScale(range);
}

template <bool kTrack>
VEXLAN_WIDE_TARGET bool WideNaturalStage(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable,
                                         Vec shift)
{
    const StageTwiddles& t = Tables();
    WideRange range{_mm256_setzero_si256(), _mm256_setzero_si256()};
    for (int p = 0; p < pointCount; p += 2 * span)
        for (int q = 0; q < span; q += kWideLanes)
            WideButterflies<kTrack>(w.re + p + q, w.im + p + q, w.re + p + span + q, w.im + p + span + q,
                                    LoadWide(t.cos + span + q), LoadWide(sinTable + span + q), shift, range);
    return kTrack && WideExceedsHalfScale(range);
}

// Split-step twiddles per size in 32-bit lanes: entry n/4 + i holds the cosine and the negated
// sine of angle i * 8192 / n.
struct SplitTwiddles {
    alignas(64) std::int32_t cos[kMaxRealPoints / 2];
    alignas(64) std::int32_t negSin[kMaxRealPoints / 2];
};

SplitTwiddles BuildSplitTwiddles()
{
    SplitTwiddles t{};
    const std::int16_t* sine = QuarterSineTable();
    for (int n = 4; n <= kMaxRealPoints; n <<= 1) {
        for (int i = 0; i < n / 4; ++i) {
            const int a = i * (2 * kAngleSteps / n);
            t.cos[n / 4 + i] = sine[2048 - a];
            t.negSin[n / 4 + i] = -sine[a];
        }
    }
    return t;
}

const SplitTwiddles& SplitTables()
{
    static const SplitTwiddles tables = BuildSplitTwiddles();
    return tables;
}

VEXLAN_WIDE_TARGET inline Wide WideMulQ15Int32(Wide x, Wide w)
{
    return _mm256_srai_epi32(_mm256_mullo_epi32(x, w), 15);
}

// The split step for eight bin pairs at a time, in exact 32-bit arithmetic like the scalar loop;
// returns the first bin it left to that loop.
VEXLAN_WIDE_TARGET int WideSplitStep(std::int16_t* v, int n)
{
    const SplitTwiddles& t = SplitTables();
    const Wide reverse = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    const Wide lowHalf = _mm256_set1_epi32(0xFFFF);
    const Wide zero = _mm256_setzero_si256();
    int i = 1;
    for (; i + 8 <= n / 4; i += 8) {
        std::int16_t* p = v + 2 * i;
        std::int16_t* q = v + n - 2 * (i + 7);  // lane k of the reversed load is bin i + k
        const Wide pv = _mm256_loadu_si256(reinterpret_cast<const Wide*>(p));
        const Wide qv = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const Wide*>(q)), reverse);
        const Wide p0 = _mm256_srai_epi32(_mm256_slli_epi32(pv, 16), 16);
        const Wide p1 = _mm256_srai_epi32(pv, 16);
        const Wide q0 = _mm256_srai_epi32(_mm256_slli_epi32(qv, 16), 16);
        const Wide q1 = _mm256_srai_epi32(qv, 16);
        const Wide c = _mm256_loadu_si256(reinterpret_cast<const Wide*>(t.cos + n / 4 + i));
        const Wide s = _mm256_loadu_si256(reinterpret_cast<const Wide*>(t.negSin + n / 4 + i));
        const Wide h1r = _mm256_srai_epi32(_mm256_add_epi32(p0, q0), 1);
        const Wide h1i = _mm256_srai_epi32(_mm256_sub_epi32(p1, q1), 1);
        const Wide h2r = _mm256_sub_epi32(zero, _mm256_srai_epi32(_mm256_add_epi32(p1, q1), 1));
        const Wide h2i = _mm256_srai_epi32(_mm256_sub_epi32(p0, q0), 1);
        const Wide ch2r = WideMulQ15Int32(c, h2r);
        const Wide sh2i = WideMulQ15Int32(s, h2i);
        const Wide ch2i = WideMulQ15Int32(c, h2i);
        const Wide sh2r = WideMulQ15Int32(s, h2r);
        const Wide np0 = _mm256_sub_epi32(_mm256_add_epi32(h1r, ch2r), sh2i);
        const Wide np1 = _mm256_add_epi32(_mm256_add_epi32(h1i, ch2i), sh2r);
        const Wide nq0 = _mm256_add_epi32(_mm256_sub_epi32(h1r, ch2r), sh2i);
        const Wide nq1 = _mm256_add_epi32(_mm256_sub_epi32(ch2i, h1i), sh2r);
        const Wide newP = _mm256_or_si256(_mm256_and_si256(np0, lowHalf), _mm256_slli_epi32(np1, 16));
        const Wide newQ = _mm256_or_si256(_mm256_and_si256(nq0, lowHalf), _mm256_slli_epi32(nq1, 16));
        _mm256_storeu_si256(reinterpret_cast<Wide*>(p), newP);
        _mm256_storeu_si256(reinterpret_cast<Wide*>(q), _mm256_permutevar8x32_epi32(newQ, reverse));
    }
    return i;
}

#endif  // VEXLAN_FFT_WIDE

template <bool kTrack>
bool GroupedStageExceeds(FftWorkspace& w, int rowLength, int span, const std::int16_t* sinTable, Vec shift,
                         bool wide)
{
#if VEXLAN_FFT_WIDE
    if (wide && rowLength % kWideLanes == 0)
        return WideGroupedStage<kTrack>(w, rowLength, span, sinTable, shift);
#endif
    (void)wide;
    Range range;
    GroupedStage<kTrack>(w, rowLength, span, sinTable, shift, range);
    return kTrack && range.ExceedsHalfScale();
}

template <bool kTrack>
bool NaturalStageExceeds(FftWorkspace& w, int pointCount, int span, const std::int16_t* sinTable, Vec shift,
                         bool wide)
{
#if VEXLAN_FFT_WIDE
    if (wide && span % kWideLanes == 0)
        return WideNaturalStage<kTrack>(w, pointCount, span, sinTable, shift);
#endif
    (void)wide;
    Range range;
    NaturalStage<kTrack>(w, pointCount, span, sinTable, shift, range);
    return kTrack && range.ExceedsHalfScale();
}

// The whole transform for pointCount >= kVectorMinPoints. A stage halves its inputs once any
// value before it exceeds half scale; the range is tracked only until that has happened.
void VectorFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& w, bool wide)
{
    const StageTwiddles& t = Tables();
    const std::int16_t* sinTable = direction == Direction::Forward ? t.sinForward : t.sinInverse;
    const int rowLength = pointCount / kLanes;
    bool exceeds = LoadGrouped(values, pointCount, w).ExceedsHalfScale();
    bool halving = false;
    for (int span = 1; span < pointCount; span <<= 1) {
        halving = halving || exceeds;
        const Vec shift = _mm_cvtsi32_si128(halving ? 1 : 0);
        if (span < kLanes) {
            exceeds = halving ? GroupedStageExceeds<false>(w, rowLength, span, sinTable, shift, wide)
                              : GroupedStageExceeds<true>(w, rowLength, span, sinTable, shift, wide);
            if (span == kLanes / 2) {
                Ungroup(w.groupedRe, w.re, rowLength);
                Ungroup(w.groupedIm, w.im, rowLength);
            }
        } else {
            exceeds = halving ? NaturalStageExceeds<false>(w, pointCount, span, sinTable, shift, wide)
                              : NaturalStageExceeds<true>(w, pointCount, span, sinTable, shift, wide);
        }
    }
    StoreInterleaved(w, pointCount, values);
}

#endif  // VEXLAN_FFT_VECTOR

}  // namespace

bool IsTransformSize(int count, int limit)
{
    return count >= 1 && count <= limit && (count & (count - 1)) == 0;
}

void ComplexFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& work, Lanes lanes)
{
    if (!IsTransformSize(pointCount, kMaxComplexPoints))
        return;
#if VEXLAN_FFT_VECTOR
    if (pointCount >= kVectorMinPoints) {
#if VEXLAN_FFT_WIDE
        const bool wide = lanes == Lanes::Widest && HasWideLanes();
#else
        const bool wide = false;
#endif
        VectorFft(values, pointCount, direction, work, wide);
        return;
    }
#endif
    LoadReversed(values, pointCount, work);
    Stages(work.re, work.im, pointCount, direction);
    Store(work, pointCount, values);
}

void InverseRealFft(std::int16_t* values, int n, FftWorkspace& work, Lanes lanes)
{
    if (n < 2 || !IsTransformSize(n, kMaxRealPoints))
        return;
    int first = 1;
#if VEXLAN_FFT_WIDE
    if (lanes == Lanes::Widest && HasWideLanes())
        first = WideSplitStep(values, n);
#endif
    SplitStep(values, n, first);
    ComplexFft(values, n / 2, Direction::Inverse, work, lanes);
}

}  // namespace vexlan::fft
