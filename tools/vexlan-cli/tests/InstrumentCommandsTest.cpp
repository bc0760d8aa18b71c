// The instrument subcommands against the simulated instrument. The sessions' waits (the
// wake-up above all) and the simulator follow the test's idle clock.

#include "testsupport/simulator/IdleClock.h"
#include "testsupport/simulator/LinkFrames.h"
#include "testsupport/simulator/SimulatedInstrument.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "instrument/TransClient.h"
#include "tools/vexlan-cli/tests/CliTestSupport.h"

#include <gtest/gtest.h>

namespace {

using vexlan::test::IdleClock;
using vexlan::test::ReadWholeFile;
namespace string_id = vexlan::string_id;
using vexlan::test::SimulatedInstrument;

using vexlan::test::Cli;
using vexlan::test::CliRun;

class InstrumentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetExtraOptions(clock.Options());
        vexlan::SetTransClock(IdleClock::Milliseconds);
    }
    void TearDown() override { vexlan::SetTransClock(nullptr); }
    IdleClock clock{vexlan::test::LinkFrames};
    SimulatedInstrument sim;
};

TEST_F(InstrumentCommandsTest, ListAndDownloadEverything) {
    const auto a = sim.AddFile("A.KED", 20402);
    const auto b = sim.AddFile("B.KED", 0);
    sim.AddFile("other.txt", 3);
    ASSERT_TRUE(sim.Start());

    const CliRun list = Cli({"instrument-list", "--port", sim.device()});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, "A.KED\nB.KED\n");

    const CliRun all = Cli({"download", "--port", sim.device(), "--all", "--out", sim.outFolder()});
    ASSERT_EQ(all.code, 0) << all.err;
    bool exists = false;
    EXPECT_EQ(ReadWholeFile(sim.outFolder() + "/A.KED", &exists), a);
    EXPECT_EQ(ReadWholeFile(sim.outFolder() + "/B.KED", &exists), b);
    EXPECT_TRUE(exists);
    EXPECT_NE(all.err.find("A.KED: block 5, 20402 bytes"), std::string::npos) << all.err;
    EXPECT_NE(all.err.find("B.KED: block 1, 0 bytes"), std::string::npos) << all.err;
}

TEST_F(InstrumentCommandsTest, QuietDownloadRestartAndPortTest) {
    const auto a = sim.AddFile("A.KED", 5000);
    ASSERT_TRUE(sim.Start());
    const CliRun one = Cli({"download", "--port", sim.device(), "A.KED", "--out", sim.outFolder(), "--quiet"});
    ASSERT_EQ(one.code, 0) << one.err;
    EXPECT_EQ(one.err, "");
    bool exists = false;
    EXPECT_EQ(ReadWholeFile(sim.outFolder() + "/A.KED", &exists), a);

    EXPECT_EQ(Cli({"restart", "--port", sim.device()}).code, 0);
    EXPECT_EQ(sim.LogLines("started \"Qvrn.exe\"").size(), 1u);
    EXPECT_EQ(Cli({"test-port", "--port", sim.device()}).code, 0);
}

TEST_F(InstrumentCommandsTest, FailuresGiveTheSystemsMessage) {
    sim.AddFile("A.KED", 10);
    const auto b = sim.AddFile("B.KED", 10);
    ASSERT_TRUE(sim.Start({"--refuse", "A.KED"}));
    const CliRun refused = Cli({"download", "--port", sim.device(), "A.KED", "--out", sim.outFolder()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find(vexlan::LoadString(string_id::kMsgRemoteFileNotOpened)), std::string::npos);

    // A failed file does not stop the rest, and the end names every failure.
    const CliRun all = Cli({"download", "--port", sim.device(), "--all", "--out", sim.outFolder(), "--quiet"});
    EXPECT_EQ(all.code, 1);
    bool exists = false;
    EXPECT_EQ(ReadWholeFile(sim.outFolder() + "/B.KED", &exists), b);
    EXPECT_NE(all.err.find("1 of 2 files failed: A.KED"), std::string::npos) << all.err;

    const CliRun missing = Cli({"download", "--port", sim.device(), "A.KED", "--out", sim.outFolder() + "/none"});
    EXPECT_EQ(missing.code, 1);

    const CliRun port = Cli({"test-port", "--port", "/nonexistent/tty"});
    EXPECT_EQ(port.code, 1);
    EXPECT_EQ(port.err, std::string(vexlan::LoadString(string_id::kMsgPortNotOpened)) + "\n");
}

TEST_F(InstrumentCommandsTest, UsageErrors) {
    EXPECT_EQ(Cli({"instrument-list"}).code, 2);
    EXPECT_EQ(Cli({"test-port", "--port", "COM7"}).code, 2);
    EXPECT_EQ(Cli({"test-port", "--port", "ttyS0"}).code, 2);
    EXPECT_EQ(Cli({"download", "--port", "COM1", "--out", "/tmp"}).code, 2);
    EXPECT_EQ(Cli({"download", "--port", "COM1", "--all", "A.KED", "--out", "/tmp"}).code, 2);
}

}  // namespace
