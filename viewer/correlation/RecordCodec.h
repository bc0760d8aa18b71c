#pragma once
// Byte-exact little-endian conversion between CorrelationRecord and its 20400-byte image.

#include <cstdint>

#include "correlation/CorrelationRecord.h"

namespace vexlan {

void EncodeRecord(const CorrelationRecord& record, std::uint8_t out[kRecordSize]);
void DecodeRecord(const std::uint8_t in[kRecordSize], CorrelationRecord& record);

void EncodeFilterSettings(const FilterSettings& filter, std::uint8_t out[record_offset::filterSize]);
void DecodeFilterSettings(const std::uint8_t in[record_offset::filterSize], FilterSettings& filter);

}  // namespace vexlan
