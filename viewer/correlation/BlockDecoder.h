#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>

#include "correlation/CorrelationRecord.h"

namespace vexlan {

constexpr int kMaxDecodedValues = 8192;  // a correlation block; a sensor spectrum holds 2048

// Reads fields from a compressed block: 16-bit little-endian words, each consumed from bit 15
// down to bit 0, as one continuous stream. Past the block's end it yields zero bits, so no bit
// pattern can make it read outside the block. Fields are 0..16 bits wide.
class BlockBitReader {
public:
    explicit BlockBitReader(const std::uint8_t* block) : block_(block) {}

    std::uint16_t ReadBits(int n) {
        if (n <= 0) return 0;
        if (n > 16) n = 16;
        if (buffered_ < n) Refill();
        const auto value = static_cast<std::uint16_t>(buffer_ >> (64 - n));
        buffer_ <<= n;
        buffered_ -= n;
        return value;
    }

    // Number of 0 bits before the next 1 bit, counting at most the bits buffered (at least 33
    // after a refill); consumes nothing.
    int LeadingZeros() {
        if (buffered_ <= 32) Refill();
        const int zeros = std::countl_zero(buffer_);
        return zeros < buffered_ ? zeros : buffered_;
    }

    int Buffered() const { return buffered_; }

    void Skip(int n)  // n <= the buffered bits
    {
        buffer_ = n >= 64 ? 0 : buffer_ << n;
        buffered_ -= n;
    }

private:
    // Tops the buffer up by two words (zeros past the block's end).
    void Refill() {
        std::uint64_t words = 0;
        if (nextByte_ + 4 <= kBlockSize) {
            const std::uint8_t* p = block_ + nextByte_;
            words = std::uint64_t(p[0] | (p[1] << 8)) << 16 | std::uint64_t(p[2] | (p[3] << 8));
            nextByte_ += 4;
        }
        buffer_ |= words << (32 - buffered_);
        buffered_ += 32;
    }

    const std::uint8_t* block_;
    std::size_t nextByte_ = 0;
    std::uint64_t buffer_ = 0;  // unread bits, the next one at bit 63
    int buffered_ = 0;          // 0..64
};

// Decodes one block into out[0..maxCount). Never writes outside out; values past
// kMaxDecodedValues stay zero.
void DecodeBlock(int maxCount, const std::uint8_t* block, std::int16_t* out);

}  // namespace vexlan
