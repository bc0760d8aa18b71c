#include "correlation/BlockEncoder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "correlation/BlockDecoder.h"

using namespace vexlan;

namespace {

struct Block {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kBlockSize, 0);
};

std::vector<std::int16_t> Decode(const Block& block, int maxCount) {
    std::vector<std::int16_t> out(std::size_t(maxCount), 0);
    DecodeBlock(maxCount, block.bytes.data(), out.data());
    return out;
}

// Encodes, decodes with the same maxCount and expects the values back followed by zeros.
void ExpectRoundTrip(const std::vector<std::int16_t>& values, int maxCount, EncodeLayout* layout = nullptr) {
    Block block;
    ASSERT_EQ(EncodeBlock(values.data(), int(values.size()), maxCount, block.bytes.data(), layout), EncodeStatus::Ok);
    const std::vector<std::int16_t> out = Decode(block, maxCount);
    for (int i = 0; i < maxCount; ++i)
        ASSERT_EQ(out[std::size_t(i)], i < int(values.size()) ? values[std::size_t(i)] : 0) << "index " << i;
}

// Values the decoder can produce: entries 0 and 1 zero, magnitudes k << shift with k < 2^15.
std::vector<std::int16_t> RandomDecodable(std::mt19937& rng, int count, int shift, double density, int maxLevel) {
    std::vector<std::int16_t> v(std::size_t(count), 0);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> level(1, maxLevel);
    for (int i = 2; i < count; ++i) {
        if (unit(rng) >= density) continue;
        const int l = level(rng);
        const int k = (1 << (l - 1)) + int(rng() % (1u << (l - 1)));
        const int m = std::min(k << shift, 32767);
        v[std::size_t(i)] = std::int16_t(rng() & 1 ? -m : m);
    }
    return v;
}

}  // namespace

TEST(EncodeBlock, AllZeroBlocksEncodeWithoutPasses) {
    EncodeLayout layout;
    ExpectRoundTrip(std::vector<std::int16_t>(8192, 0), 8192, &layout);
    EXPECT_EQ(layout.passCount, 0);
    EXPECT_EQ(layout.topLevel, 0);
    EXPECT_EQ(layout.bitsUsed, 48u);
    ExpectRoundTrip({}, 2048);
}

TEST(EncodeBlock, RandomBlocksRoundTripAtEveryShiftAndDensity) {
    std::mt19937 rng(7);
    int encoded = 0;
    for (int round = 0; round < 300; ++round) {
        const int maxCount = round % 3 == 0 ? 2048 : 8192;
        const int count = round % 5 == 0 ? maxCount : int(rng() % unsigned(maxCount)) + 1;
        const int shift = int(rng() % 8);
        const int maxLevel = std::max(1, 15 - shift);
        const double density = (round % 4 == 0) ? 0.9 : 0.02 + 0.2 * (round % 7) / 7.0;
        const std::vector<std::int16_t> v = RandomDecodable(rng, count, shift, density, maxLevel);
        Block block;
        const EncodeStatus s = EncodeBlock(v.data(), count, maxCount, block.bytes.data());
        if (s == EncodeStatus::TooLarge)
            continue;  // dense full-precision data may not fit; that is reported, not truncated
        ASSERT_NE(s, EncodeStatus::BadArguments);
        if (s == EncodeStatus::NotRepresentable) {
            // Only the decoder's last position can make a decodable-looking block unencodable.
            ASSERT_EQ(count, maxCount);
            ASSERT_NE(v.back(), 0);
            continue;
        }
        ++encoded;
        const std::vector<std::int16_t> out = Decode(block, maxCount);
        for (int i = 0; i < maxCount; ++i)
            ASSERT_EQ(out[std::size_t(i)], i < count ? v[std::size_t(i)] : 0) << "round " << round << " index " << i;
    }
    EXPECT_GT(encoded, 150) << "too few rounds exercised the round trip";
}

TEST(EncodeBlock, ExtremeMagnitudesAndEveryLevel) {
    ExpectRoundTrip({0, 0, 32767, -32767, 1, -1, 16384, -16384}, 2048);
    EncodeLayout layout;
    ExpectRoundTrip({0, 0, -32768, 0, -32768}, 2048, &layout);
    EXPECT_EQ(layout.shift, 15);
    EXPECT_EQ(layout.topLevel, 1);

    std::vector<std::int16_t> levels(64, 0);
    for (int l = 1; l <= 15; ++l) {
        levels[std::size_t(2 + 3 * l)] = std::int16_t((1 << (l - 1)) + (l > 1 ? 1 : 0));
        levels[std::size_t(3 + 3 * l)] = std::int16_t(-((1 << l) - 1));
    }
    ExpectRoundTrip(levels, 2048, &layout);
    EXPECT_EQ(layout.topLevel, 15);
    EXPECT_EQ(layout.passCount, 15);
    EXPECT_EQ(layout.shift, 0);

    // A common factor of eight is carried by the shift, not by three extra levels.
    ExpectRoundTrip({0, 0, 8, -24, 800}, 2048, &layout);
    EXPECT_EQ(layout.shift, 3);
    EXPECT_EQ(layout.topLevel, 7);
    EXPECT_EQ(layout.passCount, 7);
}

TEST(EncodeBlock, ZeroRunsOfEveryLengthAroundTheEscapeRanges) {
    // Runs 0..40 cover the plain flags (up to 4), the first escapes (5..18) and their borders.
    for (int run = 0; run <= 40; ++run) {
        std::vector<std::int16_t> v(200, 0);
        v[2] = 5;
        v[std::size_t(3 + run)] = -3;
        v[std::size_t(4 + 2 * run)] = 7;
        ExpectRoundTrip(v, 2048);
    }
    // Long runs, also across positions filled by a higher level.
    for (int gap : {100, 1000, 4095, 8000}) {
        std::vector<std::int16_t> v(8192, 0);
        v[2] = 1000;
        v[std::size_t(2 + gap / 2)] = 30000;
        v[std::size_t(std::min(2 + gap, 8190))] = -2;
        ExpectRoundTrip(v, 8192);
    }
}

TEST(EncodeBlock, DecoderLastPositionAndEntriesZeroAndOne) {
    Block block;
    block.bytes[0] = 0xAB;
    // Filling the last position stops the decoder: fine at the lowest level, refused above it.
    std::vector<std::int16_t> v(2048, 0);
    v[100] = 300;
    v[2047] = -1;
    ExpectRoundTrip(v, 2048);
    v[2047] = 3000;
    EXPECT_EQ(EncodeBlock(v.data(), 2048, 2048, block.bytes.data()), EncodeStatus::NotRepresentable);
    EXPECT_EQ(block.bytes[0], 0xAB) << "a failed encoding must leave the block alone";
    // Fewer values than the decoder's count never reach its last position.
    ExpectRoundTrip(std::vector<std::int16_t>(v.begin(), v.end() - 1), 8192);

    const std::vector<std::int16_t> dc = {5, 0, 7};
    EXPECT_EQ(EncodeBlock(dc.data(), 3, 2048, block.bytes.data()), EncodeStatus::NotRepresentable);
    const std::vector<std::int16_t> fullScale = {0, 0, -32768, 1};
    EXPECT_EQ(EncodeBlock(fullScale.data(), 4, 2048, block.bytes.data()), EncodeStatus::NotRepresentable);
    EXPECT_EQ(EncodeBlock(dc.data(), 3, 2, block.bytes.data()), EncodeStatus::BadArguments);
    EXPECT_EQ(EncodeBlock(dc.data(), 3, 8193, block.bytes.data()), EncodeStatus::BadArguments);
}

TEST(EncodeBlock, DataThatCannotFitIsReportedNotTruncated) {
    std::mt19937 rng(3);
    std::vector<std::int16_t> v = RandomDecodable(rng, 8192, 0, 1.0, 15);
    v.back() = 0;
    Block block;
    block.bytes[5] = 0x77;
    EncodeLayout layout;
    EXPECT_EQ(EncodeBlock(v.data(), 8192, 8192, block.bytes.data(), &layout), EncodeStatus::TooLarge);
    EXPECT_GT(layout.bitsUsed, kBlockSize * 8);
    EXPECT_EQ(block.bytes[5], 0x77);
}

TEST(QuantiseAndEncode, PicksTheFinestShiftThatFitsAndDecodesToTheQuantisedValues) {
    std::mt19937 rng(11);
    std::normal_distribution<double> noise(0, 3000);
    for (int round = 0; round < 20; ++round) {
        const int count = round % 2 ? 2048 : 8192;
        std::vector<std::int16_t> v(static_cast<std::size_t>(count));
        for (auto& x : v) x = std::int16_t(std::clamp(noise(rng), -32768.0, 32767.0));
        v.back() = -32768;
        std::vector<std::int16_t> q(static_cast<std::size_t>(count), 0);
        Block block;
        EncodeLayout layout;
        ASSERT_EQ(QuantiseAndEncode(v.data(), count, count, block.bytes.data(), q.data(), &layout), EncodeStatus::Ok);
        EXPECT_LE(layout.bitsUsed, kBlockSize * 8);
        EXPECT_EQ(Decode(block, count), q);
        // Rounding error stays within half a step (plus the clipped full-scale value).
        const int step = 1 << layout.shift;
        for (int i = 2; i < count - 1; ++i)
            ASSERT_LE(std::abs(int(v[std::size_t(i)]) - q[std::size_t(i)]), step / 2 + 1) << i;
        // One step finer would not have fitted.
        if (layout.shift > 0) {
            std::vector<std::int16_t> finer(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                const int s = layout.shift - 1;
                const int k = (std::abs(int(v[std::size_t(i)])) + (s > 0 ? 1 << (s - 1) : 0)) >> s;
                finer[std::size_t(i)] =
                    std::int16_t(i < 2 ? 0 : (v[std::size_t(i)] < 0 ? -1 : 1) * std::min(k << s, 32767));
            }
            finer.back() = 0;
            EncodeLayout finerLayout;
            EncodeBlock(finer.data(), count, count, block.bytes.data(), &finerLayout);
            EXPECT_GT(finerLayout.bitsUsed, kBlockSize * 8 - 200) << "round " << round;
        }
    }
}
