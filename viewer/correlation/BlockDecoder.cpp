#include "correlation/BlockDecoder.h"

#include <algorithm>
#include <cstring>

namespace vexlan {

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
    // Drops the entries filled in the pass that just ended: few of them by moving the stretches
    // between them, many by one sweep that keeps the entries whose value is still 0.
    void Compact(const std::int16_t* out) {
        if (filledCount == 0) return;
        const int first = filled[0];
        if (filledCount * 8 < count - first) {
            int to = first;
            for (int k = 0; k < filledCount; ++k) {
                const int from = filled[k] + 1;
                const int end = k + 1 < filledCount ? filled[k + 1] : count;
                std::memmove(position + to, position + from, std::size_t(end - from) * sizeof position[0]);
                to += end - from;
            }
            count = to;
        } else {
            int to = first;
            for (int from = first; from < count; ++from) {
                const std::uint16_t p = position[from];
                position[to] = p;
                to += out[p] == 0;
            }
            count = to;
        }
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
            // Zero flags: each leaves one free position zero at this level.
            const int limit = std::min(int(symbols - weight), free.count - at);
            const int zeros = reader.LeadingZeros();
            if (zeros >= limit || zeros == reader.Buffered()) {
                // Nothing but zero flags up to the pass's count, the last free position or the
                // bits at hand.
                const int n = std::min(zeros, limit);
                reader.Skip(n);
                at += n;
                weight += std::uint32_t(n);
                zeroRun += std::uint32_t(n);
                if (free.position[at - 1] + 1 >= maxCount) return;
                continue;
            }
            // Some zero flags, then a 1 flag, all inside the pass and the free positions.
            reader.Skip(zeros);
            at += zeros;
            weight += std::uint32_t(zeros);
            zeroRun += std::uint32_t(zeros);
            // The next bit is a 1 flag.
            if (zeroRun >= 5) {
                reader.Skip(1);
                const std::uint32_t w = zeroRun - 4;
                const std::uint32_t r = reader.ReadBits(w > 16 ? 16 : int(w));
                if (w > kLongestUsefulRunWidth) return;
                const std::uint32_t run = r + (1u << w) - w - 1u;
                if (run >= std::uint32_t(free.count - at)) return;
                at += int(run);
                zeroRun = 0;
                weight += run;
            } else {
                // The flag and the level's bits in one read (level <= 15).
                const std::uint32_t m = reader.ReadBits(level + 1) & ((1u << level) - 1u);
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
        free.Compact(out);
    }
    out[0] = 0;
    if (maxCount > 1) out[1] = 0;
}

}  // namespace vexlan
