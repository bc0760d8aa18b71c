#include "FixedPointFft.h"

#include <array>

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
void SplitStep(std::int16_t* v, int n)
{
    for (int i = 1; i < n / 4; ++i) {
        const Twiddle w = TwiddleAt(i * (2 * kAngleSteps) / n, Direction::Forward);
        const std::int32_t c = w.cos;
        const std::int32_t s = -w.sin;
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

}  // namespace

bool IsTransformSize(int count, int limit)
{
    return count >= 1 && count <= limit && (count & (count - 1)) == 0;
}

void ComplexFft(std::int16_t* values, int pointCount, Direction direction, FftWorkspace& work)
{
    if (!IsTransformSize(pointCount, kMaxComplexPoints))
        return;
    LoadReversed(values, pointCount, work);
    Stages(work.re, work.im, pointCount, direction);
    Store(work, pointCount, values);
}

void InverseRealFft(std::int16_t* values, int n, FftWorkspace& work)
{
    if (n < 2 || !IsTransformSize(n, kMaxRealPoints))
        return;
    SplitStep(values, n);
    ComplexFft(values, n / 2, Direction::Inverse, work);
}

}  // namespace vexlan::fft
