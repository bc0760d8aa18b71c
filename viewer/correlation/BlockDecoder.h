#pragma once
#include <cstddef>
#include <cstdint>

#include "CorrelationRecord.h"

namespace vexlan {

// Reads fields from a compressed block: 16-bit little-endian words, each
// consumed from bit 15 down to bit 0. Past the block's end it yields zero
// words, so no bit pattern can make it read outside the block.
class BlockBitReader {
public:
    explicit BlockBitReader(const std::uint8_t* block) : block_(block) {}
    std::uint16_t ReadBits(int n);

private:
    std::uint16_t LoadWord();

    const std::uint8_t* block_;
    std::size_t nextByte_ = 0;
    int bitsLeft_ = 0;
    std::uint16_t current_ = 0;
};

// Decodes one block into out[0..maxCount). Never writes outside out.
void DecodeBlock(int maxCount, const std::uint8_t* block, std::int16_t* out);

}  // namespace vexlan
