// The menu entry and the file type agree with each other and with the program: *.ked is a
// "Correlation File" that Vexlan opens, and the Print verb's command line prints the page.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Source(const std::string& relative) {
    const char* root = std::getenv("VEXLAN_SOURCE_DIR");
    return std::string(root ? root : ".") + "/" + relative;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Group name -> key -> value.
using DesktopFile = std::map<std::string, std::map<std::string, std::string>>;

DesktopFile ParseDesktop(const std::string& text) {
    DesktopFile file;
    std::string group, line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            group = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t eq = line.find('=');
        EXPECT_NE(eq, std::string::npos) << line;
        EXPECT_FALSE(group.empty()) << line;
        if (eq != std::string::npos) file[group][line.substr(0, eq)] = line.substr(eq + 1);
    }
    return file;
}

struct Result {
    int code;
    std::string output;
};

Result Shell(const std::string& command) {
    Result r{-1, {}};
    if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
        const int status = ::pclose(pipe);
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return r;
}

std::string Replace(std::string text, const std::string& what, const std::string& with) {
    const std::size_t at = text.find(what);
    if (at != std::string::npos) text.replace(at, what.size(), with);
    return text;
}

TEST(DesktopEntry, EntryAndFileTypeAgree) {
    const std::string mime = ReadAll(Source("viewer/res/desktop/vexlan-correlation.xml"));
    std::smatch type;
    ASSERT_TRUE(std::regex_search(mime, type, std::regex("<mime-type type=\"([^\"]+)\">")));
    EXPECT_NE(mime.find("<comment>Correlation File</comment>"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.ked\"/>"), std::string::npos);

    DesktopFile desktop = ParseDesktop(ReadAll(Source("viewer/res/desktop/vexlan.desktop")));
    auto& entry = desktop["Desktop Entry"];
    EXPECT_EQ(entry["Type"], "Application");
    EXPECT_EQ(entry["Name"], "Vexlan");
    EXPECT_EQ(entry["Exec"], "Vexlan %f");
    EXPECT_EQ(entry["Icon"], "vexlan");
    EXPECT_NE(entry["MimeType"].find(type[1].str() + ";"), std::string::npos);
    EXPECT_EQ(entry["Actions"], "Print;");
    EXPECT_EQ(desktop["Desktop Action Print"]["Exec"], "Vexlan --print %f");
}

TEST(DesktopEntry, PrintVerbPrintsThePageOrSaysWhyNot) {
    if (!fs::exists("./Vexlan")) GTEST_SKIP() << "the viewer is not built in this configuration";
    DesktopFile desktop = ParseDesktop(ReadAll(Source("viewer/res/desktop/vexlan.desktop")));
    const std::string sample = Source("samples/metal-two-segments.ked");
    const std::string verb = Replace(desktop["Desktop Action Print"]["Exec"], "%f", "'" + sample + "'");
    const std::string program = Replace(verb, "Vexlan", "QT_QPA_PLATFORM=offscreen ./Vexlan");

    // Asked for a PDF, the verb writes one page.
    const fs::path pdf = fs::temp_directory_path() / ("vexlan-verb-" + std::to_string(::getpid()) + ".pdf");
    const Result written = Shell(program + " --pdf '" + pdf.string() + "'");
    ASSERT_EQ(written.code, 0) << written.output;
    const std::string head = ReadAll(pdf.string()).substr(0, 5);
    EXPECT_EQ(head, "%PDF-");
    if (!Shell("command -v pdfinfo").output.empty()) {
        const Result info = Shell("pdfinfo '" + pdf.string() + "'");
        EXPECT_NE(info.output.find("Pages:           1\n"), std::string::npos) << info.output;
    }
    fs::remove(pdf);

    // A missing file gets the file message and a failure code, and no window waits for a click.
    const Result missing = Shell(Replace(program, sample, "/nonexistent/none.ked") + " --pdf '" + pdf.string() + "'");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.output.find("Could not open local file."), std::string::npos) << missing.output;
    EXPECT_FALSE(fs::exists(pdf));

    // To the default printer: printed, or on a machine without one the message that says so.
    const Result printed = Shell(program);
    if (printed.code != 0) {
        EXPECT_NE(printed.output.find("There is no printer to print to."), std::string::npos) << printed.output;
    }
}

}  // namespace
