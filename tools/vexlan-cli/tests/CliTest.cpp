// vexlan-cli in-process: the JSON of info, decode and compute, the exit codes, the system's
// messages on failure, and the registration of further subcommands.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "correlation/BlockDecoder.h"
#include "res/StringIds.h"
#include "correlation/CCorrelationEngine.h"
#include "correlation/CCorrelationFile.h"
#include "correlation/CVexlanDoc.h"
#include "tools/vexlan-cli/tests/CliTestSupport.h"
#include "testsupport/generator/KedGenerator.h"
#include "correlation/RecordCodec.h"
#include "res/StringTable.h"
#include "tools/vexlan-cli/Subcommand.h"

namespace vexlan::cli {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::ordered_json;

using test::Cli;
using test::CliRun;

std::vector<std::string> Keys(const json& object) {
    std::vector<std::string> keys;
    for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
    return keys;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("vexlan-cli-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        kedgen::GeneratorSettings s;
        s.segments = {{10, 120, 100}, {4, 80, 150, 1210}};
        s.leakDistance = 150;
        s.sensorPair = 6;
        s.title = "Mill Road";
        s.comment1 = "Hydrant 14";
        s.filter.lowCutoff = 0.1f;
        s.filter.highCutoff = 900;
        s.filter.notches[1] = {48, 52};
        std::string error;
        ASSERT_TRUE(kedgen::GenerateRecord(s, record_, error)) << error;
        path_ = Write("pipe.ked", record_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const CorrelationRecord& r) {
        const std::string path = (dir_ / name).string();
        std::string error;
        EXPECT_TRUE(kedgen::WriteKedFile(path, r, error)) << error;
        return path;
    }

    fs::path dir_;
    CorrelationRecord record_;
    std::string path_;
};

TEST_F(CliTest, InfoPrintsTheRecordFieldsByName) {
    const CliRun r = Cli({"info", path_});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(Keys(j),
              (std::vector<std::string>{"createdDate",   "createdTime",    "title",        "comment1",   "comment2",
                                        "comment3",      "userReference",  "segments",     "lowCutoff",  "highCutoff",
                                        "notches",       "filterSpare1",   "filterSpare2", "autoFilter", "sampleCount",
                                        "maxSideBlocks", "zeroLagIndex",   "blockCount",   "sensorPair", "sideBlocks",
                                        "sampleRate",    "recordComplete", "fileBytes"}));
    EXPECT_EQ(j["recordComplete"], true);
    EXPECT_EQ(j["title"], "Mill Road");
    EXPECT_EQ(j["comment1"], "Hydrant 14");
    ASSERT_EQ(j["segments"].size(), 10u);
    EXPECT_EQ(Keys(j["segments"][0]),
              (std::vector<std::string>{"material", "length", "diameter", "velocity", "inUse"}));
    EXPECT_EQ(j["segments"][1]["material"], 4);
    EXPECT_EQ(j["segments"][1]["length"], 80.0);
    EXPECT_EQ(j["segments"][1]["velocity"], 1210.0);
    EXPECT_EQ(j["segments"][1]["inUse"], 1);
    EXPECT_EQ(j["segments"][2]["inUse"], 0);
    EXPECT_EQ(j["lowCutoff"], 0.1);  // the float's shortest decimal, not 0.10000000149
    ASSERT_EQ(j["notches"].size(), 5u);
    EXPECT_EQ(j["notches"][1]["notchStart"], 48.0);
    EXPECT_EQ(j["notches"][1]["notchEnd"], 52.0);
    EXPECT_EQ(j["sampleCount"], 8192);
    EXPECT_EQ(j["zeroLagIndex"], 4096);
    EXPECT_EQ(j["blockCount"], 5);
    EXPECT_EQ(j["sensorPair"], 6);
    EXPECT_EQ(j["sampleRate"], 9765.625);
}

TEST_F(CliTest, InfoSurvivesTextsWithoutTerminatorOrUtf8AndNaNValues) {
    CorrelationRecord r = record_;
    std::memset(r.title, 'A', sizeof r.title);  // no terminator: the whole field
    r.comment1[0] = char(0xE9);                 // a Latin-1 byte
    r.comment1[1] = 0;
    r.segments[0].length = std::nanf("");
    const CliRun run = Cli({"info", Write("odd.ked", r)});
    ASSERT_EQ(run.code, kExitOk) << run.err;
    const json j = json::parse(run.out);
    EXPECT_EQ(j["title"], std::string(sizeof r.title, 'A'));
    EXPECT_FALSE(j["comment1"].get<std::string>().empty());
    EXPECT_TRUE(j["segments"][0]["length"].is_null());
}

TEST_F(CliTest, DecodePrintsEveryBlockAsTheDecoderGivesIt) {
    const CliRun r = Cli({"decode", path_});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(Keys(j), (std::vector<std::string>{"spectrum1Block", "spectrum2Block", "correlationBlocks"}));
    ASSERT_EQ(j["spectrum1Block"].size(), 2048u);
    ASSERT_EQ(j["correlationBlocks"].size(), 5u);
    std::vector<std::int16_t> expected(8192);
    for (int b = 0; b < 5; ++b) {
        ASSERT_EQ(j["correlationBlocks"][b].size(), 8192u);
        DecodeBlock(8192, record_.correlationBlocks[b], expected.data());
        EXPECT_EQ(j["correlationBlocks"][b].get<std::vector<std::int16_t>>(), expected) << "block " << b;
    }
    expected.resize(2048);
    DecodeBlock(2048, record_.spectrum2Block, expected.data());
    EXPECT_EQ(j["spectrum2Block"].get<std::vector<std::int16_t>>(), expected);
}

TEST_F(CliTest, ComputePrintsTheResultKeysAndThePlantedLeak) {
    const CliRun r = Cli({"compute", path_});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const json j = json::parse(r.out);
    EXPECT_EQ(Keys(j),
              (std::vector<std::string>{"displayTrace", "cursorColumn", "samplesPerColumn", "windowCentre",
                                        "sideBlocks", "timeDelay", "totalTravelTime", "distanceFromSensor1",
                                        "distanceFromSensor2", "distanceInterval", "spectrum1Db", "spectrum2Db"}));
    ASSERT_EQ(j["displayTrace"].size(), 620u);
    EXPECT_EQ(j["spectrum1Db"].size(), 2048u);
    EXPECT_EQ(j["spectrum2Db"].size(), 2048u);
    EXPECT_EQ(j["displayTrace"][j["cursorColumn"].get<int>()], 179);
    EXPECT_EQ(j["sideBlocks"], 0);
    EXPECT_EQ(j["windowCentre"], 4096);
    // Planted 150 m from sensor 1 on 200 m: nearer sensor 2, so a positive delay.
    EXPECT_GT(j["timeDelay"].get<double>(), 0);
    EXPECT_NEAR(j["distanceFromSensor1"].get<double>(), 150, 1.0);
    EXPECT_NEAR(j["distanceFromSensor2"].get<double>(), 50, 1.0);
    EXPECT_NEAR(j["totalTravelTime"].get<double>(), 120 / 1320.0 + 80 / 1210.0, 1e-6);
}

TEST_F(CliTest, ComputeWithCursorMeasuresThatColumn) {
    const json peak = json::parse(Cli({"compute", path_}).out);
    const CliRun centre = Cli({"compute", path_, "--cursor", "310"});
    ASSERT_EQ(centre.code, kExitOk) << centre.err;
    const json j = json::parse(centre.out);
    EXPECT_EQ(j["cursorColumn"], 310);
    // A fresh engine: the delay of the column's centre sample; column 310 starts at zero lag.
    EXPECT_NEAR(j["timeDelay"].get<double>(), (j["samplesPerColumn"].get<int>() / 2) / 9765.625, 1e-6);
    EXPECT_EQ(j["displayTrace"], peak["displayTrace"]);  // the full computation ran first

    const json left = json::parse(Cli({"compute", path_, "--cursor", "0"}).out);
    EXPECT_LT(left["timeDelay"].get<double>(), 0);
    EXPECT_NEAR(left["distanceFromSensor1"].get<double>(), 0, 1e-6);  // beyond sensor 1
    EXPECT_EQ(Cli({"compute", path_, "--cursor", "620"}).code, kExitUsage);
    EXPECT_EQ(Cli({"compute", path_, "--cursor", "-1"}).code, kExitUsage);
    EXPECT_EQ(Cli({"compute", path_, "--cursor", "x"}).code, kExitUsage);
}

TEST_F(CliTest, FailuresPrintTheSystemsMessageAndExitOne) {
    const CliRun missing = Cli({"info", (dir_ / "none.ked").string()});
    EXPECT_EQ(missing.code, kExitFailure);
    EXPECT_EQ(missing.err, std::string(LoadString(string_id::kMsgFileNotOpened)) + "\n");
    EXPECT_TRUE(missing.out.empty());

    const std::string wrong = (dir_ / "wrong.ked").string();
    std::ofstream(wrong, std::ios::binary) << std::string("\x03\x00rest", 6);
    for (const char* command : {"info", "decode", "compute"}) {
        const CliRun r = Cli({command, wrong});
        EXPECT_EQ(r.code, kExitFailure) << command;
        EXPECT_EQ(r.err, std::string(LoadString(string_id::kMsgIncompatibleFile)) + "\n") << command;
    }

    CorrelationRecord bad = record_;
    bad.sampleRate = std::nanf("");
    const CliRun nanRate = Cli({"compute", Write("nan.ked", bad)});
    EXPECT_EQ(nanRate.code, kExitFailure);
    EXPECT_NE(nanRate.err.find(DescribeComputeProblem(ComputeProblem::BadSampleRate)), std::string::npos);
    EXPECT_TRUE(nanRate.out.empty());
    bad = record_;
    bad.sampleCount = 3000;
    EXPECT_EQ(Cli({"compute", Write("n.ked", bad)}).code, kExitFailure);
}

// Finite values whose results are not: refused like any record the computation cannot handle,
// by the command line and by the document on opening, and no "inf" or "nan" is printed.
TEST_F(CliTest, ValuesThatGiveNoFiniteResultAreRefusedEverywhere) {
    std::vector<CorrelationRecord> bad(4, record_);
    bad[0].sampleRate = 1e-45f;
    bad[1].segments[0].velocity = bad[1].segments[1].velocity = 1e-38f;
    bad[2].segments[0].length = bad[2].segments[1].length = 3e38f;
    bad[3].segments[1].diameter = std::nanf("");
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < bad.size(); ++i) paths.push_back(Write("bad" + std::to_string(i) + ".ked", bad[i]));
    std::string cut(520, 0);  // a file cut inside the sample rate leaves a tiny positive rate
    std::ifstream(path_, std::ios::binary).read(cut.data(), 520);
    std::ofstream((dir_ / "cut.ked").string(), std::ios::binary) << cut;
    paths.push_back((dir_ / "cut.ked").string());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const bool rate = i == 0 || i == 4;
        const std::string why =
            DescribeComputeProblem(rate ? ComputeProblem::BadSampleRate : ComputeProblem::BadPipeValue);
        for (const char* command : {"compute", "report"})
            EXPECT_NE(Cli({command, paths[i]}).err.find(why), std::string::npos) << command << i;
        const std::string info = Cli({"info", paths[i]}).out;
        EXPECT_EQ(info.find("inf") + info.find("nan"), 2 * std::string::npos) << i;
        ScriptedPrompt prompt;
        CVexlanDoc doc(prompt, dir_.string());
        ASSERT_TRUE(doc.OpenCorrelationFile(paths[i]));
        EXPECT_NE(prompt.asked().back().text.find(why), std::string::npos) << i;
    }
}

TEST(ComputeProblemText, EveryProblemIsDescribedByItsOwnEntryOfTheStringTable) {
    EXPECT_STREQ(DescribeComputeProblem(ComputeProblem::None), "");
    std::vector<std::string> seen;
    for (ComputeProblem p : {ComputeProblem::BadSampleCount, ComputeProblem::BadSampleRate,
                             ComputeProblem::BadPipeValue, ComputeProblem::BadFilterValue}) {
        const std::string text = DescribeComputeProblem(p);
        EXPECT_FALSE(text.empty()) << static_cast<int>(p);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << text;
        seen.push_back(text);
        bool inTable = false;
        for (const StringKey& k : AllStringKeys())
            inTable = inTable || (k.resourceId == kPlainStrings && text == LoadString(k.itemId));
        EXPECT_TRUE(inTable) << text;
    }
}

TEST_F(CliTest, WrongUsageExitsTwo) {
    EXPECT_EQ(Cli({}).code, kExitUsage);
    const CliRun unknown = Cli({"frobnicate", path_});
    EXPECT_EQ(unknown.code, kExitUsage);
    EXPECT_NE(unknown.err.find("unknown subcommand 'frobnicate'"), std::string::npos) << unknown.err;
    EXPECT_EQ(Cli({"info"}).code, kExitUsage);
    EXPECT_EQ(Cli({"info", path_, path_}).code, kExitUsage);
    EXPECT_EQ(Cli({"decode", "--bogus", path_}).code, kExitUsage);
    const CliRun help = Cli({"--help"});
    EXPECT_EQ(help.code, kExitOk);
    for (const char* name : {"info", "decode", "compute"}) EXPECT_NE(help.out.find(name), std::string::npos) << name;
}

// Damaged files, as a flaky download or another program might leave them: every subcommand
// answers with a result or the system's message, never a crash or a value outside its range.
TEST_F(CliTest, DamagedFilesGiveAResultOrAMessage) {
    std::mt19937 rng(4);
    auto any = [&](int bits) { return std::uint32_t(rng()) & ((1u << bits) - 1); };
    const float oddFloats[] = {0.0f, -1.0f, 1e-30f, 1e30f, std::nanf(""), INFINITY, -INFINITY, 0.05f, 65536.0f};
    auto oddFloat = [&] { return oddFloats[rng() % std::size(oddFloats)]; };
    for (int round = 0; round < 40; ++round) {
        CorrelationRecord r = record_;
        switch (round % 5) {
        case 0:
            r.sampleCount = std::uint16_t(any(16));
            r.zeroLagIndex = std::uint16_t(any(16));
            break;
        case 1:
            r.sideBlocks = std::int8_t(any(8));
            r.maxSideBlocks = std::uint16_t(any(16));
            r.blockCount = std::uint16_t(any(3));
            break;
        case 2:
            r.sampleRate = oddFloat();
            r.segments[any(3)].velocity = oddFloat();
            break;
        case 3:
            r.segments[any(3)].length = oddFloat();
            r.segments[any(3)].inUse = std::uint16_t(any(2));
            r.filter.lowCutoff = oddFloat();
            r.filter.notches[any(2)] = {oddFloat(), oddFloat()};
            break;
        case 4:
            for (int k = 0; k < 200; ++k) r.correlationBlocks[any(16) % 5][any(16) % kBlockSize] = std::uint8_t(any(8));
            r.spectrum1Block[any(16) % 8] = std::uint8_t(any(8));
            break;
        }
        const std::string path = Write("damaged.ked", r);
        SCOPED_TRACE("round " + std::to_string(round));
        for (const std::vector<std::string>& args : {std::vector<std::string>{"compute", path},
                                                     {"compute", path, "--cursor", std::to_string(any(16) % 620)}}) {
            const CliRun run = Cli(args);
            ASSERT_TRUE(run.code == kExitOk || run.code == kExitFailure) << run.err;
            if (run.code == kExitFailure) {
                EXPECT_FALSE(run.err.empty());
                continue;
            }
            const json j = json::parse(run.out);
            for (const auto& v : j["displayTrace"]) ASSERT_LE(v.get<int>(), 179);
            EXPECT_LT(j["cursorColumn"].get<int>(), 620);
        }
        EXPECT_EQ(Cli({"info", path}).code, kExitOk);
        EXPECT_EQ(Cli({"decode", path}).code, kExitOk);
    }
    // Cut short anywhere: the file layer keeps what it read; a cut inside the version word is refused.
    std::ifstream in(path_, std::ios::binary);
    const std::vector<char> whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (const std::size_t size :
         {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(500), std::size_t(7000)}) {
        const std::string cut = (dir_ / "cut.ked").string();
        fs::remove(cut);
        std::ofstream(cut, std::ios::binary).write(whole.data(), std::streamsize(size));
        const CliRun run = Cli({"compute", cut});
        EXPECT_EQ(run.code, size < 2 ? kExitFailure : (size < 520 ? kExitFailure : kExitOk)) << size << run.err;
        if (size >= 2) {
            const json info = json::parse(Cli({"info", cut}).out);
            EXPECT_EQ(info["recordComplete"], false);
            EXPECT_EQ(info["fileBytes"], size);
        }
    }
}

// A subcommand added through the registration interface gets its arguments and its exit code.
class EchoCommand : public Subcommand {
public:
    void Configure(CLI::App& app) override {
        app.add_option("WORD", word_)->required();
        app.add_flag("--fail", fail_);
    }
    int Run(CommandStreams& io) override {
        io.out << word_;
        return fail_ ? kExitFailure : kExitOk;
    }

private:
    std::string word_;
    bool fail_ = false;
};

TEST(Dispatcher, RunsARegisteredSubcommandWithFreshArguments) {
    Dispatcher d;
    AddSubcommand<EchoCommand>(d, "echo", "Print a word");
    std::ostringstream out, err;
    EXPECT_EQ(d.Run({"echo", "one", "--fail"}, out, err), kExitFailure);
    EXPECT_EQ(out.str(), "one");
    out.str("");
    EXPECT_EQ(d.Run({"echo", "two"}, out, err), kExitOk);  // --fail not carried over
    EXPECT_EQ(out.str(), "two");
    EXPECT_EQ(d.Run({"echo"}, out, err), kExitUsage);
}

}  // namespace
}  // namespace vexlan::cli
