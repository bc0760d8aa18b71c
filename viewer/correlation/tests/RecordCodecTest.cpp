#include "correlation/RecordCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace vexlan;

TEST(RecordCodec, RandomImageSurvivesDecodeEncodeByteForByte) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> image(kRecordSize), again(kRecordSize);
    for (int round = 0; round < 20; ++round) {
        for (auto& b : image) b = static_cast<std::uint8_t>(rng());
        CorrelationRecord r;
        DecodeRecord(image.data(), r);
        EncodeRecord(r, again.data());
        ASSERT_EQ(image, again);
    }
}

TEST(RecordCodec, FieldsLandLittleEndianAtTheirOffsets) {
    CorrelationRecord r;
    r.sampleCount = 0x1234;
    r.segments[1].material = 0x0A0B;
    r.segments[1].length = 1.0f;  // 0x3F800000
    r.filter.autoFilter = 1;
    r.sensorPair = 6;
    std::vector<std::uint8_t> image(kRecordSize, 0xEE);
    EncodeRecord(r, image.data());
    EXPECT_EQ(image[record_offset::sampleCount], 0x34);
    EXPECT_EQ(image[record_offset::sampleCount + 1], 0x12);
    const std::size_t seg1 = record_offset::segments + record_offset::segmentSize;
    EXPECT_EQ(image[seg1], 0x0B);
    EXPECT_EQ(image[seg1 + 1], 0x0A);
    EXPECT_EQ(image[seg1 + 5], 0x3F);
    EXPECT_EQ(image[seg1 + 4], 0x80);
    EXPECT_EQ(image[record_offset::filter + 56], 1);
    EXPECT_EQ(image[record_offset::sensorPair], 6);
}
