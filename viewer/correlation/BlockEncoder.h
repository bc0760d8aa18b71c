#pragma once
// Compresses a block of signed 16-bit values into the 2840-byte significance-level format that
// DecodeBlock reads: one pass per magnitude level from the top down, zero flags for free
// positions that stay zero at a level, run-length escapes for long zero runs, and a common
// left shift for all magnitudes.

#include <cstddef>
#include <cstdint>

#include "correlation/CorrelationRecord.h"

namespace vexlan {

constexpr int kMaxBlockValues = 8192;

enum class EncodeStatus {
    Ok,
    TooLarge,          // the stream needs more than the block's 2840 bytes
    NotRepresentable,  // the decoder cannot reproduce these values exactly (see EncodeBlock)
    BadArguments,      // counts outside 0..maxCount or maxCount outside 1..8192
};

const char* DescribeEncodeStatus(EncodeStatus status);

// Header fields and size of an encoded block.
struct EncodeLayout {
    int countWidth = 0;  // bits of each pass's symbol count
    int topLevel = 0;
    int passCount = 0;
    int shift = 0;
    std::size_t bitsUsed = 0;
};

// Encodes values[0..valueCount) for a decoder called with maxCount, so that DecodeBlock gives
// back exactly these values followed by zeros. Exact values must have entries 0 and 1 zero
// (the decoder always clears them), magnitudes that share a common shift and, after it, fit
// 15 bits, and a value in the decoder's last position only at the lowest level present (the
// decoder stops as soon as it fills that position). Otherwise NotRepresentable. The block is
// written only on success.
EncodeStatus EncodeBlock(const std::int16_t* values, int valueCount, int maxCount, std::uint8_t block[kBlockSize],
                         EncodeLayout* layout = nullptr);

// Lossy front end for measured data: finds the smallest shift whose rounded values fit the
// block, writes quantised[0..valueCount) (what DecodeBlock will return) and encodes them.
// Entries 0 and 1 are dropped, as the decoder drops them. TooLarge only when even the
// coarsest shift does not fit.
EncodeStatus QuantiseAndEncode(const std::int16_t* values, int valueCount, int maxCount, std::uint8_t block[kBlockSize],
                               std::int16_t* quantised, EncodeLayout* layout = nullptr);

}  // namespace vexlan
