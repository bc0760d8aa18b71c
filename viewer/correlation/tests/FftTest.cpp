#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "correlation/FixedPointFft.h"
#include "correlation/SineTable.h"

namespace vexlan::fft {
namespace {

// Plain transcription of the instrument's arithmetic, kept simple to check the fast version.
void ReferenceComplexFft(std::int16_t* v, int m, Direction direction) {
    for (int i = 1, j = 0; i < m; ++i) {
        int bit = m >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) {
            std::swap(v[2 * i], v[2 * j]);
            std::swap(v[2 * i + 1], v[2 * j + 1]);
        }
    }
    bool halve = false;
    for (int s = 1; s < m; s <<= 1) {
        for (int i = 0; i < 2 * m && !halve; ++i) halve = std::abs(int(v[i])) > 16383;
        for (int p0 = 0; p0 < m; p0 += 2 * s) {
            for (int q = 0; q < s; ++q) {
                const Twiddle w = TwiddleAt(q * 4096 / s, direction);
                std::int16_t* a = v + 2 * (p0 + q);
                std::int16_t* b = v + 2 * (p0 + q + s);
                int ar = a[0], ai = a[1], br = b[0], bi = b[1];
                if (halve) {
                    ar >>= 1;
                    ai >>= 1;
                    br >>= 1;
                    bi >>= 1;
                }
                const int tr = MulQ15(w.cos, br) - MulQ15(w.sin, bi);
                const int ti = MulQ15(w.cos, bi) + MulQ15(w.sin, br);
                b[0] = std::int16_t(ar - tr);
                b[1] = std::int16_t(ai - ti);
                a[0] = std::int16_t(ar + tr);
                a[1] = std::int16_t(ai + ti);
            }
        }
    }
}

void ReferenceInverseRealFft(std::int16_t* v, int n) {
    for (int i = 1; i < n / 4; ++i) {
        const Twiddle w = TwiddleAt(i * 8192 / n, Direction::Forward);
        const int c = w.cos, s = -w.sin;
        std::int16_t* p = v + 2 * i;
        std::int16_t* q = v + n - 2 * i;
        const int h1r = (p[0] + q[0]) >> 1, h1i = (p[1] - q[1]) >> 1;
        const int h2r = -((p[1] + q[1]) >> 1), h2i = (p[0] - q[0]) >> 1;
        p[0] = std::int16_t(h1r + MulQ15(c, h2r) - MulQ15(s, h2i));
        p[1] = std::int16_t(h1i + MulQ15(c, h2i) + MulQ15(s, h2r));
        q[0] = std::int16_t(h1r - MulQ15(c, h2r) + MulQ15(s, h2i));
        q[1] = std::int16_t(-h1i + MulQ15(c, h2i) + MulQ15(s, h2r));
    }
    const int v0 = v[0], v1 = v[1];
    v[0] = std::int16_t((v0 + v1 + 1) >> 1);
    v[1] = std::int16_t((v0 - v1 + 1) >> 1);
    ReferenceComplexFft(v, n / 2, Direction::Inverse);
}

TEST(SineTableTest, EndsAndSampledEntries) {
    const std::int16_t* t = QuarterSineTable();
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[2048], 32767);
    EXPECT_EQ(t[1024], 23170);  // 32767 / sqrt(2) = 23169.77
    EXPECT_EQ(t[1], 25);        // 32767 * sin(pi / 4096) = 25.13
    EXPECT_EQ(t[683], 16391);   // just past 30 degrees: 32767 * sin(683 pi / 4096) = 16390.9
    for (int i = 1; i <= 2048; ++i) ASSERT_GE(t[i], t[i - 1]) << i;
}

TEST(TwiddleTest, QuadrantsAndInverseSign) {
    EXPECT_EQ(TwiddleAt(0, Direction::Forward).cos, 32767);
    EXPECT_EQ(TwiddleAt(0, Direction::Forward).sin, 0);
    EXPECT_EQ(TwiddleAt(2048, Direction::Forward).cos, 0);
    EXPECT_EQ(TwiddleAt(2048, Direction::Forward).sin, 32767);
    EXPECT_EQ(TwiddleAt(3072, Direction::Forward).cos, -23170);
    EXPECT_EQ(TwiddleAt(3072, Direction::Forward).sin, 23170);
    EXPECT_EQ(TwiddleAt(3072, Direction::Inverse).sin, -23170);
}

TEST(ComplexFftTest, FourPointsWorkedByHand) {
    FftWorkspace work;
    // Impulse at point 1: the spectrum turns by a quarter per bin; 32767-based products
    // truncate 1000 to 999.
    std::int16_t v[8] = {0, 0, 1000, 0, 0, 0, 0, 0};
    ComplexFft(v, 4, Direction::Forward, work);
    const std::int16_t forward[8] = {999, 0, 0, 999, -999, 0, 0, -999};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(v[i], forward[i]) << i;

    std::int16_t w[8] = {0, 0, 1000, 0, 0, 0, 0, 0};
    ComplexFft(w, 4, Direction::Inverse, work);
    // The negated sine truncates the other way: -999.97 becomes -1000.
    const std::int16_t inverse[8] = {999, 0, 0, -1000, -999, 0, 0, 1000};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(w[i], inverse[i]) << i;
}

TEST(ComplexFftTest, BlockScalingStartsAtFirstStageAboveHalfScale) {
    FftWorkspace work;
    // Points 0 and 2 at 9000: the first stage sums them to 17999, so the second stage halves.
    std::int16_t v[8] = {9000, 0, 0, 0, 9000, 0, 0, 0};
    ComplexFft(v, 4, Direction::Forward, work);
    const std::int16_t expected[8] = {8999, 0, 0, 0, 8999, 0, 0, 0};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(v[i], expected[i]) << i;

    // 16383 does not trigger scaling, 16384 halves in the first stage and every later one.
    std::int16_t edge[8] = {16383, 0, 0, 0, 0, 0, 0, 0};
    ComplexFft(edge, 4, Direction::Forward, work);
    EXPECT_EQ(edge[0], 16383);  // the upper point of each butterfly is never multiplied
    EXPECT_EQ(edge[4], 16383);
    std::int16_t over[8] = {16384, 0, 0, 0, 0, 0, 0, 0};
    ComplexFft(over, 4, Direction::Forward, work);
    EXPECT_EQ(over[0], 4096);
    EXPECT_EQ(over[6], 4096);
}

TEST(InverseRealFftTest, FourAndEightPointsWorkedByHand) {
    FftWorkspace work;
    std::int16_t four[4] = {1000, 0, 500, 0};  // DC 1000, Nyquist 0, bin 1 = 500
    InverseRealFft(four, 4, work);
    const std::int16_t expectedFour[4] = {999, 500, 1, 500};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(four[i], expectedFour[i]) << i;

    std::int16_t eight[8] = {0, 0, 1000, 0, 0, 0, 0, 0};  // a cosine at bin 1
    InverseRealFft(eight, 8, work);
    const std::int16_t expectedEight[8] = {998, 704, 1, -709, -998, -704, -1, 709};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(eight[i], expectedEight[i]) << i;
}

TEST(InverseRealFftTest, RejectsSizesItCannotTransform) {
    FftWorkspace work;
    std::int16_t v[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::vector<std::int16_t> before(v, v + 16);
    for (int n : {0, 1, 3, 12, 16384, -8}) InverseRealFft(v, n, work);
    EXPECT_EQ(std::vector<std::int16_t>(v, v + 16), before);
}

// The fast transform must agree with the plain one for every size and for amplitudes that
// trigger scaling at different stages (or never), including full-scale values.
TEST(InverseRealFftTest, FastMatchesReferenceBitForBit) {
    FftWorkspace work;
    std::mt19937 rng(12345);
    for (int n = 2; n <= 8192; n *= 2) {
        for (int amplitude : {3, 200, 4000, 16383, 32767}) {
            std::uniform_int_distribution<int> dist(-amplitude, amplitude);
            std::vector<std::int16_t> fast(n), ref(n);
            for (int i = 0; i < n; ++i) fast[i] = ref[i] = std::int16_t(dist(rng));
            if (amplitude == 32767) fast[n - 1] = ref[n - 1] = -32768;
            InverseRealFft(fast.data(), n, work);
            ReferenceInverseRealFft(ref.data(), n);
            ASSERT_EQ(fast, ref) << "n=" << n << " amplitude=" << amplitude;
        }
    }
}

TEST(ComplexFftTest, FastMatchesReferenceBothDirections) {
    FftWorkspace work;
    std::mt19937 rng(777);
    std::uniform_int_distribution<int> dist(-20000, 20000);
    for (int m = 1; m <= 4096; m *= 2) {
        for (Direction d : {Direction::Forward, Direction::Inverse}) {
            std::vector<std::int16_t> fast(2 * m), ref(2 * m);
            for (int i = 0; i < 2 * m; ++i) fast[i] = ref[i] = std::int16_t(dist(rng) >> (i % 7));
            ComplexFft(fast.data(), m, d, work);
            ReferenceComplexFft(ref.data(), m, d);
            ASSERT_EQ(fast, ref) << "m=" << m;
        }
    }
}

// Many inputs per size whose amplitudes put the first halving at every possible stage, with
// values exactly at the half-scale edge and full-scale extremes mixed in.
std::vector<std::int16_t> ScalingProbe(std::mt19937& rng, int count) {
    std::uniform_int_distribution<int> bits(0, 15);
    std::uniform_int_distribution<int> pick(0, 15);
    const int amplitude = (1 << bits(rng)) - 1;
    std::uniform_int_distribution<int> dist(-amplitude, amplitude);
    std::vector<std::int16_t> v(count);
    for (auto& x : v) {
        const int kind = pick(rng);
        x = kind == 0 ? 16383 : kind == 1 ? -16384 : kind == 2 && amplitude > 8000 ? -32768 : std::int16_t(dist(rng));
    }
    return v;
}

TEST(ComplexFftTest, FastMatchesReferenceOverManyInputs) {
    FftWorkspace work;
    std::mt19937 rng(4242);
    for (int m = 1; m <= 4096; m *= 2) {
        for (int trial = 0; trial < 24; ++trial) {
            const Direction d = trial % 2 ? Direction::Inverse : Direction::Forward;
            std::vector<std::int16_t> ref = ScalingProbe(rng, 2 * m);
            std::vector<std::int16_t> widest = ref, narrow = ref;
            ComplexFft(widest.data(), m, d, work, Lanes::Widest);
            ComplexFft(narrow.data(), m, d, work, Lanes::Narrow);
            ReferenceComplexFft(ref.data(), m, d);
            ASSERT_EQ(widest, ref) << "m=" << m << " trial=" << trial;
            ASSERT_EQ(narrow, ref) << "m=" << m << " trial=" << trial;
        }
    }
}

TEST(InverseRealFftTest, FastMatchesReferenceOverManyInputs) {
    FftWorkspace work;
    std::mt19937 rng(99);
    for (int n = 2; n <= 8192; n *= 2) {
        for (int trial = 0; trial < 24; ++trial) {
            std::vector<std::int16_t> ref = ScalingProbe(rng, n);
            std::vector<std::int16_t> widest = ref, narrow = ref;
            InverseRealFft(widest.data(), n, work, Lanes::Widest);
            InverseRealFft(narrow.data(), n, work, Lanes::Narrow);
            ReferenceInverseRealFft(ref.data(), n);
            ASSERT_EQ(widest, ref) << "n=" << n << " trial=" << trial;
            ASSERT_EQ(narrow, ref) << "n=" << n << " trial=" << trial;
        }
    }
}

// The transform reads nothing of the workspace left from an earlier call of another size.
TEST(InverseRealFftTest, WorkspaceReuseAcrossSizesKeepsResults) {
    FftWorkspace work;
    std::mt19937 rng(5);
    std::vector<std::int16_t> first = ScalingProbe(rng, 8192);
    std::vector<std::int16_t> again = first;
    InverseRealFft(first.data(), 8192, work);
    for (int n = 2; n < 8192; n *= 2) {
        std::vector<std::int16_t> other = ScalingProbe(rng, n);
        InverseRealFft(other.data(), n, work);
    }
    InverseRealFft(again.data(), 8192, work);
    EXPECT_EQ(first, again);
}

}  // namespace
}  // namespace vexlan::fft
