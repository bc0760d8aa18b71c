// Thousands of damaged .ked files, made from the bundled samples by flipping bytes, cutting and
// extending them, through the file reader, the block decoder and the document's recomputation
// and cursor. Each must either be refused with the version message or read, write back to its
// own bytes and recompute to a trace and cursor inside the graph.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "correlation/analysis/MethodDocument.h"
#include "res/StringIds.h"
#include "correlation/BlockDecoder.h"
#include "correlation/CVexlanDoc.h"
#include "testsupport/DocTestSupport.h"

namespace vexlan {
namespace {

using namespace test;

std::vector<std::vector<std::uint8_t>> Samples() {
    std::vector<std::vector<std::uint8_t>> images;
    for (const auto& entry : std::filesystem::directory_iterator(SourceDirectory() / "samples"))
        if (entry.path().extension() == ".ked") images.push_back(ReadBytes(entry.path().string()));
    std::sort(images.begin(), images.end());
    return images;
}

std::vector<std::uint8_t> Mutate(std::vector<std::uint8_t> bytes, std::mt19937& rng) {
    switch (rng() % 6) {
    case 0:  // scattered flipped bits anywhere, the version word included
        for (int i = 0, n = 1 + int(rng() % 8); i < n; ++i)
            bytes[rng() % bytes.size()] ^= std::uint8_t(1u << (rng() % 8));
        break;
    case 1:  // a stretch of random bytes inside one block
    {
        const std::size_t start = 2 + record_offset::spectrum1Block + rng() % (7 * kBlockSize - 64);
        for (std::size_t i = start; i < start + 1 + rng() % 64; ++i) bytes[i] = std::uint8_t(rng());
        break;
    }
    case 2:  // cut short anywhere
        bytes.resize(rng() % bytes.size());
        break;
    case 3:  // longer than a record
        bytes.resize(bytes.size() + 1 + rng() % 300, std::uint8_t(rng()));
        break;
    case 4:  // the header fields the computation relies on
        for (std::size_t i = 2 + record_offset::sampleCount; i < 2 + record_offset::spectrum1Block; ++i)
            if (rng() % 3 == 0) bytes[i] = std::uint8_t(rng());
        break;
    default:  // pipe and filter values
        for (std::size_t i = 2 + record_offset::segments; i < 2 + record_offset::sampleCount; ++i)
            if (rng() % 12 == 0) bytes[i] = std::uint8_t(rng());
        break;
    }
    return bytes;
}

TEST(MutatedFiles, ReadBackOrRefuseAndDecodeInsideTheirBlocks) {
    const auto samples = Samples();
    ASSERT_GE(samples.size(), 4u);
    const std::string dir = ScratchDirectory("mutated-read");
    const std::string path = dir + "m.ked";
    std::mt19937 rng(2024);
    std::vector<std::int16_t> out(kMaxDecodedValues + 32);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        const auto bytes = Mutate(samples[std::size_t(round) % samples.size()], rng);
        WriteBytes(path, bytes);
        CorrelationRecord record;
        CCorrelationFile file;
        const bool versionTwo = bytes.size() >= 2 && bytes[0] == 2 && bytes[1] == 0;
        ASSERT_EQ(file.ReadCorrelationFile(path, record), versionTwo) << round;
        if (!versionTwo) {
            EXPECT_EQ(file.lastError(), string_id::kMsgIncompatibleFile);
            continue;
        }
        ++accepted;
        std::vector<std::uint8_t> image(kRecordSize);
        EncodeRecord(record, image.data());
        const std::size_t covered = std::min(bytes.size() - 2, kRecordSize);
        ASSERT_TRUE(std::equal(image.begin(), image.begin() + std::ptrdiff_t(covered), bytes.begin() + 2)) << round;
        ASSERT_TRUE(std::all_of(image.begin() + std::ptrdiff_t(covered), image.end(), [](auto b) { return b == 0; }));
        for (int j = 0; j < kCorrelationBlockCount + 2; ++j) {
            const std::uint8_t* block = j == 0   ? record.spectrum1Block
                                        : j == 1 ? record.spectrum2Block
                                                 : record.correlationBlocks[j - 2];
            const int maxCount = j < 2 ? 2048 : kMaxDecodedValues;
            std::fill(out.begin(), out.end(), std::int16_t(0x7777));
            DecodeBlock(maxCount, block, out.data());
            ASSERT_TRUE(std::all_of(out.begin() + maxCount, out.end(), [](auto v) { return v == 0x7777; })) << round;
        }
    }
    EXPECT_GT(accepted, 2000);
}

TEST(MutatedFiles, RecomputeAndCursorStayInsideTheGraph) {
    const auto samples = Samples();
    const std::string dir = ScratchDirectory("mutated-doc");
    CopyShippedSources(dir);
    ScriptedPrompt prompt;
    CVexlanDoc doc(prompt, dir);
    std::mt19937 rng(77);
    int computed = 0;
    for (int round = 0; round < 300; ++round) {
        const std::string path = dir + "m" + std::to_string(round % 2) + ".ked";
        WriteBytes(path, Mutate(samples[std::size_t(round) % samples.size()], rng));
        if (!doc.OpenCorrelationFile(path)) continue;
        ASSERT_TRUE(doc.RecomputeCorrelation());
        computed += doc.computeProblem() == ComputeProblem::None;
        ASSERT_FALSE(doc.IsModified()) << round;
        ASSERT_LT(doc.cursorColumn(), kGraphWidth) << round;
        ASSERT_TRUE(std::all_of(doc.displayTrace(), doc.displayTrace() + kGraphWidth, [](std::uint8_t v) {
            return v <= kTraceTop;
        })) << round;
        for (int column : {0, int(rng() % 620), 619, -40000, 70000}) {
            doc.MoveCursor(column);
            ASSERT_LT(doc.cursorColumn(), kGraphWidth) << round;
            if (doc.computeProblem() == ComputeProblem::None) {
                ASSERT_TRUE(std::isfinite(doc.timeDelay())) << round;
                ASSERT_TRUE(std::isfinite(doc.distanceFromSensor1())) << round;
            }
        }
        doc.StepCursor(-1);
        doc.StepCursor(+1);
        // Every method answers inside the graph, or refuses the record.
        for (auto method : {analysis::CorrelationMethod::Scot, analysis::CorrelationMethod::Auto}) {
            const analysis::AnalysisResult r = analysis::RecomputeWithMethod(doc, method);
            ASSERT_LT(doc.cursorColumn(), kGraphWidth) << round;
            ASSERT_FALSE(doc.IsModified()) << round;
            if (!r.usable()) continue;
            for (const analysis::AnalysisPeak& p : r.peaks) {
                ASSERT_TRUE(p.column >= 0 && p.column < kGraphWidth) << round;
                ASSERT_TRUE(p.quality >= 0 && p.quality <= 100 && std::isfinite(p.timeDelay)) << round;
            }
        }
    }
    EXPECT_GT(computed, 100);
}

}  // namespace
}  // namespace vexlan
