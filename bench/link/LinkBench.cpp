// Pushes 20402 bytes of messages through the link to the simulated instrument over a
// pseudo-terminal and prints the bytes on the wire per payload byte, and the time as a ratio
// against writing the same bytes raw through the same pseudo-terminal in the same run.

#include "testsupport/simulator/SimulatorProcess.h"
#include "link/TarvikTesting.h"
#include "link/tarvik.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kPayload = 20402;
constexpr size_t kMessage = 4100;  // the size of a block reply
constexpr int kRounds = 7;

uint64_t bytesWritten = 0, bytesRead = 0;

long CountingRead(int fd, uint8_t* buffer, size_t size) {
    const long n = tarvik::PosixPortLayer().read(fd, buffer, size);
    if (n > 0) bytesRead += static_cast<uint64_t>(n);
    return n;
}

long CountingWrite(int fd, const uint8_t* bytes, size_t count) {
    const long n = tarvik::PosixPortLayer().write(fd, bytes, count);
    if (n > 0) bytesWritten += static_cast<uint64_t>(n);
    return n;
}

void ServiceUntilAcknowledged() {
    do {
        read_buffer();
        link_timer();
    } while (get_status() & STATUS_TX_PENDING);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main() {
    tarvik::PortLayer counting = tarvik::PosixPortLayer();
    counting.read = CountingRead;
    counting.write = CountingWrite;
    tarvik::SetPortLayer(&counting);

    vexlan::test::SimulatorProcess sim(vexlan::test::SimulatorBinary(), {});
    if (!sim.started() || comm_open_str(sim.device().c_str(), 115200) != 0) {
        std::fprintf(stderr, "bench_link: the simulator did not start\n");
        return 1;
    }
    ServiceUntilAcknowledged();

    // Random payload with a type byte the instrument does not answer.
    std::vector<uint8_t> payload(kPayload);
    uint32_t x = 12345;
    for (auto& b : payload) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 16);
    for (size_t at = 0; at < kPayload; at += kMessage) payload[at] = 0xEE;

    std::vector<double> framed, raw;
    uint64_t wireOut = 0, wireIn = 0;
    for (int round = 0; round < kRounds; ++round) {
        bytesWritten = bytesRead = 0;
        auto start = Clock::now();
        for (size_t at = 0; at < kPayload; at += kMessage) {
            const size_t n = std::min(kMessage, kPayload - at);
            if (put_message(payload.data() + at, static_cast<uint32_t>(n)) != 0) return 1;
            ServiceUntilAcknowledged();
        }
        framed.push_back(Seconds(Clock::now() - start));
        wireOut = bytesWritten;
        wireIn = bytesRead;

        start = Clock::now();
        for (uint8_t b : payload) put_raw_char(b);
        raw.push_back(Seconds(Clock::now() - start));
        // Let the simulator take in (and discard) the raw bytes before the next round.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        while (read_buffer() == -1 && (get_status() & STATUS_RX_WAITING)) {}
        comm_reset();
        ServiceUntilAcknowledged();
    }
    std::sort(framed.begin(), framed.end());
    std::sort(raw.begin(), raw.end());
    const double f = framed[kRounds / 2], r = raw[kRounds / 2];
    std::printf("payload                      %zu bytes in messages of %zu\n", kPayload, kMessage);
    std::printf("wire bytes sent              %llu (%.4f per payload byte)\n", static_cast<unsigned long long>(wireOut),
                double(wireOut) / kPayload);
    std::printf("wire bytes received (acks)   %llu (%.4f per payload byte)\n", static_cast<unsigned long long>(wireIn),
                double(wireIn) / kPayload);
    std::printf("overhead, both directions    %.4f wire bytes per payload byte\n", double(wireOut + wireIn) / kPayload);
    std::printf("time framed (median of %d)   %.3f ms\n", kRounds, f * 1e3);
    std::printf("time raw, same bytes         %.3f ms\n", r * 1e3);
    std::printf("ratio framed / raw           %.2f\n", f / r);
    comm_close();
    return 0;
}
