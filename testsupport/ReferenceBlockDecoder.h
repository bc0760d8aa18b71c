#pragma once
// The block format decoded the slow, literal way: one bit at a time from a word-at-a-time
// reader, one position at a time, scanning past occupied positions. The tests and the fuzz
// target hold the fast decoder to it value for value.

#include <cstddef>
#include <cstdint>

#include "correlation/CorrelationRecord.h"

namespace vexlan::test {

class WordBitReader {
public:
    explicit WordBitReader(const std::uint8_t* block) : block_(block) {}
    std::uint32_t ReadBits(int n) {
        std::uint32_t value = 0;
        for (int i = 0; i < n; ++i) {
            if (bitsLeft_ == 0) {
                // Past the block's end the reader yields zeros.
                current_ = next_ + 1 < kBlockSize ? std::uint16_t(block_[next_] | (block_[next_ + 1] << 8)) : 0;
                next_ += 2;
                bitsLeft_ = 16;
            }
            --bitsLeft_;
            value = (value << 1) | ((current_ >> bitsLeft_) & 1u);
        }
        return value;
    }

private:
    const std::uint8_t* block_;
    std::size_t next_ = 0;
    int bitsLeft_ = 0;
    std::uint16_t current_ = 0;
};

inline void DecodeBlock(int maxCount, const std::uint8_t* block, std::int16_t* out) {
    if (maxCount <= 0) return;
    for (int i = 0; i < maxCount; ++i) out[i] = 0;
    WordBitReader reader(block);
    const int countWidth = int(reader.ReadBits(4));
    const int topLevel = int(reader.ReadBits(4));
    const int passes = int(reader.ReadBits(4));
    const int shift = int(reader.ReadBits(4));
    const auto valueCount = std::int16_t(reader.ReadBits(16));
    reader.ReadBits(16);
    if (valueCount > maxCount) return;
    for (int pass = 0; pass < passes; ++pass) {
        const int level = topLevel - pass;
        if (level <= 0) break;
        const std::uint64_t symbols = reader.ReadBits(countWidth);
        int p = 0;
        std::uint64_t zeroRun = 0, weight = 0;
        while (weight < symbols) {
            while (p < maxCount && out[p] != 0) ++p;
            if (p >= maxCount) return;
            if (reader.ReadBits(1) == 0) {
                ++p;
                ++zeroRun;
                weight += 1;
                if (p >= maxCount) return;
            } else if (zeroRun >= 5) {
                const std::uint64_t w = zeroRun - 4;
                const std::uint64_t r = reader.ReadBits(w > 16 ? 16 : int(w));
                // Runs this long pass every position there is.
                const std::uint64_t run = w >= 32 ? ~std::uint64_t(0) : r + (std::uint64_t(1) << w) - w - 1;
                for (std::uint64_t i = 0; i < run; ++i) {
                    ++p;
                    while (p < maxCount && out[p] != 0) ++p;
                    if (p >= maxCount) return;
                }
                zeroRun = 0;
                weight += run;
            } else {
                const std::uint32_t m = reader.ReadBits(level);
                const std::uint32_t v = m + (1u << level);
                const auto magnitude = std::uint16_t((v >> 1) << shift);
                out[p] = std::int16_t((m & 1u) ? std::uint16_t(0u - magnitude) : magnitude);
                ++p;
                zeroRun = 0;
                weight += 1;
                if (p >= maxCount) return;
            }
        }
    }
    out[0] = 0;
    if (maxCount > 1) out[1] = 0;
}

}  // namespace vexlan::test
