#include "BlockDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace vexlan {

void BlockBitReader::Refill() {
    while (buffered_ <= 48) {
        std::uint64_t word = 0;
        if (nextByte_ + 1 < kBlockSize) {
            word = std::uint64_t(block_[nextByte_] | (block_[nextByte_ + 1] << 8));
            nextByte_ += 2;
        }
        buffer_ |= word << (48 - buffered_);
        buffered_ += 16;
    }
}

std::uint16_t BlockBitReader::ReadBits(int n) {
    if (n <= 0) return 0;
    if (n > 16) n = 16;
    if (buffered_ < n) Refill();
    const auto value = static_cast<std::uint16_t>(buffer_ >> (64 - n));
    buffer_ <<= n;
    buffered_ -= n;
    return value;
}

int BlockBitReader::LeadingZeros() {
    if (buffered_ < 17) Refill();
    return std::min(std::countl_zero(buffer_), buffered_);
}

void BlockBitReader::Skip(int n) {
    buffer_ = n >= 64 ? 0 : buffer_ << n;
    buffered_ -= n;
}

namespace {

// Runs of zero flags longer than this pass every position of any block.
constexpr int kLongestUsefulRunWidth = 14;

// The positions still free (value 0) in increasing order. A pass walks this list instead of the
// output, so zero flags, runs and occupied positions cost one step each or less.
struct FreeList {
    std::uint16_t position[kMaxDecodedValues];
    int count = 0;
    // Indices of the entries filled with a nonzero value during a pass, in increasing order.
    std::uint16_t filled[kMaxDecodedValues];
    int filledCount = 0;

    void Fill(int n) {
        for (int i = 0; i < n; ++i) position[i] = static_cast<std::uint16_t>(i);
        count = n;
    }
    // Drops the entries filled in the pass that just ended.
    void Compact() {
        if (filledCount == 0) return;
        int to = filled[0];
        for (int k = 0; k < filledCount; ++k) {
            const int from = filled[k] + 1;
            const int end = k + 1 < filledCount ? filled[k + 1] : count;
            std::memmove(position + to, position + from, std::size_t(end - from) * sizeof position[0]);
            to += end - from;
        }
        count = to;
        filledCount = 0;
    }
};

}  // namespace

void DecodeBlock(int maxCount, const std::uint8_t* block, std::int16_t* out) {
    if (maxCount <= 0) return;
    std::fill(out, out + maxCount, std::int16_t(0));
    const int count = std::min(maxCount, kMaxDecodedValues);
    BlockBitReader reader(block);
    const int countWidth = reader.ReadBits(4);
    const int topLevel = reader.ReadBits(4);
    const int passes = reader.ReadBits(4);
    const int shift = reader.ReadBits(4);
    const auto valueCount = static_cast<std::int16_t>(reader.ReadBits(16));
    reader.ReadBits(16);
    if (valueCount > maxCount) return;

    FreeList free;
    free.Fill(count);
    for (int pass = 0; pass < passes; ++pass) {
        const int level = topLevel - pass;
        if (level <= 0) break;  // not produced by the instrument; nothing to read
        const std::uint32_t symbols = reader.ReadBits(countWidth);
        int at = 0;  // index into the free list: the position p of the pass
        std::uint32_t zeroRun = 0;
        std::uint32_t weight = 0;
        while (weight < symbols) {
            // Past the last free position p has reached the end.
            if (at >= free.count) return;
            // A stretch of zero flags: each leaves one free position zero at this level.
            const int zeros = std::min({reader.LeadingZeros(), int(symbols - weight), free.count - at});
            if (zeros > 0) {
                reader.Skip(zeros);
                at += zeros;
                weight += std::uint32_t(zeros);
                zeroRun += std::uint32_t(zeros);
                if (free.position[at - 1] + 1 >= maxCount) return;
                continue;
            }
            reader.Skip(1);
            if (zeroRun >= 5) {
                const std::uint32_t w = zeroRun - 4;
                const std::uint32_t r = reader.ReadBits(w > 16 ? 16 : int(w));
                if (w > kLongestUsefulRunWidth) return;
                const std::uint32_t run = r + (1u << w) - w - 1u;
                if (run >= std::uint32_t(free.count - at)) return;
                at += int(run);
                zeroRun = 0;
                weight += run;
            } else {
                const std::uint32_t m = reader.ReadBits(level);
                const std::uint32_t v = m + (1u << level);
                const auto magnitude = static_cast<std::uint16_t>((v >> 1) << shift);
                const int p = free.position[at];
                out[p] = static_cast<std::int16_t>((m & 1u) ? static_cast<std::uint16_t>(0u - magnitude) : magnitude);
                // A value that shifted out to 0 leaves its position free for later passes.
                if (magnitude != 0) free.filled[free.filledCount++] = static_cast<std::uint16_t>(at);
                ++at;
                zeroRun = 0;
                ++weight;
                if (p + 1 >= maxCount) return;
            }
        }
        free.Compact();
    }
    out[0] = 0;
    if (maxCount > 1) out[1] = 0;
}

}  // namespace vexlan
