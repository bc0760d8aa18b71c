// The report subcommand against the bundled samples: every line as the report prescribes it,
// built here from the values the compute subcommand and the file itself give.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "correlation/CCorrelationFile.h"
#include "tools/vexlan-cli/tests/CliTestSupport.h"

namespace {

using vexlan::test::Cli;
using vexlan::test::CliRun;
using vexlan::test::SamplePath;

std::string Fmt(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

const char* const kMaterials[] = {
    "Asbestos Cement", "Copper", "Ductile Iron", "HDPE", "Cast Iron", "LDPE", "Lead", "MDPE", "PVC", "RCCP", "Steel"};

// The report for a file, written out line by line from the record and the computed result.
std::string ExpectedReport(const std::string& name, bool imperial, bool millis, int cursor) {
    std::vector<std::string> args = {"compute", SamplePath(name)};
    if (cursor >= 0) args.insert(args.end(), {"--cursor", std::to_string(cursor)});
    const CliRun compute = Cli(args);
    EXPECT_EQ(compute.code, 0) << compute.err;
    const auto result = nlohmann::json::parse(compute.out);
    vexlan::CorrelationRecord r;
    vexlan::CCorrelationFile file;
    EXPECT_TRUE(file.ReadCorrelationFile(SamplePath(name), r));

    const double feet = imperial ? 3.28084 : 1.0;
    const std::string lengthUnit = imperial ? "ft" : "m";
    const std::string timeUnit = millis ? "ms" : "s";
    const double delay = result["timeDelay"].get<double>();
    std::string t = "File : " + name + "\n\n";
    t +=
        "Time Delay  : " + (millis ? Fmt("%.1f", float(delay) * 1000.0) : Fmt("%.4f", delay)) + " " + timeUnit + "\n\n";
    t += "Distance From Sensor 1  : " + Fmt("%.1f", result["distanceFromSensor1"].get<float>() * feet) + " " +
         lengthUnit + "\n";
    t += "Distance From Sensor 2  : " + Fmt("%.1f", result["distanceFromSensor2"].get<float>() * feet) + " " +
         lengthUnit + "\n\n";
    for (int i = 0; i < 10 && r.segments[i].length > 0; ++i) {
        const vexlan::PipeSegment& s = r.segments[i];
        float length = imperial ? float(s.length * 3.28084) : s.length;
        float diameter = imperial ? float(s.diameter * 0.03937) : s.diameter;
        float velocity = imperial ? float(s.velocity * 3.28084) : s.velocity;
        if (millis) velocity = float(velocity * 0.001);
        t += "Segment : " + std::to_string(i + 1) + "\n";
        t += std::string("Material : ") + kMaterials[s.material] + "\n";
        t += "Length : " + Fmt("%.2f", length) + " " + lengthUnit + "\n";
        t += "Diameter : " + Fmt("%.2f", diameter) + " " + (imperial ? "ins" : "mm") + "\n";
        t += "Velocity : " + Fmt("%.2f", velocity) + " " + lengthUnit + " / " + timeUnit + "\n\n";
    }
    const float low = r.filter.lowCutoff, high = r.filter.highCutoff;
    t += "Low Cutoff : " + (low > 0 ? Fmt("%.1f", low) + " Hz" : std::string("OPEN")) + "\n";
    t += "High Cutoff : " + (high > 0 ? Fmt("%.1f", high) + " Hz" : std::string("OPEN")) + "\n\n";
    t += "Auto Filter : OFF\n\n";
    bool notch = false;
    for (const auto& n : r.filter.notches) notch = notch || n.notchStart > 0;
    t += std::string("Notch Filter : ") + (notch ? "ON" : "OFF");
    return t;
}

struct Case {
    const char* file;
    bool imperial, millis;
    int cursor;  // -1: on the peak
};

TEST(ReportCommand, SamplesLineForLineInEveryUnitAndCursor) {
    const Case cases[] = {
        {"metal-two-segments.ked", false, false, -1}, {"metal-two-segments.ked", true, true, 100},
        {"plastic-one-segment.ked", false, true, -1}, {"plastic-five-segments.ked", true, false, 619},
        {"mixed-with-hum.ked", false, false, 0},      {"metal-long-pipe.ked", true, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.imperial ? " imperial" : " metric") + (c.millis ? " ms" : " s"));
        std::vector<std::string> args = {"report", SamplePath(c.file),   "--units", c.imperial ? "imperial" : "metric",
                                         "--time", c.millis ? "ms" : "s"};
        if (c.cursor >= 0) args.insert(args.end(), {"--cursor", std::to_string(c.cursor)});
        const CliRun run = Cli(args);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, ExpectedReport(c.file, c.imperial, c.millis, c.cursor) + "\n");
    }
}

TEST(ReportCommand, SegmentBlocksEndInABlankLineAndTheLastLineHasNoBreakOfItsOwn) {
    const CliRun run = Cli({"report", SamplePath("metal-two-segments.ked")});
    ASSERT_EQ(run.code, 0);
    EXPECT_NE(run.out.find("m / s\n\nSegment : 2\n"), std::string::npos);
    EXPECT_NE(run.out.find("m / s\n\nLow Cutoff : OPEN\n"), std::string::npos);
    // The mixed sample carries a notch and both cut-offs unset.
    const CliRun hum = Cli({"report", SamplePath("mixed-with-hum.ked")});
    EXPECT_EQ(hum.out.substr(hum.out.size() - 18), "Notch Filter : ON\n");
}

TEST(ReportCommand, BatchReportsEveryFailureAndStillDoesTheRest) {
    const std::string missing = "/nonexistent/vexlan/none.ked";
    const CliRun run =
        Cli({"report", SamplePath("metal-one-segment.ked"), missing, SamplePath("plastic-one-segment.ked")});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.out.find("File : metal-one-segment.ked\n"), std::string::npos);
    EXPECT_NE(run.out.find("File : plastic-one-segment.ked\n"), std::string::npos);
    EXPECT_NE(run.err.find(missing + ": Could not open local file."), std::string::npos);
}

TEST(ReportCommand, WrongOptionsAreUsageErrors) {
    EXPECT_EQ(Cli({"report", SamplePath("metal-one-segment.ked"), "--units", "furlongs"}).code, 2);
    EXPECT_EQ(Cli({"report", SamplePath("metal-one-segment.ked"), "--time", "h"}).code, 2);
    EXPECT_EQ(Cli({"report", SamplePath("metal-one-segment.ked"), "--cursor", "620"}).code, 2);
    EXPECT_EQ(Cli({"report", SamplePath("metal-one-segment.ked"), "--cursor", "-1"}).code, 2);
    EXPECT_EQ(Cli({"report"}).code, 2);
}

}  // namespace
