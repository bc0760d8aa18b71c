// vexlan-cli summary over a folder: every .ked under it once, in name order; a title with a comma
// and quotes quoted as RFC 4180 asks; a damaged file gets its message and the exit code says so.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "tools/vexlan-cli/tests/CliTestSupport.h"
#include "testsupport/generator/KedgenCommandLine.h"

namespace vexlan::cli {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliRun;
using test::SamplePath;

TEST(SummaryCommand, AFolderGivesOneRowPerFileAndDamagedFilesSayWhy) {
    const fs::path dir = fs::temp_directory_path() / ("vexlan-summary-" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    const std::string planted = (dir / "a.ked").string();
    std::ostringstream quiet;
    ASSERT_EQ(kedgen::RunKedgen({"-o", planted, "--segment", "steel,100,150", "--leak", "30", "--title",
                                 "Main St, \"north\"", "--user-reference", "R1"},
                                quiet, quiet),
              0);
    fs::copy_file(SamplePath("metal-one-segment.ked"), dir / "sub" / "B.KED");
    std::ofstream(dir / "damaged.ked") << "not a correlation file";
    std::ofstream(dir / "notes.txt") << "skipped";

    const CliRun run = Cli({"summary", dir.string(), "--json"});
    EXPECT_EQ(run.code, kExitFailure);
    const auto rows = nlohmann::json::parse(run.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["title"], "Main St, \"north\"");
    EXPECT_EQ(rows[0]["userReference"], "R1");
    EXPECT_NEAR(rows[0]["distanceFromSensor1"].get<double>(), 30.0, 3.0);
    EXPECT_NEAR(rows[0]["totalPipeLength"].get<double>(), 100.0, 0.01);
    EXPECT_TRUE(rows[0]["error"].is_null());
    EXPECT_FALSE(rows[1]["error"].get<std::string>().empty());
    EXPECT_FALSE(rows[1].contains("title"));
    EXPECT_EQ(fs::path(rows[2]["file"].get<std::string>()).filename(), "B.KED");
    EXPECT_TRUE(rows[2]["error"].is_null());

    const CliRun csv = Cli({"summary", planted, "--csv"});
    EXPECT_EQ(csv.code, kExitOk) << csv.err;
    EXPECT_EQ(csv.out.substr(0, csv.out.find("\r\n")),
              "file,createdDate,createdTime,title,userReference,sensorPair,totalPipeLength,timeDelay,"
              "distanceFromSensor1,distanceFromSensor2,method,quality,flags,error");
    EXPECT_NE(csv.out.find(",\"Main St, \"\"north\"\"\",R1,"), std::string::npos) << csv.out;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace vexlan::cli
