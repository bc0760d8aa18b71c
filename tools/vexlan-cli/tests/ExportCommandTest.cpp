// The export subcommand: the PDF is one landscape page whose text carries the report's values,
// the PNG is the graph, and a failed output leaves no file under the final name.

#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tools/vexlan-cli/tests/CliTestSupport.h"
#include "testsupport/FileSizeLimit.h"

namespace fs = std::filesystem;

namespace {

using vexlan::test::Cli;
using vexlan::test::CliRun;
using vexlan::test::RunWithFileSizeLimit;
using vexlan::test::SamplePath;

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
        ::pclose(pipe);
    }
    return output;
}

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vexlan-export-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir;
};

TEST_F(ExportCommand, PdfIsOneLandscapePageCarryingTheReportsValues) {
    if (Shell("command -v pdfinfo").empty()) GTEST_SKIP() << "poppler-utils not installed";
    const std::string pdf = (dir / "page.pdf").string();
    const CliRun run = Cli({"export", SamplePath("metal-two-segments.ked"), "--pdf", pdf});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::string info = Shell("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    // Landscape: wider than high.
    double width = 0, height = 0;
    const std::size_t at = info.find("Page size:");
    ASSERT_NE(at, std::string::npos);
    std::sscanf(info.c_str() + at, "Page size: %lf x %lf", &width, &height);
    EXPECT_GT(width, height);

    const std::string text = Shell("pdftotext -raw '" + pdf + "' -");
    const CliRun report = Cli({"report", SamplePath("metal-two-segments.ked")});
    for (const char* expected : {"Title :", "Mill Road", "Date Created :", "08/12/2026",
                                 "Filename :", "metal-two-segments", "Pipe Details", "Steel", "Cast Iron", "120.00",
                                 "80.00", "1320.00", "Notch Filter Settings", "NOT SET", "Filter Settings", "OPEN"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    // The readouts are the report's values.
    EXPECT_NE(report.out.find("Time Delay  : -0.0515 s"), std::string::npos);
    EXPECT_NE(text.find("-0.0515"), std::string::npos);
    EXPECT_NE(text.find("70.0"), std::string::npos);
    EXPECT_NE(text.find("130.0"), std::string::npos);
    EXPECT_EQ(text.find(".ked"), std::string::npos);  // the page drops the extension
}

TEST_F(ExportCommand, ImperialMillisecondsReachThePage) {
    if (Shell("command -v pdftotext").empty()) GTEST_SKIP() << "poppler-utils not installed";
    const std::string pdf = (dir / "imperial.pdf").string();
    ASSERT_EQ(
        Cli({"export", SamplePath("metal-two-segments.ked"), "--pdf", pdf, "--units", "imperial", "--time", "ms"}).code,
        0);
    const std::string text = Shell("pdftotext -raw '" + pdf + "' -");
    for (const char* expected : {"(ft)", "(ins)", "(ft/ms)", "(ms)", "-51.5", "229.7", "426.5", "393.70", "4.33"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST_F(ExportCommand, PngIsTheGraphWithItsBarsAndCursor) {
    const std::string png = (dir / "graph.png").string();
    // A sample whose noise floor shows in nearly every column.
    ASSERT_EQ(Cli({"export", SamplePath("metal-long-pipe.ked"), "--png", png, "--cursor", "200"}).code, 0);
    QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(620, 193));
    // The cursor column runs from the top: black inside the pipe, red for a delay beyond it.
    const QRgb cursor = image.pixel(200, 1) & 0xFFFFFF;
    EXPECT_TRUE(cursor == 0x000000u || cursor == 0xFF0000u) << std::hex << cursor;
    EXPECT_EQ(image.pixel(201, 1) & 0xFFFFFF, 0xFFFFFFu);
    int green = 0;
    for (int x = 0; x < 620; ++x)
        if ((image.pixel(x, 192) & 0xFFFFFF) == 0x007D00u) ++green;
    EXPECT_GT(green, 500);  // bars stand on the bottom row
}

TEST_F(ExportCommand, SeveralFilesGoIntoAFolderAndFailuresLeaveNothingHalfWritten) {
    const std::string out = dir.string();
    const CliRun run = Cli({"export", SamplePath("metal-one-segment.ked"), "/nonexistent/none.ked",
                            SamplePath("mixed-with-hum.ked"), "--pdf", out, "--png", out});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("/nonexistent/none.ked: "), std::string::npos);
    EXPECT_EQ(Files(), (std::vector<std::string>{"metal-one-segment.pdf", "metal-one-segment.png", "mixed-with-hum.pdf",
                                                 "mixed-with-hum.png"}));

    // An output that cannot be written: the message, exit 1, and no file of any name left.
    fs::create_directories(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string locked = (dir / "locked" / "page.pdf").string();
    const CliRun denied = Cli({"export", SamplePath("metal-one-segment.ked"), "--pdf", locked});
    fs::permissions(dir / "locked", fs::perms::owner_all);
    if (::geteuid() != 0) {  // root writes anywhere
        EXPECT_EQ(denied.code, 1);
        EXPECT_NE(denied.err.find("Could not write the output file."), std::string::npos);
        EXPECT_TRUE(fs::is_empty(dir / "locked"));
    }
    const CliRun missing =
        Cli({"export", SamplePath("metal-one-segment.ked"), "--pdf", (dir / "no" / "such" / "p.pdf").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Could not write the output file."), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(ExportCommand, AnExistingFileIsReplacedOnlyByACompleteOne) {
    const fs::path png = dir / "graph.png";
    std::ofstream(png) << "old";
    ASSERT_EQ(Cli({"export", SamplePath("metal-one-segment.ked"), "--png", png.string()}).code, 0);
    EXPECT_FALSE(QImage(QString::fromStdString(png.string())).isNull());
    // A failed run (the input is missing) keeps the old picture as it was.
    std::ofstream(png, std::ios::trunc) << "old";
    EXPECT_EQ(Cli({"export", "/nonexistent/none.ked", "--png", png.string()}).code, 1);
    std::ifstream in(png);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "old");
    EXPECT_EQ(Files(), std::vector<std::string>{"graph.png"});
}

TEST_F(ExportCommand, UsageErrors) {
    EXPECT_EQ(Cli({"export", SamplePath("metal-one-segment.ked")}).code, 2);  // nothing to write
    // Several files need a folder to put their outputs in.
    EXPECT_EQ(Cli({"export", SamplePath("metal-one-segment.ked"), SamplePath("mixed-with-hum.ked"), "--pdf",
                   (dir / "one.pdf").string()})
                  .code,
              2);
    EXPECT_TRUE(Files().empty());
}

TEST_F(ExportCommand, FullDiskLinksDevicesAndReadOnlyFilesKeepWhatWasThere) {
    const std::string pdf = (dir / "good.pdf").string(), one = SamplePath("metal-one-segment.ked");
    ASSERT_EQ(Cli({"export", one, "--pdf", pdf}).code, 0);
    const std::string good = Content(pdf);
    EXPECT_EQ(RunWithFileSizeLimit(4096,
                                   [&] {
                                       return Cli({"export", SamplePath("mixed-with-hum.ked"), "--pdf", pdf}).code == 0;
                                   }),
              1);
    EXPECT_EQ(Content(pdf), good);
    fs::create_symlink("good.pdf", dir / "link.pdf");
    ASSERT_EQ(Cli({"export", SamplePath("mixed-with-hum.ked"), "--pdf", (dir / "link.pdf").string()}).code, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.pdf"));
    EXPECT_NE(Content(pdf), good);
    ASSERT_EQ(::mkfifo((dir / "pipe.pdf").c_str(), 0600), 0);
    EXPECT_NE(Cli({"export", one, "--pdf", (dir / "pipe.pdf").string()}).err.find("not a regular file"),
              std::string::npos);
    EXPECT_EQ(fs::status(dir / "pipe.pdf").type(), fs::file_type::fifo);
    fs::permissions(pdf, fs::perms::owner_read);
    const std::string before = Content(pdf);
    EXPECT_NE(Cli({"export", one, "--pdf", pdf}).err.find("read-only and was not replaced"), std::string::npos);
    EXPECT_EQ(Content(pdf), before);
}

TEST_F(ExportCommand, TwoFilesOfTheSameNameAreRefusedBeforeAnythingIsWritten) {
    for (const char* sub : {"a", "b", "out"}) fs::create_directories(dir / sub);
    fs::copy_file(SamplePath("metal-one-segment.ked"), dir / "a" / "site.ked");
    fs::copy_file(SamplePath("mixed-with-hum.ked"), dir / "b" / "site.ked");
    const CliRun run =
        Cli({"export", (dir / "a/site.ked").string(), (dir / "b/site.ked").string(), "--pdf", (dir / "out").string()});
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("same name"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

}  // namespace
