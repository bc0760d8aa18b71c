#include "correlation/BlockEncoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "correlation/BlockBitWriter.h"

namespace vexlan {

namespace {

constexpr int kMaxLevel = 15;        // the header's 4-bit top level
constexpr int kMaxShift = 15;        // the header's 4-bit shift
constexpr int kEscapeZeroFlags = 5;  // a 1 flag after this many zero flags is an escape

int BitLength(std::uint32_t v) {
    int n = 0;
    while (v != 0) {
        ++n;
        v >>= 1;
    }
    return n;
}

std::uint32_t Magnitude(std::int16_t v) { return std::uint32_t(std::abs(int(v))); }

// Significance level of every value under a shift: 0 for zero, else the bit length of the
// shifted magnitude. Fails when the shift would lose bits or the level exceeds the header.
EncodeStatus FindLevels(const std::int16_t* values, int count, int shift, std::uint8_t* levels) {
    for (int i = 0; i < count; ++i) {
        const std::uint32_t m = Magnitude(values[i]);
        levels[i] = 0;
        if (m == 0) continue;
        if (i < 2 || ((m >> shift) << shift) != m) return EncodeStatus::NotRepresentable;
        const int level = BitLength(m >> shift);
        if (level > kMaxLevel) return EncodeStatus::NotRepresentable;
        levels[i] = std::uint8_t(level);
    }
    return EncodeStatus::Ok;
}

// Emits the zero flags (and at most one escape) that make the decoder pass over `zeros` free
// positions, leaving the zero-run counter below the escape threshold so that a value follows.
void PutZeroRun(BlockBitWriter& out, int zeros) {
    if (zeros < kEscapeZeroFlags) {
        out.Put(0, zeros);
        return;
    }
    // z = w + 4 zero flags followed by an escape of R = r + 2^w - w - 1 positions cover
    // 2^w + 3 .. 2^(w+1) + 2 positions in all; these ranges tile every run of 5 or more.
    int w = 1;
    while (zeros > (1 << (w + 1)) + 2) ++w;
    const int flags = w + 4;
    const int run = zeros - flags;
    out.Put(0, flags);
    out.Put(1, 1);
    out.Put(std::uint32_t(run - ((1 << w) - w - 1)), w);
}

// Free positions of a pass are those not filled at a higher level; the symbol count K is the
// number of them up to and including the last value of this level (trailing zeros are implied).
int PassSymbolCount(const std::uint8_t* levels, int count, int level) {
    int free = 0;
    int symbols = 0;
    for (int i = 0; i < count; ++i) {
        if (levels[i] > level) continue;
        ++free;
        if (levels[i] == level) symbols = free;
    }
    return symbols;
}

void PutPass(BlockBitWriter& out, const std::int16_t* values, const std::uint8_t* levels, int count, int level,
             int shift) {
    int zeros = 0;
    for (int i = 0; i < count; ++i) {
        if (levels[i] > level) continue;
        if (levels[i] != level) {
            ++zeros;
            continue;
        }
        PutZeroRun(out, zeros);
        zeros = 0;
        // Magnitude k = 2^(L-1) + (m >> 1); bit 0 of m carries the sign.
        const std::uint32_t k = Magnitude(values[i]) >> shift;
        const std::uint32_t m = ((k - (1u << (level - 1))) << 1) | (values[i] < 0 ? 1u : 0u);
        out.Put(1, 1);
        out.Put(m, level);
    }
}

EncodeStatus EncodeWithShift(const std::int16_t* values, int count, int maxCount, int shift,
                             std::uint8_t block[kBlockSize], EncodeLayout* layout) {
    std::uint8_t levels[kMaxBlockValues];
    if (const EncodeStatus s = FindLevels(values, count, shift, levels); s != EncodeStatus::Ok) return s;
    int top = 0;
    int bottom = kMaxLevel + 1;
    for (int i = 0; i < count; ++i) {
        if (levels[i] == 0) continue;
        top = std::max<int>(top, levels[i]);
        bottom = std::min<int>(bottom, levels[i]);
    }
    const int passes = top == 0 ? 0 : top - bottom + 1;
    // Filling the decoder's last position ends the decoding, so nothing may follow it.
    if (count == maxCount && levels[count - 1] != 0 && levels[count - 1] != bottom)
        return EncodeStatus::NotRepresentable;

    int symbolCounts[kMaxLevel + 1] = {};
    int widest = 0;
    for (int level = top; level > top - passes; --level) {
        symbolCounts[level] = PassSymbolCount(levels, count, level);
        widest = std::max(widest, symbolCounts[level]);
    }
    const int countWidth = passes == 0 ? 0 : std::max(1, BitLength(std::uint32_t(widest)));

    std::uint8_t image[kBlockSize] = {};
    BlockBitWriter out(image);
    out.Put(std::uint32_t(countWidth), 4);
    out.Put(std::uint32_t(top), 4);
    out.Put(std::uint32_t(passes), 4);
    out.Put(std::uint32_t(passes == 0 ? 0 : shift), 4);
    out.Put(std::uint32_t(count), 16);
    out.Put(0, 16);
    for (int level = top; level > top - passes; --level) {
        out.Put(std::uint32_t(symbolCounts[level]), countWidth);
        PutPass(out, values, levels, count, level, shift);
    }
    if (layout != nullptr) *layout = EncodeLayout{countWidth, top, passes, passes == 0 ? 0 : shift, out.BitCount()};
    if (!out.Fits()) return EncodeStatus::TooLarge;
    std::memcpy(block, image, kBlockSize);
    return EncodeStatus::Ok;
}

bool ValidCounts(int valueCount, int maxCount) {
    return maxCount >= 1 && maxCount <= kMaxBlockValues && valueCount >= 0 && valueCount <= maxCount;
}

}  // namespace

const char* DescribeEncodeStatus(EncodeStatus status) {
    switch (status) {
    case EncodeStatus::Ok: return "encoded";
    case EncodeStatus::TooLarge: return "the values do not fit into one 2840-byte block";
    case EncodeStatus::NotRepresentable: return "the values cannot be reproduced exactly by the block format";
    case EncodeStatus::BadArguments: return "the value count does not fit the block";
    }
    return "";
}

EncodeStatus EncodeBlock(const std::int16_t* values, int valueCount, int maxCount, std::uint8_t block[kBlockSize],
                         EncodeLayout* layout) {
    if (!ValidCounts(valueCount, maxCount)) return EncodeStatus::BadArguments;
    // The largest shift shared by every magnitude keeps the levels, and so the passes, fewest.
    int shift = kMaxShift;
    bool any = false;
    for (int i = 0; i < valueCount; ++i) {
        const std::uint32_t m = Magnitude(values[i]);
        if (m == 0) continue;
        any = true;
        int zeros = 0;
        while (zeros < kMaxShift && ((m >> zeros) & 1u) == 0) ++zeros;
        shift = std::min(shift, zeros);
    }
    return EncodeWithShift(values, valueCount, maxCount, any ? shift : 0, block, layout);
}

EncodeStatus QuantiseAndEncode(const std::int16_t* values, int valueCount, int maxCount, std::uint8_t block[kBlockSize],
                               std::int16_t* quantised, EncodeLayout* layout) {
    if (!ValidCounts(valueCount, maxCount)) return EncodeStatus::BadArguments;
    std::int16_t rounded[kMaxBlockValues];
    EncodeStatus status = EncodeStatus::TooLarge;
    for (int shift = 0; shift <= kMaxShift; ++shift) {
        const std::uint32_t half = shift > 0 ? 1u << (shift - 1) : 0u;
        std::uint32_t lowest = 0xFFFFFFFFu;
        for (int i = 0; i < valueCount; ++i) {
            const bool negative = values[i] < 0;
            const std::uint32_t limit =
                std::min<std::uint32_t>((negative ? 32768u : 32767u) >> shift, (1u << kMaxLevel) - 1u);
            const std::uint32_t k = i < 2 ? 0u : std::min(limit, (Magnitude(values[i]) + half) >> shift);
            const auto m = std::int32_t(k << shift);
            rounded[i] = std::int16_t(negative ? -m : m);
            if (k != 0) lowest = std::min<std::uint32_t>(lowest, std::uint32_t(BitLength(k)));
        }
        // A value in the decoder's last position must sit at the lowest level; else drop it.
        if (valueCount == maxCount && rounded[valueCount - 1] != 0 &&
            std::uint32_t(BitLength(Magnitude(rounded[valueCount - 1]) >> shift)) != lowest)
            rounded[valueCount - 1] = 0;
        status = EncodeWithShift(rounded, valueCount, maxCount, shift, block, layout);
        if (status == EncodeStatus::Ok) {
            std::copy(rounded, rounded + valueCount, quantised);
            return status;
        }
    }
    return status;
}

}  // namespace vexlan
