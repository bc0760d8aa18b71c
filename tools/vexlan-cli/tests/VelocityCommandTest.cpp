// vexlan-cli velocity end to end: generated recordings stored with a wrong velocity are corrected
// by a known source, the calculator meets a published table, and wrong signs are refused.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <filesystem>

#include "tools/vexlan-cli/tests/CliTestSupport.h"
#include "testsupport/generator/KedGenerator.h"

namespace vexlan::cli {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using test::Cli;
using test::CliRun;

class VelocityCommandTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }

    // A leak (the known source) at leakDistance, made with the given segments' velocities and
    // stored with them times storedScale.
    std::string Generate(const std::string& name, std::vector<kedgen::SegmentSpec> segments, float leakDistance,
                         float storedScale) {
        kedgen::GeneratorSettings s;
        s.segments = std::move(segments);
        s.leakDistance = leakDistance;
        s.snrDb = 20;
        CorrelationRecord record;
        std::string error;
        EXPECT_TRUE(kedgen::GenerateRecord(s, record, error)) << error;
        for (PipeSegment& seg : record.segments) seg.velocity *= storedScale;
        const std::string path = (dir_ / name).string();
        EXPECT_TRUE(kedgen::WriteKedFile(path, record, error)) << error;
        return path;
    }

    fs::path dir_ = fs::temp_directory_path() / ("vexlan-velocity-" + std::to_string(::getpid()));
};

TEST_F(VelocityCommandTest, KnownSourceRestoresTheVelocityTheFileWasMadeWith) {
    // Short pipe (lag window at the full rate) and a long two-material one (three lag windows joined).
    const std::string short_ = Generate("short.ked", {{10, 180, 100, 1300}}, 40, 1.2f);
    json j = json::parse(Cli({"velocity", short_, "--source-distance", "40"}).out);
    EXPECT_NEAR(j["velocity"].get<double>(), 1300, 13);
    EXPECT_NEAR(j["factor"].get<double>(), 1 / 1.2, 0.01 / 1.2);

    const std::string long_ = Generate("long.ked", {{10, 400, 150, 1300}, {2, 300, 150, 1150}}, 150, 0.85f);
    j = json::parse(Cli({"velocity", long_, "--source-distance", "150"}).out);
    EXPECT_NEAR(j["velocity"].get<double>(), 1300, 13);
    EXPECT_NEAR(j["velocities"][1].get<double>(), 1150, 11.5);

    // The leak is nearer sensor 1: a source beyond sensor 2 cannot have made that delay.
    const CliRun wrong = Cli({"velocity", short_, "--source", "beyond-2"});
    EXPECT_EQ(wrong.code, kExitFailure);
    EXPECT_NE(wrong.err.find("wrong sign"), std::string::npos) << wrong.err;
}

TEST_F(VelocityCommandTest, FitOverMovedSensorFindsVelocityAndLeak) {
    std::vector<std::string> args{"velocity", "--fit"};
    for (float length : {150.f, 210.f, 280.f})
        args.push_back(Generate(std::to_string(int(length)) + ".ked", {{4, length, 150, 1250}}, 60, 1.0f));
    const json j = json::parse(Cli(args).out);
    EXPECT_NEAR(j["velocity"].get<double>(), 1250, 12.5);
    EXPECT_NEAR(j["leakDistance"].get<double>(), 60, 1.0);
}

// Ductile iron 6 in class 52 (OD 6.90 in, wall 0.31 in): 4315 ft/s in Moser, Buried Pipe Design,
// table 4.1. The diameter is the outside one; mixing it up with the bore moves the speed by 1.4 %.
TEST_F(VelocityCommandTest, CalculatorMeetsPublishedSpeedAndRefusesBadWalls) {
    const CliRun r = Cli({"velocity", "--material", "Ductile Iron", "--diameter", "175.26", "--wall", "7.874"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NEAR(json::parse(r.out)["velocity"].get<double>(), 4315 * 0.3048, 0.005 * 1315);
    EXPECT_EQ(Cli({"velocity", "--material", "pvc", "--diameter", "110", "--sdr", "1.5"}).code, kExitFailure);
    EXPECT_EQ(Cli({"velocity", "--material", "unobtainium", "--diameter", "110", "--sdr", "11"}).code, kExitFailure);
}

}  // namespace
}  // namespace vexlan::cli
