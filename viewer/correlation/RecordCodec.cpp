#include "correlation/RecordCodec.h"

#include <cstring>

#include "correlation/LittleEndian.h"

namespace vexlan {
namespace {

using le::GetF32;
using le::GetU16;
using le::PutF32;
using le::PutU16;

// Offsets inside one 16-byte segment and the 60-byte filter block.
constexpr int kSegMaterial = 0, kSegLength = 2, kSegDiameter = 6, kSegVelocity = 10, kSegInUse = 14;
constexpr int kFltLow = 0, kFltHigh = 4, kFltNotches = 8, kFltSpare1 = 48, kFltSpare2 = 52, kFltAuto = 56,
              kFltReserved = 57;

}  // namespace

void EncodeFilterSettings(const FilterSettings& f, std::uint8_t out[record_offset::filterSize]) {
    PutF32(out + kFltLow, f.lowCutoff);
    PutF32(out + kFltHigh, f.highCutoff);
    for (int i = 0; i < kNotchCount; ++i) {
        PutF32(out + kFltNotches + 8 * i, f.notches[i].notchStart);
        PutF32(out + kFltNotches + 8 * i + 4, f.notches[i].notchEnd);
    }
    PutF32(out + kFltSpare1, f.filterSpare1);
    PutF32(out + kFltSpare2, f.filterSpare2);
    out[kFltAuto] = f.autoFilter;
    std::memcpy(out + kFltReserved, f.reserved, sizeof f.reserved);
}

void DecodeFilterSettings(const std::uint8_t in[record_offset::filterSize], FilterSettings& f) {
    f.lowCutoff = GetF32(in + kFltLow);
    f.highCutoff = GetF32(in + kFltHigh);
    for (int i = 0; i < kNotchCount; ++i) {
        f.notches[i].notchStart = GetF32(in + kFltNotches + 8 * i);
        f.notches[i].notchEnd = GetF32(in + kFltNotches + 8 * i + 4);
    }
    f.filterSpare1 = GetF32(in + kFltSpare1);
    f.filterSpare2 = GetF32(in + kFltSpare2);
    f.autoFilter = in[kFltAuto];
    std::memcpy(f.reserved, in + kFltReserved, sizeof f.reserved);
}

void EncodeRecord(const CorrelationRecord& r, std::uint8_t out[kRecordSize]) {
    namespace o = record_offset;
    std::memcpy(out + o::createdDate, r.createdDate, sizeof r.createdDate);
    std::memcpy(out + o::createdTime, r.createdTime, sizeof r.createdTime);
    std::memcpy(out + o::title, r.title, sizeof r.title);
    std::memcpy(out + o::comment1, r.comment1, sizeof r.comment1);
    std::memcpy(out + o::comment2, r.comment2, sizeof r.comment2);
    std::memcpy(out + o::comment3, r.comment3, sizeof r.comment3);
    std::memcpy(out + o::userReference, r.userReference, sizeof r.userReference);
    for (int i = 0; i < kSegmentCount; ++i) {
        std::uint8_t* s = out + o::segments + o::segmentSize * i;
        PutU16(s + kSegMaterial, r.segments[i].material);
        PutF32(s + kSegLength, r.segments[i].length);
        PutF32(s + kSegDiameter, r.segments[i].diameter);
        PutF32(s + kSegVelocity, r.segments[i].velocity);
        PutU16(s + kSegInUse, r.segments[i].inUse);
    }
    EncodeFilterSettings(r.filter, out + o::filter);
    PutU16(out + o::sampleCount, r.sampleCount);
    PutU16(out + o::maxSideBlocks, r.maxSideBlocks);
    PutU16(out + o::zeroLagIndex, r.zeroLagIndex);
    PutU16(out + o::blockCount, r.blockCount);
    out[o::sensorPair] = static_cast<std::uint8_t>(r.sensorPair);
    out[o::sideBlocks] = static_cast<std::uint8_t>(r.sideBlocks);
    PutF32(out + o::sampleRate, r.sampleRate);
    std::memcpy(out + o::spectrum1Block, r.spectrum1Block, kBlockSize);
    std::memcpy(out + o::spectrum2Block, r.spectrum2Block, kBlockSize);
    std::memcpy(out + o::correlationBlocks, r.correlationBlocks, sizeof r.correlationBlocks);
}

void DecodeRecord(const std::uint8_t in[kRecordSize], CorrelationRecord& r) {
    namespace o = record_offset;
    std::memcpy(r.createdDate, in + o::createdDate, sizeof r.createdDate);
    std::memcpy(r.createdTime, in + o::createdTime, sizeof r.createdTime);
    std::memcpy(r.title, in + o::title, sizeof r.title);
    std::memcpy(r.comment1, in + o::comment1, sizeof r.comment1);
    std::memcpy(r.comment2, in + o::comment2, sizeof r.comment2);
    std::memcpy(r.comment3, in + o::comment3, sizeof r.comment3);
    std::memcpy(r.userReference, in + o::userReference, sizeof r.userReference);
    for (int i = 0; i < kSegmentCount; ++i) {
        const std::uint8_t* s = in + o::segments + o::segmentSize * i;
        r.segments[i].material = GetU16(s + kSegMaterial);
        r.segments[i].length = GetF32(s + kSegLength);
        r.segments[i].diameter = GetF32(s + kSegDiameter);
        r.segments[i].velocity = GetF32(s + kSegVelocity);
        r.segments[i].inUse = GetU16(s + kSegInUse);
    }
    DecodeFilterSettings(in + o::filter, r.filter);
    r.sampleCount = GetU16(in + o::sampleCount);
    r.maxSideBlocks = GetU16(in + o::maxSideBlocks);
    r.zeroLagIndex = GetU16(in + o::zeroLagIndex);
    r.blockCount = GetU16(in + o::blockCount);
    r.sensorPair = static_cast<std::int8_t>(in[o::sensorPair]);
    r.sideBlocks = static_cast<std::int8_t>(in[o::sideBlocks]);
    r.sampleRate = GetF32(in + o::sampleRate);
    std::memcpy(r.spectrum1Block, in + o::spectrum1Block, kBlockSize);
    std::memcpy(r.spectrum2Block, in + o::spectrum2Block, kBlockSize);
    std::memcpy(r.correlationBlocks, in + o::correlationBlocks, sizeof r.correlationBlocks);
}

}  // namespace vexlan
