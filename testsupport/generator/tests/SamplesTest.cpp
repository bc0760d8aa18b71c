// The bundled samples: every file of samples/ is listed in samples/samples.list, is exactly what
// the generator makes from its line today, opens in the document and shows its planted leak.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "correlation/BlockDecoder.h"
#include "correlation/CCorrelationEngine.h"
#include "correlation/CCorrelationFile.h"
#include "testsupport/generator/tests/KedgenTestSupport.h"
#include "correlation/RecordCodec.h"
#include "testsupport/generator/SampleManifest.h"

namespace vexlan::kedgen {
namespace {

namespace fs = std::filesystem;

fs::path SamplesDirectory() { return test::SourceDirectory() / "samples"; }

std::vector<SampleEntry> Manifest() {
    std::vector<SampleEntry> entries;
    std::string error;
    EXPECT_TRUE(ReadSampleManifest((SamplesDirectory() / "samples.list").string(), entries, error)) << error;
    return entries;
}

std::string Argument(const SampleEntry& e, const std::string& option) {
    const auto it = std::find(e.args.begin(), e.args.end(), option);
    return it != e.args.end() && it + 1 != e.args.end() ? *(it + 1) : std::string();
}

TEST(Samples, ListAndFolderAgreeAndIncludeTheRunSample) {
    std::set<std::string> listed, present;
    for (const SampleEntry& e : Manifest()) EXPECT_TRUE(listed.insert(e.file).second) << e.file << " listed twice";
    for (const auto& f : fs::directory_iterator(SamplesDirectory()))
        if (f.path().extension() == ".ked") present.insert(f.path().filename().string());
    EXPECT_EQ(listed, present);
    EXPECT_TRUE(listed.count("metal-two-segments.ked"));
    for (const char* hard : {"hard-mains-hum.ked", "hard-pump-beyond-sensor.ked", "hard-low-snr.ked"})
        EXPECT_TRUE(listed.count(hard)) << hard;
    EXPECT_GE(listed.size(), 8u);
}

// Values of one compressed block that differ between the two files, and whether each differs
// by at most one quantisation step. The maths library may round its last bit differently on
// another processor, which can move a rare value across a rounding edge; anything more is a
// change of the generator.
struct BlockDifference {
    int values = 0;
    bool withinOneStep = true;
};

BlockDifference CompareBlock(const std::uint8_t* a, const std::uint8_t* b, int maxCount) {
    const auto count = static_cast<std::size_t>(maxCount);
    std::vector<std::int16_t> va(count), vb(count);
    DecodeBlock(maxCount, a, va.data());
    DecodeBlock(maxCount, b, vb.data());
    const int step = 1 << (a[0] & 0x0F);  // the shift S closes the first header word
    BlockDifference d;
    for (std::size_t i = 0; i < va.size(); ++i)
        if (va[i] != vb[i]) {
            ++d.values;
            d.withinOneStep = d.withinOneStep && std::abs(va[i] - vb[i]) <= step;
        }
    return d;
}

TEST(Samples, EachIsWhatTheGeneratorMakesFromItsLine) {
    const fs::path dir = test::ScratchFolder("samples");
    for (const SampleEntry& e : Manifest()) {
        SCOPED_TRACE(e.file + " (line " + std::to_string(e.line) +
                     " of samples.list); regenerate with the 'samples' build target");
        std::ostringstream err;
        ASSERT_EQ(GenerateSample(e, dir.string(), err), 0) << err.str();
        const auto made = test::ReadBytes(dir / e.file);
        const auto committed = test::ReadBytes(SamplesDirectory() / e.file);
        ASSERT_EQ(committed.size(), kFileSize);
        ASSERT_EQ(made.size(), kFileSize);
        if (made == committed) continue;
        CorrelationRecord a, b;
        DecodeRecord(made.data() + 2, a);
        DecodeRecord(committed.data() + 2, b);
        // Everything before the blocks is exact.
        EXPECT_TRUE(std::equal(made.begin(), made.begin() + 2 + record_offset::spectrum1Block, committed.begin()));
        std::vector<BlockDifference> blocks = {CompareBlock(a.spectrum1Block, b.spectrum1Block, kSpectrumPoints),
                                               CompareBlock(a.spectrum2Block, b.spectrum2Block, kSpectrumPoints)};
        for (int j = 0; j < kCorrelationBlockCount; ++j)
            blocks.push_back(CompareBlock(a.correlationBlocks[j], b.correlationBlocks[j], fft::kMaxRealPoints));
        for (std::size_t k = 0; k < blocks.size(); ++k) {
            EXPECT_TRUE(blocks[k].withinOneStep) << "block " << k;
            EXPECT_LE(blocks[k].values, 4) << "block " << k;
        }
    }
}

// An ordinary sample shows its leak at first glance: the cursor on it, within one column, and no
// bar further than 8 columns from it above 60 % of its height. A hard one ("hard-" in front)
// misleads the plain correlation: its cursor lies well away from the leak.
TEST(Samples, EachOpensInTheDocumentAndShowsItsLeakOrMisleadsIfHard) {
    for (const SampleEntry& e : Manifest()) {
        SCOPED_TRACE(e.file);
        ScriptedPrompt prompt;
        auto doc = std::make_unique<CVexlanDoc>(prompt);
        ASSERT_TRUE(doc->OpenCorrelationFile((SamplesDirectory() / e.file).string()));
        EXPECT_TRUE(prompt.asked().empty());
        doc->RecomputeCorrelation();
        ASSERT_EQ(doc->computeProblem(), ComputeProblem::None);
        const int cursor = doc->cursorColumn();
        EXPECT_EQ(doc->displayTrace()[cursor], kTraceTop);

        const std::string leak = Argument(e, "--leak");
        ASSERT_FALSE(leak.empty()) << "every sample plants its leak explicitly";
        // One graph column at the fastest velocity of the bundled pipes.
        const double columnTime =
            doc->samplesPerColumn() * (2 * doc->record().sideBlocks + 1) / double(doc->record().sampleRate);
        const double columnDistance = columnTime * 1320 / 2;
        const double missed = std::abs(doc->distanceFromSensor1() - std::stod(leak));
        if (e.file.rfind("hard-", 0) == 0) {
            EXPECT_GT(missed, 8 * columnDistance);
            continue;
        }
        EXPECT_LT(missed, columnDistance);
        int loudestAway = 0;
        for (int c = 0; c < kGraphWidth; ++c)
            if (std::abs(c - cursor) > 8) loudestAway = std::max(loudestAway, int(doc->displayTrace()[c]));
        EXPECT_LE(loudestAway, kTraceTop * 6 / 10);
    }
}

TEST(SampleManifest, SplitsArgumentsWithQuotes) {
    std::vector<std::string> args;
    ASSERT_TRUE(SplitArguments("a.ked  --title \"Mill Road\" --x=\"\"  \t--y", args));
    EXPECT_EQ(args, (std::vector<std::string>{"a.ked", "--title", "Mill Road", "--x=", "--y"}));
    ASSERT_TRUE(SplitArguments("\"\"", args));
    EXPECT_EQ(args, (std::vector<std::string>{""}));
    EXPECT_FALSE(SplitArguments("a.ked --title \"open", args));
}

TEST(SampleManifest, RejectsMalformedLines) {
    const fs::path dir = test::ScratchFolder("manifest");
    auto read = [&](const std::string& text, std::vector<SampleEntry>& entries, std::string& error) {
        const fs::path path = dir / "list";
        std::ofstream(path) << text;
        return ReadSampleManifest(path.string(), entries, error);
    };
    std::vector<SampleEntry> entries;
    std::string error;
    ASSERT_TRUE(read("# comment\n\n  a.ked --segment steel,1,1\nb.ked -x \"y z\"\r\n", entries, error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].file, "a.ked");
    EXPECT_EQ(entries[0].line, 3);
    EXPECT_EQ(entries[1].args, (std::vector<std::string>{"-x", "y z"}));

    EXPECT_FALSE(read("a.ked\n", entries, error));  // no arguments
    EXPECT_NE(error.find(":1:"), std::string::npos);
    EXPECT_FALSE(read("ok.ked -x\n../up.ked -x\n", entries, error));
    EXPECT_NE(error.find(":2:"), std::string::npos);
    EXPECT_FALSE(read("a.txt -x\n", entries, error));
    EXPECT_FALSE(read("a.ked -x \"open\n", entries, error));
    EXPECT_FALSE(ReadSampleManifest((dir / "none").string(), entries, error));
}

}  // namespace
}  // namespace vexlan::kedgen
