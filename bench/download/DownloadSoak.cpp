// Soak of three-file downloads ("All") from a simulated instrument that runs the link as the
// instrument does, over a line that loses, damages and repeats frames. For each seed it lists
// the files and downloads every one, then sorts the run into: all three byte-identical, a
// clear failure (the session said so, nothing wrong or partial under a final name), or wrong
// (a success with other bytes, or a wrong or partial file left under a final name). Prints the
// share of each and the median time of a run.
//
//   bench_download_soak [--rate R] [--seeds N] [--first S] [--mended]

#include "instrument/CInstrumentSession.h"
#include "testsupport/simulator/SimulatedInstrument.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using vexlan::test::ReadWholeFile;

enum class Outcome { Identical, ClearFailure, Wrong };

struct ServedFile {
    std::string name;
    std::vector<uint8_t> bytes;
};

Outcome RunOnce(vexlan::test::SimulatedInstrument& sim, const std::vector<ServedFile>& files, int run) {
    vexlan::SessionTiming timing;
    timing.wakeWaitMs = 150;  // the simulator needs no time to wake; the link timings stay real
    std::vector<std::string> listed;
    vexlan::CInstrumentSession lister(timing);
    if (!lister.ListFiles(sim.device(), listed)) return Outcome::ClearFailure;
    bool allIdentical = true;
    for (const ServedFile& file : files) {
        const std::string path = sim.outFolder() + "/" + std::to_string(run) + "-" + file.name;
        vexlan::CInstrumentSession session(timing);
        const bool ok = session.DownloadFile(sim.device(), file.name, path);
        bool exists = false;
        const std::vector<uint8_t> got = ReadWholeFile(path, &exists);
        bool partExists = false;
        ReadWholeFile(path + ".part", &partExists);
        if (partExists) return Outcome::Wrong;
        if (ok && got != file.bytes) return Outcome::Wrong;
        if (!ok && exists) return Outcome::Wrong;  // nothing was there before this run
        if (!ok) allIdentical = false;
        ::unlink(path.c_str());
    }
    return allIdentical ? Outcome::Identical : Outcome::ClearFailure;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Download soak against the simulated instrument"};
    double rate = 0.05;
    int seeds = 50, first = 1;
    bool mended = false;
    app.add_option("--rate", rate, "Share of frames dropped, and of frames damaged, and of frames repeated")
        ->check(CLI::Range(0.0, 0.5));
    app.add_option("--seeds", seeds, "Runs, one line seed each")->check(CLI::Range(1, 10000));
    app.add_option("--first", first, "First seed");
    app.add_flag("--mended", mended, "The simulated instrument runs the host's careful link rules");
    CLI11_PARSE(app, argc, argv);

    vexlan::test::SimulatedInstrument sim;
    std::vector<ServedFile> files;
    for (const auto& [name, size] : {std::pair{"RUN1.KED", 20402}, {"RUN2.KED", 20402}, {"RUN3.KED", 9000}})
        files.push_back({name, sim.AddFile(name, size_t(size))});

    int counts[3] = {};
    std::vector<double> seconds;
    const std::string r = std::to_string(rate);
    for (int seed = first; seed < first + seeds; ++seed) {
        std::vector<std::string> options = {"--drop",      r, "--corrupt", r,
                                            "--duplicate", r, "--seed",    std::to_string(seed)};
        if (mended) options.push_back("--mended");
        if (!sim.Start(options)) {
            std::fprintf(stderr, "bench_download_soak: the simulator did not start\n");
            return 1;
        }
        const auto start = Clock::now();
        const Outcome outcome = RunOnce(sim, files, seed);
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        sim.Stop();
        ++counts[int(outcome)];
        std::printf("seed %4d  %-14s %6.2f s\n", seed,
                    outcome == Outcome::Identical      ? "identical"
                    : outcome == Outcome::ClearFailure ? "clear failure"
                                                       : "WRONG",
                    seconds.back());
        std::fflush(stdout);
    }
    std::sort(seconds.begin(), seconds.end());
    const double n = seeds;
    std::printf("instrument link    %s\n", mended ? "careful (mended)" : "as the instrument runs it (strict)");
    std::printf("line faults        %.0f %% dropped, %.0f %% damaged, %.0f %% repeated\n", 100 * rate, 100 * rate,
                100 * rate);
    std::printf("runs               %d three-file downloads\n", seeds);
    std::printf("byte-identical     %.1f %%\n", 100 * counts[0] / n);
    std::printf("clear failure      %.1f %%\n", 100 * counts[1] / n);
    std::printf("wrong or partial   %.1f %%\n", 100 * counts[2] / n);
    std::printf("median run         %.2f s\n", seconds[seconds.size() / 2]);
    return counts[2] == 0 ? 0 : 1;
}
