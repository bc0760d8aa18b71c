// How long vexlan-cli summary takes over a folder of generated correlation files, against just
// reading the same files, both measured in this run.
//
//   bench_summary [COUNT] [--keep]      (COUNT files, 1000 by default, in a scratch folder)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

#include "correlation/CCorrelationFile.h"
#include "testsupport/generator/Corpus.h"
#include "tools/vexlan-cli/Subcommand.h"
#include "tools/vexlan-cli/SummaryTable.h"

namespace {

namespace fs = std::filesystem;

struct Times {
    double wall = 0, cpu = 0;
};

template <typename F>
Times Measure(F&& work) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    work();
    Times t;
    t.cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    t.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 1000;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--keep")
            keep = true;
        else
            count = std::atoi(argv[i]);
    }
    if (count < 1) {
        std::fprintf(stderr, "usage: bench_summary [COUNT] [--keep]\n");
        return 2;
    }
    const fs::path dir = fs::temp_directory_path() / ("vexlan-summary-bench-" + std::to_string(::getpid()));
    std::ostringstream quiet;
    const Times made = Measure([&] {
        vexlan::kedgen::RunCorpus({"--corpus", dir.string(), "--count", std::to_string(count), "--seed", "7"}, quiet,
                                  quiet);
    });

    // Baseline: every file only read, as the summary reads it before recomputing.
    const std::vector<std::string> files = vexlan::cli::CollectKedFiles({dir.string()});
    auto record = std::make_unique<vexlan::CorrelationRecord>();
    int unreadable = 0;
    const Times read = Measure([&] {
        for (const std::string& f : files)
            unreadable += vexlan::CCorrelationFile().ReadCorrelationFile(f, *record) ? 0 : 1;
    });

    std::ostringstream out, err;
    int code = 0;
    const Times summary = Measure([&] { code = vexlan::cli::RunVexlanCli({"summary", dir.string()}, out, err); });
    const std::string csv = out.str();
    long rows = -1;  // without the header line
    for (char c : csv) rows += c == '\n';

    std::printf("files generated     %6zu  in %7.2f s\n", files.size(), made.wall);
    std::printf("read only           %6zu  in %7.2f s wall, %7.2f s CPU (%d unreadable)\n", files.size(), read.wall,
                read.cpu, unreadable);
    std::printf("summary (CSV)       %6ld  in %7.2f s wall, %7.2f s CPU, exit %d\n", rows, summary.wall, summary.cpu,
                code);
    std::printf("summary rate        %8.1f files/s; summary / read only = %.1f x (CPU)\n",
                summary.wall > 0 ? double(rows) / summary.wall : 0.0, read.cpu > 0 ? summary.cpu / read.cpu : 0.0);
    if (!keep)
        fs::remove_all(dir);
    else
        std::printf("corpus kept in %s\n", dir.c_str());
    return code == 0 && long(files.size()) == rows ? 0 : 1;
}
