#include "BlockDecoder.h"

namespace vexlan {

std::uint16_t BlockBitReader::LoadWord() {
    if (nextByte_ + 1 >= kBlockSize) return 0;
    const auto w = static_cast<std::uint16_t>(block_[nextByte_] | (block_[nextByte_ + 1] << 8));
    nextByte_ += 2;
    return w;
}

std::uint16_t BlockBitReader::ReadBits(int n) {
    if (n <= 0) return 0;
    const std::uint32_t mask = (1u << n) - 1u;
    if (bitsLeft_ >= n) {
        bitsLeft_ -= n;
        return static_cast<std::uint16_t>((current_ >> bitsLeft_) & mask);
    }
    const std::uint16_t next = LoadWord();
    std::uint32_t w = bitsLeft_ > 0 ? (static_cast<std::uint32_t>(current_) << (16 - bitsLeft_)) & 0xFFFFu : 0u;
    w |= static_cast<std::uint32_t>(next) >> bitsLeft_;
    bitsLeft_ = bitsLeft_ - n + 16;
    current_ = next;
    return static_cast<std::uint16_t>((w >> (16 - n)) & mask);
}

namespace {
int SkipOccupied(const std::int16_t* out, int p, int maxCount) {
    while (p < maxCount && out[p] != 0) ++p;
    return p;
}
}  // namespace

void DecodeBlock(int maxCount, const std::uint8_t* block, std::int16_t* out) {
    if (maxCount <= 0) return;
    for (int i = 0; i < maxCount; ++i) out[i] = 0;
    BlockBitReader reader(block);
    const int countWidth = reader.ReadBits(4);
    const int topLevel = reader.ReadBits(4);
    const int passes = reader.ReadBits(4);
    const int shift = reader.ReadBits(4);
    const auto valueCount = static_cast<std::int16_t>(reader.ReadBits(16));
    reader.ReadBits(16);
    if (valueCount > maxCount) return;

    for (int pass = 0; pass < passes; ++pass) {
        const int level = topLevel - pass;
        if (level <= 0) break;  // not produced by the instrument; nothing to read
        const std::uint32_t symbols = reader.ReadBits(countWidth);
        int p = 0;
        int zeroRun = 0;
        std::uint32_t weight = 0;
        while (weight < symbols) {
            p = SkipOccupied(out, p, maxCount);
            if (p >= maxCount) return;
            if (reader.ReadBits(1) == 0) {
                ++p; ++zeroRun; ++weight;
                // Reaching the end ends the whole decoding, not just this pass.
                if (p >= maxCount) return;
            } else if (zeroRun >= 5) {
                const int w = zeroRun - 4;
                const std::uint32_t r = reader.ReadBits(w > 16 ? 16 : w);
                const std::uint32_t run = w >= 32 ? 0xFFFFFFFFu : r + (1u << w) - w - 1u;
                for (std::uint32_t i = 0; i < run; ++i) {
                    p = SkipOccupied(out, p + 1, maxCount);
                    if (p >= maxCount) return;
                }
                zeroRun = 0;
                weight += run;
            } else {
                const std::uint32_t m = reader.ReadBits(level > 16 ? 16 : level);
                const std::uint32_t v = m + (1u << level);
                const auto magnitude = static_cast<std::uint16_t>((v >> 1) << shift);
                out[p] = static_cast<std::int16_t>((m & 1u) ? static_cast<std::uint16_t>(0u - magnitude) : magnitude);
                ++p; zeroRun = 0; ++weight;
                if (p >= maxCount) return;
            }
        }
    }
    out[0] = 0;
    if (maxCount > 1) out[1] = 0;
}

}  // namespace vexlan
