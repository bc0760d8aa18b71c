// vexlan-cli analyse on the bundled pump sample: the plain method's flag, the automatic method's
// leak, one object per file or an array for several, and the system's message for a bad file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tools/vexlan-cli/tests/CliTestSupport.h"

namespace vexlan::cli {
namespace {

using test::Cli;
using test::CliRun;
using test::SamplePath;

TEST(AnalyseCommand, ThePumpSampleIsFlaggedPlainAndLocatedAutomatically) {
    const std::string pump = SamplePath("hard-pump-beyond-sensor.ked");
    const CliRun basic = Cli({"analyse", pump});
    ASSERT_EQ(basic.code, kExitOk) << basic.err;
    const auto plain = nlohmann::json::parse(basic.out);
    EXPECT_EQ(plain["method"], "basic");
    EXPECT_EQ(plain["flags"], nlohmann::json::array({"beyond-sensor"}));

    const CliRun run = Cli({"analyse", pump, pump, "--method", "auto"});
    ASSERT_EQ(run.code, kExitOk) << run.err;
    const auto both = nlohmann::json::parse(run.out);
    ASSERT_EQ(both.size(), 2u);
    const auto& best = both[0]["peaks"][0];
    EXPECT_NEAR(best["distanceFromSensor1"].get<double>(), 120.0, 3.0);  // the planted leak
    EXPECT_TRUE(both[0]["flags"].empty());
    EXPECT_GT(both[0]["quality"].get<int>(), plain["quality"].get<int>() / 2);
    EXPECT_LT(both[0]["suggestedBand"]["lowCutoff"].get<double>(),
              both[0]["suggestedBand"]["highCutoff"].get<double>());
}

TEST(AnalyseCommand, AFileThatCannotBeReadGetsTheMessageAndExitOne) {
    const CliRun run = Cli({"analyse", SamplePath("no-such-file.ked")});
    EXPECT_EQ(run.code, kExitFailure);
    EXPECT_FALSE(run.err.empty());
    EXPECT_EQ(Cli({"analyse", SamplePath("metal-one-segment.ked"), "--method", "fancy"}).code, kExitUsage);
}

}  // namespace
}  // namespace vexlan::cli
