// The bundled samples: every file of samples/ is listed in samples/samples.list, is exactly what
// the generator makes from its line today, opens in the document and shows its planted leak.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "KedgenTestSupport.h"
#include "SampleManifest.h"

namespace vexlan::kedgen {
namespace {

namespace fs = testing::fs;

fs::path SamplesDirectory() { return testing::SourceDirectory() / "samples"; }

std::vector<SampleEntry> Manifest()
{
    std::vector<SampleEntry> entries;
    std::string error;
    EXPECT_TRUE(ReadSampleManifest((SamplesDirectory() / "samples.list").string(), entries, error)) << error;
    return entries;
}

std::string Argument(const SampleEntry& e, const std::string& option)
{
    const auto it = std::find(e.args.begin(), e.args.end(), option);
    return it != e.args.end() && it + 1 != e.args.end() ? *(it + 1) : std::string();
}

TEST(Samples, ListAndFolderAgreeAndIncludeTheRunSample)
{
    std::set<std::string> listed, present;
    for (const SampleEntry& e : Manifest())
        EXPECT_TRUE(listed.insert(e.file).second) << e.file << " listed twice";
    for (const auto& f : fs::directory_iterator(SamplesDirectory()))
        if (f.path().extension() == ".ked")
            present.insert(f.path().filename().string());
    EXPECT_EQ(listed, present);
    EXPECT_TRUE(listed.count("metal-two-segments.ked"));
    EXPECT_GE(listed.size(), 5u);
}

TEST(Samples, EachIsWhatTheGeneratorMakesFromItsLine)
{
    const fs::path dir = testing::ScratchDirectory("samples");
    for (const SampleEntry& e : Manifest()) {
        std::ostringstream err;
        ASSERT_EQ(GenerateSample(e, dir.string(), err), 0) << e.file << ": " << err.str();
        EXPECT_EQ(testing::ReadBytes(dir / e.file), testing::ReadBytes(SamplesDirectory() / e.file))
            << e.file << " differs from what line " << e.line
            << " of samples.list gives; regenerate with the 'samples' build target";
    }
}

TEST(Samples, EachOpensInTheDocumentAndShowsItsLeak)
{
    for (const SampleEntry& e : Manifest()) {
        SCOPED_TRACE(e.file);
        ScriptedPrompt prompt;
        auto doc = std::make_unique<CVexlanDoc>(prompt);
        ASSERT_TRUE(doc->OpenCorrelationFile((SamplesDirectory() / e.file).string()));
        EXPECT_TRUE(prompt.asked().empty());
        doc->RecomputeCorrelation();
        ASSERT_EQ(doc->computeProblem(), ComputeProblem::None);
        EXPECT_EQ(doc->displayTrace()[doc->cursorColumn()], kTraceTop);

        const std::string leak = Argument(e, "--leak");
        ASSERT_FALSE(leak.empty()) << "every sample plants its leak explicitly";
        // Within one graph column at the fastest velocity of the bundled pipes.
        const double columnTime =
            doc->samplesPerColumn() * (2 * doc->record().sideBlocks + 1) / double(doc->record().sampleRate);
        EXPECT_NEAR(doc->distanceFromSensor1(), std::stod(leak), columnTime * 1320 / 2);
    }
}

TEST(SampleManifest, SplitsArgumentsWithQuotes)
{
    std::vector<std::string> args;
    ASSERT_TRUE(SplitArguments("a.ked  --title \"Mill Road\" --x=\"\"  \t--y", args));
    EXPECT_EQ(args, (std::vector<std::string>{"a.ked", "--title", "Mill Road", "--x=", "--y"}));
    ASSERT_TRUE(SplitArguments("\"\"", args));
    EXPECT_EQ(args, (std::vector<std::string>{""}));
    EXPECT_FALSE(SplitArguments("a.ked --title \"open", args));
}

TEST(SampleManifest, RejectsMalformedLines)
{
    const fs::path dir = testing::ScratchDirectory("manifest");
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
