#pragma once
// One correlation result exactly as the instrument stores it. The in-memory struct uses natural
// alignment; the 20400-byte little-endian file image is produced and read field by field by
// RecordCodec, never by copying the struct, so the layout is the same on any compiler and host.

#include <cstddef>
#include <cstdint>

namespace vexlan {

constexpr std::size_t kRecordSize = 20400;
constexpr std::size_t kBlockSize = 2840;  // one compressed block
constexpr int kSegmentCount = 10;
constexpr int kNotchCount = 5;
constexpr int kCorrelationBlockCount = 5;
constexpr int kCentreBlock = 2;
constexpr std::uint16_t kNoMaterial = 65535;  // a segment's material when none is set

struct NotchFilter {
    float notchStart = 0;  // lower edge, Hz; 0 = unused
    float notchEnd = 0;    // upper edge, Hz
};

// Edited and copied as one 60-byte block.
struct FilterSettings {
    float lowCutoff = 0;   // Hz; 0 = off
    float highCutoff = 0;  // Hz; 0 = off
    NotchFilter notches[kNotchCount] = {};
    float filterSpare1 = 0;
    float filterSpare2 = 0;
    std::uint8_t autoFilter = 0;
    std::uint8_t reserved[3] = {};
};

struct PipeSegment {
    std::uint16_t material = 0;  // index 0..19 into the material tables
    float length = 0;            // m
    float diameter = 0;          // mm (internal)
    float velocity = 0;          // m/s
    std::uint16_t inUse = 0;     // 1 = in use
};

struct CorrelationRecord {
    char createdDate[13] = {};
    char createdTime[13] = {};
    char title[60] = {};
    char comment1[60] = {};
    char comment2[60] = {};
    char comment3[60] = {};
    char userReference[20] = {};
    PipeSegment segments[kSegmentCount] = {};
    FilterSettings filter = {};
    std::uint16_t sampleCount = 0;    // N, real samples per correlation block transform
    std::uint16_t maxSideBlocks = 0;  // side block pairs present (0..2)
    std::uint16_t zeroLagIndex = 0;
    std::uint16_t blockCount = 0;
    std::int8_t sensorPair = 0;  // bit mask: 1 handset, 2 red, 4 blue, 8 yellow
    std::int8_t sideBlocks = 0;  // side block pairs used; rewritten by the recomputation
    float sampleRate = 0;        // Hz
    std::uint8_t spectrum1Block[kBlockSize] = {};
    std::uint8_t spectrum2Block[kBlockSize] = {};
    std::uint8_t correlationBlocks[kCorrelationBlockCount][kBlockSize] = {};
};

// Byte offsets of the fields in the 20400-byte image.
namespace record_offset {
constexpr std::size_t createdDate = 0;
constexpr std::size_t createdTime = 13;
constexpr std::size_t title = 26;
constexpr std::size_t comment1 = 86;
constexpr std::size_t comment2 = 146;
constexpr std::size_t comment3 = 206;
constexpr std::size_t userReference = 266;
constexpr std::size_t segments = 286;
constexpr std::size_t segmentSize = 16;
constexpr std::size_t filter = 446;
constexpr std::size_t filterSize = 60;
constexpr std::size_t sampleCount = 506;
constexpr std::size_t maxSideBlocks = 508;
constexpr std::size_t zeroLagIndex = 510;
constexpr std::size_t blockCount = 512;
constexpr std::size_t sensorPair = 514;
constexpr std::size_t sideBlocks = 515;
constexpr std::size_t sampleRate = 516;
constexpr std::size_t spectrum1Block = 520;
constexpr std::size_t spectrum2Block = 3360;
constexpr std::size_t correlationBlocks = 6200;

static_assert(createdTime == createdDate + sizeof(CorrelationRecord::createdDate));
static_assert(title == createdTime + sizeof(CorrelationRecord::createdTime));
static_assert(comment1 == title + sizeof(CorrelationRecord::title));
static_assert(comment2 == comment1 + sizeof(CorrelationRecord::comment1));
static_assert(comment3 == comment2 + sizeof(CorrelationRecord::comment2));
static_assert(userReference == comment3 + sizeof(CorrelationRecord::comment3));
static_assert(segments == userReference + sizeof(CorrelationRecord::userReference));
static_assert(filter == segments + kSegmentCount * segmentSize);
static_assert(sampleCount == filter + filterSize);
static_assert(spectrum1Block == sampleRate + 4);
static_assert(spectrum2Block == spectrum1Block + kBlockSize);
static_assert(correlationBlocks == spectrum2Block + kBlockSize);
static_assert(correlationBlocks + kCorrelationBlockCount * kBlockSize == kRecordSize);
}  // namespace record_offset

}  // namespace vexlan
