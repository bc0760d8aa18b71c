// The decoder against the literal one-bit-at-a-time decoder of ReferenceBlockDecoder.h, on
// streams that exercise every branch: structured random headers with random symbol bits, blocks
// from the encoder, and the same blocks with bits flipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "correlation/BlockDecoder.h"
#include "correlation/BlockEncoder.h"
#include "testsupport/ReferenceBlockDecoder.h"

namespace vexlan {
namespace {

struct Block {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kBlockSize, 0);
};

// Header fields chosen to reach deep passes; the symbols are random bits with a chosen share of
// ones, so that long zero runs, escapes and values all occur.
Block StructuredRandom(std::mt19937& rng, int maxCount) {
    Block b;
    for (auto& byte : b.bytes) {
        std::uint8_t v = 0;
        for (int bit = 0; bit < 8; ++bit) v = std::uint8_t((v << 1) | (rng() % 100 < 12 ? 1 : 0));
        byte = v;
    }
    const int top = 1 + int(rng() % 15);
    const int passes = 1 + int(rng() % std::uint32_t(top));
    const int count = int(rng() % std::uint32_t(maxCount + 1));
    const std::uint16_t first = std::uint16_t(((10 + rng() % 6) << 12) | (top << 8) | (passes << 4) | (rng() % 5));
    b.bytes[0] = std::uint8_t(first);
    b.bytes[1] = std::uint8_t(first >> 8);
    b.bytes[2] = std::uint8_t(count);
    b.bytes[3] = std::uint8_t(count >> 8);
    return b;
}

Block Encoded(std::mt19937& rng, int valueCount, int maxCount, double density) {
    std::vector<std::int16_t> values(std::size_t(valueCount), 0), stored(std::size_t(valueCount), 0);
    std::normal_distribution<double> noise(0, 2500);
    for (int i = 2; i < valueCount; ++i)
        if (rng() % 1000 < density * 1000)
            values[std::size_t(i)] = std::int16_t(std::lround(std::clamp(noise(rng), -32000.0, 32000.0)));
    Block b;
    EXPECT_EQ(QuantiseAndEncode(values.data(), valueCount, maxCount, b.bytes.data(), stored.data()), EncodeStatus::Ok);
    return b;
}

// Returns how many values came out nonzero, so that a test can see its streams reach values.
int ExpectSameAsReference(const Block& b, int maxCount, int round) {
    std::vector<std::int16_t> fast(std::size_t(maxCount) + 8, 0x1234), slow(std::size_t(maxCount) + 8, 0x1234);
    DecodeBlock(maxCount, b.bytes.data(), fast.data());
    test::DecodeBlock(maxCount, b.bytes.data(), slow.data());
    EXPECT_EQ(fast, slow) << "round " << round << ", maxCount " << maxCount;
    return int(std::count_if(slow.begin(), slow.begin() + maxCount, [](std::int16_t v) { return v != 0; }));
}

TEST(DecodeBlockReference, StructuredRandomStreams) {
    std::mt19937 rng(99);
    int roundsWithValues = 0;
    for (int round = 0; round < 3000; ++round) {
        const int maxCount = round % 3 == 0 ? 2048 : round % 3 == 1 ? 8192 : 1 + int(rng() % 64);
        roundsWithValues += ExpectSameAsReference(StructuredRandom(rng, maxCount), maxCount, round) > 0;
    }
    EXPECT_GT(roundsWithValues, 1500);
}

TEST(DecodeBlockReference, EncodedAndDamagedBlocks) {
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        const bool spectrum = round % 2 == 0;
        const int maxCount = spectrum ? 2048 : 8192;
        const int valueCount = spectrum ? 2048 : (round % 4 == 1 ? 8192 : 4096);
        const double density = (round % 5 + 1) / 5.0;
        Block b = Encoded(rng, valueCount, maxCount, density);
        EXPECT_GT(ExpectSameAsReference(b, maxCount, round), 0);
        for (int flip = 0; flip < 4; ++flip) b.bytes[rng() % kBlockSize] ^= std::uint8_t(1u << (rng() % 8));
        ExpectSameAsReference(b, maxCount, round);
    }
}

TEST(DecodeBlockReference, SmallOutputsEndWhereverThePositionRunsOut) {
    std::mt19937 rng(17);
    int roundsWithValues = 0;
    for (int round = 0; round < 4000; ++round) {
        Block b;
        for (auto& byte : b.bytes) byte = std::uint8_t(rng());
        b.bytes[1] = std::uint8_t((b.bytes[1] & 0x0F) | 0x40);  // count width 4
        b.bytes[2] = std::uint8_t(rng() % 8);
        b.bytes[3] = 0;
        roundsWithValues += ExpectSameAsReference(b, 1 + round % 9, round) > 0;
    }
    EXPECT_GT(roundsWithValues, 500);
}

}  // namespace
}  // namespace vexlan
