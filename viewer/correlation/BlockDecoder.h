#pragma once
#include <cstddef>
#include <cstdint>

#include "CorrelationRecord.h"

namespace vexlan {

constexpr int kMaxDecodedValues = 8192;  // a correlation block; a sensor spectrum holds 2048

// Reads fields from a compressed block: 16-bit little-endian words, each consumed from bit 15
// down to bit 0, as one continuous stream. Past the block's end it yields zero bits, so no bit
// pattern can make it read outside the block. Fields are 0..16 bits wide.
class BlockBitReader {
public:
    explicit BlockBitReader(const std::uint8_t* block) : block_(block) {}
    std::uint16_t ReadBits(int n);
    // Number of 0 bits before the next 1 bit, counting at most the bits already buffered (at
    // least 17 after a refill); consumes nothing.
    int LeadingZeros();
    void Skip(int n);  // n <= the buffered bits

private:
    void Refill();

    const std::uint8_t* block_;
    std::size_t nextByte_ = 0;
    std::uint64_t buffer_ = 0;  // unread bits, the next one at bit 63
    int buffered_ = 0;
};

// Decodes one block into out[0..maxCount). Never writes outside out; values past
// kMaxDecodedValues stay zero.
void DecodeBlock(int maxCount, const std::uint8_t* block, std::int16_t* out);

}  // namespace vexlan
