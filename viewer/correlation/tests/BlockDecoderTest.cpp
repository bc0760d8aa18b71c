#include "correlation/BlockDecoder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace vexlan;

namespace {
// Packs fields MSB-first into little-endian 16-bit words.
struct BitWriter {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kBlockSize, 0);
    std::size_t bit = 0;
    void Put(std::uint32_t value, int n) {
        for (int i = n - 1; i >= 0; --i, ++bit) {
            if ((value >> i) & 1u) {
                const std::size_t word = bit / 16;
                const int inWord = 15 - static_cast<int>(bit % 16);
                bytes[word * 2 + inWord / 8] |= static_cast<std::uint8_t>(1u << (inWord % 8));
            }
        }
    }
};
}  // namespace

// Bit patterns are laid out one field group per line, as the block format reads them.
// clang-format off
TEST(BlockBitReader, ReadsWordsMostSignificantBitFirstAcrossWordBoundaries) {
    BitWriter w;
    w.Put(0x5, 3); w.Put(0x1ABC, 13); w.Put(0x3, 2); w.Put(0xBEEF, 16);
    BlockBitReader r(w.bytes.data());
    EXPECT_EQ(r.ReadBits(3), 0x5);
    EXPECT_EQ(r.ReadBits(13), 0x1ABC);
    EXPECT_EQ(r.ReadBits(2), 0x3);
    EXPECT_EQ(r.ReadBits(16), 0xBEEF);
}

TEST(DecodeBlock, ZeroBlockAndOversizedCountLeaveOutputZero) {
    std::vector<std::uint8_t> zero(kBlockSize, 0);
    std::vector<std::int16_t> out(8192, 7);
    DecodeBlock(8192, zero.data(), out.data());
    for (auto v : out) ASSERT_EQ(v, 0);

    BitWriter w;
    w.Put(4, 4); w.Put(3, 4); w.Put(1, 4); w.Put(0, 4); w.Put(8193, 16); w.Put(0, 16);
    w.Put(1, 4); w.Put(0, 1); w.Put(0, 1); w.Put(1, 1); w.Put(0x5, 3);
    DecodeBlock(8192, w.bytes.data(), out.data());
    for (auto v : out) ASSERT_EQ(v, 0);
}

TEST(DecodeBlock, ValuesSignsShiftAndEscapeRuns) {
    BitWriter w;
    // A=8, T=3, P=1, S=2, count 16
    w.Put(8, 4); w.Put(3, 4); w.Put(1, 4); w.Put(2, 4); w.Put(16, 16); w.Put(0, 16);
    w.Put(9, 8);                     // symbol weights of the pass
    w.Put(0, 1); w.Put(0, 1);        // positions 0,1 zero
    w.Put(1, 1); w.Put(0x5, 3);      // position 2: v=0b1101 -> magnitude 6<<2=24, sign negative
    for (int i = 0; i < 5; ++i) w.Put(0, 1);  // positions 3..7
    w.Put(1, 1); w.Put(1, 1);        // escape w=1, r=1 -> R = 1+2-1-1 = 1: position 8 skipped
    // weight so far 2+1+5+1 = 9 = K: pass ends
    std::vector<std::int16_t> out(16, 0);
    DecodeBlock(16, w.bytes.data(), out.data());
    EXPECT_EQ(out[2], -24);
    for (int i = 0; i < 16; ++i) {
        if (i != 2) {
            EXPECT_EQ(out[i], 0) << i;
        }
    }
}

TEST(DecodeBlock, RandomBlocksStayInsideOutput) {
    std::mt19937 rng(1234);
    std::vector<std::uint8_t> block(kBlockSize);
    std::vector<std::int16_t> out(8192 + 16, 0x5A5A);
    for (int round = 0; round < 2000; ++round) {
        for (auto& b : block) b = static_cast<std::uint8_t>(rng());
        const int maxCount = round % 2 ? 8192 : 2048;
        for (int i = maxCount; i < maxCount + 16; ++i) out[i] = 0x5A5A;
        DecodeBlock(maxCount, block.data(), out.data());
        for (int i = maxCount; i < maxCount + 16; ++i) ASSERT_EQ(out[i], 0x5A5A);
    }
}

TEST(DecodeBlock, ReachingTheEndStopsEveryLaterPass) {
    BitWriter w;
    // A=4, T=2, P=2, S=0, count 4. Pass 1 (level 2): four zero flags run p to the end, which ends
    // the decoding; pass 2 (level 1) would put +1 at positions 0..2.
    w.Put(4, 4); w.Put(2, 4); w.Put(2, 4); w.Put(0, 4); w.Put(4, 16); w.Put(0, 16);
    w.Put(4, 4); for (int i = 0; i < 4; ++i) w.Put(0, 1);
    w.Put(3, 4); for (int i = 0; i < 3; ++i) { w.Put(1, 1); w.Put(0, 1); }
    std::vector<std::int16_t> out(4, 9);
    DecodeBlock(4, w.bytes.data(), out.data());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(out[i], 0) << i;

    // The same second pass after a first pass that stops short of the end does run.
    BitWriter v;
    v.Put(4, 4); v.Put(2, 4); v.Put(2, 4); v.Put(0, 4); v.Put(4, 16); v.Put(0, 16);
    v.Put(3, 4); for (int i = 0; i < 3; ++i) v.Put(0, 1);
    v.Put(3, 4); for (int i = 0; i < 3; ++i) { v.Put(1, 1); v.Put(0, 1); }
    DecodeBlock(4, v.bytes.data(), out.data());
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 1);
    EXPECT_EQ(out[3], 0);
}

TEST(DecodeBlock, FourZeroFlagsThenAValueFiveThenAnEscape) {
    // A=8, T=2, P=1, S=0, count 16.
    BitWriter w;
    w.Put(8, 4); w.Put(2, 4); w.Put(1, 4); w.Put(0, 4); w.Put(16, 16); w.Put(0, 16);
    w.Put(5 + 5 + 1 + 1, 8);
    for (int i = 0; i < 4; ++i) w.Put(0, 1);
    w.Put(1, 1); w.Put(0x2, 2);            // position 4: v = 0b110 -> +3
    for (int i = 0; i < 5; ++i) w.Put(0, 1);  // positions 5..9
    w.Put(1, 1); w.Put(0, 1);              // escape w = 1, r = 0: R = 0, only the run resets
    w.Put(1, 1); w.Put(0x1, 2);            // position 10: v = 0b101 -> -2
    std::vector<std::int16_t> out(16, 0);
    DecodeBlock(16, w.bytes.data(), out.data());
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], i == 4 ? 3 : i == 10 ? -2 : 0) << i;
}
// clang-format on
