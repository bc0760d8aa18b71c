#include "tools/instsim/SimOptions.h"

#include <gtest/gtest.h>

namespace {

TEST(SimOptionsTest, ParsesFaultsAndModes) {
    instsim::SimOptions o;
    std::string error;
    ASSERT_TRUE(instsim::ParseOptions(
        {"--dir",   "/x",       "--drop",  "0.05",   "--corrupt",     "0.1",    "--duplicate",    "1",
         "--seed",  "9",        "--delay", "300",    "--stall-after", "3",      "--never-answer", "--refuse",
         "A.KED",   "--refuse", "*",       "--pace", "115200",        "--echo", "--log",          "/tmp/l",
         "--clock", "/tmp/c"},
        &o, &error))
        << error;
    EXPECT_EQ(o.folder, "/x");
    EXPECT_DOUBLE_EQ(o.faults.dropRate, 0.05);
    EXPECT_DOUBLE_EQ(o.faults.corruptRate, 0.1);
    EXPECT_DOUBLE_EQ(o.faults.duplicateRate, 1);
    EXPECT_EQ(o.faults.seed, 9u);
    EXPECT_EQ(o.replyDelayMs, 300u);
    EXPECT_EQ(o.stallAfter, 3);
    EXPECT_TRUE(o.neverAnswer);
    EXPECT_TRUE(o.echo);
    EXPECT_EQ(o.refused, (std::vector<std::string>{"A.KED", "*"}));
    EXPECT_EQ(o.paceBaud, 115200u);
    EXPECT_EQ(o.logPath, "/tmp/l");
    EXPECT_EQ(o.clockPath, "/tmp/c");
}

TEST(SimOptionsTest, RejectsBadValues) {
    const std::vector<std::vector<std::string>> bad = {
        {"--drop", "1.5"}, {"--drop", "x"}, {"--seed", "-1"}, {"--delay"}, {"--bogus"}, {"--pace", "12ab"},
    };
    for (const auto& args : bad) {
        instsim::SimOptions o;
        std::string error;
        EXPECT_FALSE(instsim::ParseOptions(args, &o, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
