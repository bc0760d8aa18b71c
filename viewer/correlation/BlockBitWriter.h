#pragma once
// Writes fields most significant bit first into 16-bit little-endian words, the order in which
// BlockBitReader reads them. Bits beyond the block are counted but not stored, so a caller can
// learn how large a stream would have been.

#include <cstddef>
#include <cstdint>

#include "correlation/CorrelationRecord.h"

namespace vexlan {

class BlockBitWriter {
public:
    explicit BlockBitWriter(std::uint8_t* block) : block_(block) {}

    void Put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i, ++bitCount_) {
            if (!((value >> i) & 1u) || bitCount_ >= kBlockSize * 8) continue;
            const std::size_t word = bitCount_ / 16;
            const int inWord = 15 - int(bitCount_ % 16);
            block_[word * 2 + std::size_t(inWord / 8)] |= std::uint8_t(1u << (inWord % 8));
        }
    }

    std::size_t BitCount() const { return bitCount_; }
    bool Fits() const { return bitCount_ <= kBlockSize * 8; }

private:
    std::uint8_t* block_;
    std::size_t bitCount_ = 0;
};

}  // namespace vexlan
