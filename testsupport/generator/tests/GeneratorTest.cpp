// The generator's record: reproducible bytes, fields as asked for, settings it refuses, and the
// command line that writes the file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "correlation/BlockDecoder.h"
#include "res/StringIds.h"
#include "correlation/CCorrelationFile.h"
#include "testsupport/generator/KedGenerator.h"
#include "testsupport/generator/KedgenCommandLine.h"
#include "testsupport/generator/tests/KedgenTestSupport.h"
#include "correlation/RecordCodec.h"
#include "res/StringTable.h"

namespace vexlan::kedgen {
namespace {

std::vector<std::uint8_t> Image(const CorrelationRecord& r) {
    std::vector<std::uint8_t> bytes(kRecordSize);
    EncodeRecord(r, bytes.data());
    return bytes;
}

GeneratorSettings SteelPipe() {
    GeneratorSettings s;
    s.segments = {{10, 200, 100}};
    s.leakDistance = 80;
    return s;
}

bool AllZero(const std::uint8_t* block) {
    for (std::size_t i = 0; i < kBlockSize; ++i)
        if (block[i] != 0) return false;
    return true;
}

TEST(Generator, SameSettingsGiveTheSameBytesAndTheSeedChangesTheNoise) {
    CorrelationRecord a, b, c;
    std::string error;
    GeneratorSettings s = SteelPipe();
    ASSERT_TRUE(GenerateRecord(s, a, error)) << error;
    ASSERT_TRUE(GenerateRecord(s, b, error)) << error;
    EXPECT_EQ(Image(a), Image(b));
    s.seed = 99;
    ASSERT_TRUE(GenerateRecord(s, c, error)) << error;
    EXPECT_NE(std::memcmp(a.correlationBlocks[2], c.correlationBlocks[2], kBlockSize), 0);
    EXPECT_NE(std::memcmp(a.spectrum1Block, c.spectrum1Block, kBlockSize), 0);
}

TEST(Generator, FillsTheRecordAsAskedFor) {
    GeneratorSettings s;
    s.segments = {{10, 120, 100, 0}, {8, 80, 150, 455}};
    s.leakDistance = 100;
    s.sensorPair = 9;
    s.maxSideBlocks = 1;
    s.sampleCount = 4096;
    s.sampleRate = 5000;
    s.filter.lowCutoff = 150;
    s.filter.notches[0] = {48, 52};
    s.filter.autoFilter = 1;
    s.title = std::string(70, 'T');  // longer than its field
    s.userReference = "REF-1";
    CorrelationRecord r;
    std::string error;
    ASSERT_TRUE(GenerateRecord(s, r, error)) << error;

    EXPECT_EQ(std::string(r.title), std::string(sizeof r.title - 1, 'T'));
    EXPECT_STREQ(r.userReference, "REF-1");
    EXPECT_EQ(r.segments[0].inUse, 1);
    EXPECT_EQ(r.segments[0].velocity, TypicalVelocity(10));  // 0 asks for the material's value
    EXPECT_EQ(r.segments[1].velocity, 455);
    EXPECT_EQ(r.segments[1].material, 8);
    EXPECT_EQ(r.segments[2].inUse, 0);
    EXPECT_EQ(r.sensorPair, 9);
    EXPECT_EQ(r.sampleCount, 4096);
    EXPECT_EQ(r.zeroLagIndex, 2048);
    EXPECT_EQ(r.maxSideBlocks, 1);
    EXPECT_EQ(r.blockCount, 3);
    EXPECT_EQ(r.sampleRate, 5000);
    EXPECT_EQ(r.filter.lowCutoff, 150);
    EXPECT_EQ(r.filter.notches[0].notchEnd, 52);
    EXPECT_EQ(r.filter.autoFilter, 1);
    // Only the windows of the stored side pair carry data.
    EXPECT_TRUE(AllZero(r.correlationBlocks[0]));
    EXPECT_FALSE(AllZero(r.correlationBlocks[1]));
    EXPECT_FALSE(AllZero(r.correlationBlocks[2]));
    EXPECT_FALSE(AllZero(r.correlationBlocks[3]));
    EXPECT_TRUE(AllZero(r.correlationBlocks[4]));
}

TEST(Generator, SensorSpectraCarryTheLeakBand) {
    // Plastic pipe: leak noise from 25 to 250 Hz; the display spectra are 1.21 Hz per bin.
    GeneratorSettings s;
    s.segments = {{8, 90, 110}};
    s.leakDistance = 30;
    CorrelationRecord r;
    std::string error;
    ASSERT_TRUE(GenerateRecord(s, r, error)) << error;
    test::Recomputed computed(r);
    auto mean = [](const std::int16_t* db, int from, int to) {
        double sum = 0;
        for (int i = from; i < to; ++i) sum += db[i];
        return sum / (to - from);
    };
    const std::int16_t* db1 = computed.doc->spectrum1Db();
    const std::int16_t* db2 = computed.doc->spectrum2Db();
    EXPECT_GT(mean(db1, 50, 200), mean(db1, 600, 1000) + 10);
    EXPECT_GT(mean(db2, 50, 200), mean(db2, 600, 1000) + 10);
    EXPECT_EQ(db1[0], -154);
}

TEST(Generator, RefusesSettingsItCannotRecordAndLeavesTheRecordAlone) {
    struct Case {
        const char* what;
        void (*change)(GeneratorSettings&);
    };
    const Case cases[] = {
        {"leak beyond the pipe", [](GeneratorSettings& s) { s.leakDistance = 250; }},
        {"no segments", [](GeneratorSettings& s) { s.segments.clear(); }},
        {"eleven segments",
         [](GeneratorSettings& s) {
             s.segments.assign(11, {10, 10, 100});
         }},
        {"sample count not a power of two", [](GeneratorSettings& s) { s.sampleCount = 1000; }},
        {"sample rate zero", [](GeneratorSettings& s) { s.sampleRate = 0; }},
        {"NaN length", [](GeneratorSettings& s) { s.segments[0].length = std::nanf(""); }},
        {"material 20", [](GeneratorSettings& s) { s.segments[0].material = 20; }},
        {"three side pairs", [](GeneratorSettings& s) { s.maxSideBlocks = 3; }},
        {"band upside down",
         [](GeneratorSettings& s) {
             s.bandLow = 500;
             s.bandHigh = 100;
         }},
        // 1.1 x travel time beyond the last side-block limit: the recomputation cannot use it.
        {"pipe too long",
         [](GeneratorSettings& s) {
             s.segments = {{8, 1000, 100}};
             s.leakDistance = 500;
         }},
        // Joins a side pair, but none is stored: the leak's lag lies outside the one window.
        {"lag outside the stored windows",
         [](GeneratorSettings& s) {
             s.segments = {{8, 300, 100}};
             s.leakDistance = 295;
             s.maxSideBlocks = 0;
         }},
        // Stored, but beyond the graph's columns: at twice the usual rate 310 columns of 13 samples span 0.206 s.
        {"lag beyond the graph",
         [](GeneratorSettings& s) {
             s.sampleRate = 19531.25f;
             s.segments = {{10, 500, 100}};
             s.leakDistance = 388;
         }},
    };
    for (const Case& c : cases) {
        GeneratorSettings s = SteelPipe();
        c.change(s);
        CorrelationRecord r;
        r.sampleCount = 1234;
        std::string error;
        EXPECT_FALSE(GenerateRecord(s, r, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(r.sampleCount, 1234) << c.what;
    }
}

TEST(Generator, WriteReplacesALongerFileWhole) {
    const auto dir = test::ScratchFolder("replace");
    const std::string path = (dir / "old.ked").string();
    std::ofstream(path, std::ios::binary) << std::string(30000, 'x');
    CorrelationRecord r;
    std::string error;
    ASSERT_TRUE(GenerateRecord(SteelPipe(), r, error)) << error;
    ASSERT_TRUE(WriteKedFile(path, r, error)) << error;
    const auto bytes = test::ReadBytes(path);
    ASSERT_EQ(bytes.size(), kFileSize);
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 2, bytes.end()), Image(r));
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

int Kedgen(const std::vector<std::string>& args, std::string* errText = nullptr) {
    std::ostringstream out, err;
    const int code = RunKedgen(args, out, err);
    if (errText) *errText = err.str();
    return code;
}

TEST(KedgenCommandLine, WritesTheFileItIsAskedFor) {
    const auto dir = test::ScratchFolder("cmdline");
    const std::string path = (dir / "a.ked").string();
    std::string err;
    ASSERT_EQ(Kedgen({"-o",
                      path,
                      "--segment",
                      "pvc,90,110",
                      "--segment",
                      "steel,50,100,1300",
                      "--leak",
                      "30",
                      "--sensor-pair",
                      "12",
                      "--title",
                      "Elm Close",
                      "--comment",
                      "one",
                      "--comment",
                      "two",
                      "--notch",
                      "45,55",
                      "--auto-filter",
                      "--side-blocks",
                      "1"},
                     &err),
              0)
        << err;
    CorrelationRecord r;
    CCorrelationFile file;
    ASSERT_TRUE(file.ReadCorrelationFile(path, r));
    EXPECT_EQ(r.segments[0].material, 8);
    EXPECT_EQ(r.segments[1].velocity, 1300);
    EXPECT_EQ(r.sensorPair, 12);
    EXPECT_STREQ(r.title, "Elm Close");
    EXPECT_STREQ(r.comment2, "two");
    EXPECT_EQ(r.filter.notches[0].notchStart, 45);
    EXPECT_EQ(r.filter.autoFilter, 1);
    EXPECT_EQ(r.maxSideBlocks, 1);
}

TEST(KedgenCommandLine, WrongUsageExitsTwoAndAFailedWriteOne) {
    const auto dir = test::ScratchFolder("usage");
    const std::string path = (dir / "b.ked").string();
    std::string err;
    EXPECT_EQ(Kedgen({"--segment", "steel,100,100"}), 2);                // no output
    EXPECT_EQ(Kedgen({"-o", path}), 2);                                  // no pipe
    EXPECT_EQ(Kedgen({"-o", path, "--segment", "steel,100"}, &err), 2);  // no diameter
    EXPECT_NE(err.find("--segment expects"), std::string::npos);
    EXPECT_EQ(Kedgen({"-o", path, "--segment", "tin,100,100"}), 2);  // unknown material
    EXPECT_EQ(Kedgen({"-o", path, "--segment", "steel,100,100", "--sensor-pair", "7"}), 2);
    EXPECT_EQ(Kedgen({"-o", path, "--segment", "steel,100,100", "--leak", "120"}, &err), 2);
    EXPECT_NE(err.find("leak"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Kedgen({"--help"}), 0);

    EXPECT_EQ(Kedgen({"-o", (dir / "missing" / "c.ked").string(), "--segment", "steel,100,100"}, &err), 1);
    EXPECT_NE(err.find(LoadString(string_id::kMsgFileNotOpened)), std::string::npos);
}

}  // namespace
}  // namespace vexlan::kedgen
