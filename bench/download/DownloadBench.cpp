// Times a clean download of a 20402-byte file from the simulated instrument, which paces its
// bytes at 115200 baud 8N1, and prints it as a ratio against the line's limit for the same
// bytes (11520 bytes per second). The fixed wake-up wait is left out.

#include "instrument/CInstrumentSession.h"
#include "testsupport/simulator/SimulatedInstrument.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kFileSize = 20402;
constexpr double kLineBytesPerSecond = 11520;
constexpr int kRounds = 5;

}  // namespace

int main() {
    vexlan::test::SimulatedInstrument sim;
    const std::vector<uint8_t> served = sim.AddFile("BENCH.KED", kFileSize);
    if (!sim.Start({"--pace", "115200"})) {
        std::fprintf(stderr, "bench_download: the simulator did not start\n");
        return 1;
    }
    vexlan::SessionTiming timing;
    timing.wakeWaitMs = 0;
    std::vector<double> seconds;
    for (int round = 0; round < kRounds; ++round) {
        vexlan::CInstrumentSession session(timing);
        const std::string path = sim.outFolder() + "/bench.ked";
        const auto start = Clock::now();
        if (!session.DownloadFile(sim.device(), "BENCH.KED", path)) {
            std::fprintf(stderr, "bench_download: download failed (%u)\n", session.lastErrorId);
            return 1;
        }
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        bool exists = false;
        if (vexlan::test::ReadWholeFile(path, &exists) != served) {
            std::fprintf(stderr, "bench_download: the download differs from the served file\n");
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[kRounds / 2];
    const double limit = kFileSize / kLineBytesPerSecond;
    std::printf("file                         %zu bytes\n", kFileSize);
    std::printf("download (median of %d)       %.3f s\n", kRounds, median);
    std::printf("line limit, same bytes       %.3f s at 11520 bytes/s\n", limit);
    std::printf("ratio download / line limit  %.3f\n", median / limit);
    // What the instrument's replies alone put on the line: every block reply is 4100 bytes,
    // the short last block and the empty one that ends the file included.
    const size_t replies = ((kFileSize + 4095) / 4096 + 1) * 4100 + 2 * 2;
    const double replyTime = replies / kLineBytesPerSecond;
    std::printf("reply bytes on the line      %zu (%.3f s, ratio %.3f of the download)\n", replies, replyTime,
                median / replyTime);
    return 0;
}
