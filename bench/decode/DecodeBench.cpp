// Times the decoding of a record's seven compressed blocks against a plain loop that only reads
// the same 7 x 2840 bytes bit by bit, both timed alternately in the same run. The counter "ratio"
// is decode time / bit-reading time; the absolute times depend on the machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "correlation/BlockDecoder.h"
#include "correlation/BlockEncoder.h"
#include "correlation/CCorrelationFile.h"
#include "correlation/RecordCodec.h"

namespace {

using namespace vexlan;
using Clock = std::chrono::steady_clock;

constexpr int kSpectrumValues = 2048;  // a sensor spectrum block holds 1024 bins
constexpr int kBlocks = 2 + kCorrelationBlockCount;

struct Blocks {
    const std::uint8_t* block[kBlocks];
    int maxCount[kBlocks];
};

Blocks BlocksOf(const CorrelationRecord& r) {
    Blocks b{};
    b.block[0] = r.spectrum1Block;
    b.block[1] = r.spectrum2Block;
    b.maxCount[0] = b.maxCount[1] = kSpectrumValues;
    for (int j = 0; j < kCorrelationBlockCount; ++j) {
        b.block[2 + j] = r.correlationBlocks[j];
        b.maxCount[2 + j] = kMaxBlockValues;
    }
    return b;
}

// The baseline: every bit of every block taken one at a time from its 16-bit little-endian word,
// most significant first, and folded into a checksum so that no bit can be skipped.
std::uint32_t ReadEveryBit(const Blocks& b) {
    std::uint32_t sum = 0;
    for (const std::uint8_t* block : b.block) {
        for (std::size_t i = 0; i < kBlockSize; i += 2) {
            const std::uint32_t word = std::uint32_t(block[i] | (block[i + 1] << 8));
            for (int bit = 15; bit >= 0; --bit) sum = ((sum << 1) | (sum >> 31)) ^ ((word >> bit) & 1u);
        }
    }
    return sum;
}

void DecodeAll(const Blocks& b, std::int16_t* out) {
    for (int i = 0; i < kBlocks; ++i) DecodeBlock(b.maxCount[i], b.block[i], out + i * kMaxBlockValues);
}

// Dense blocks: noise-like spectra, every bin used, quantised until each block is nearly full.
CorrelationRecord DenseRecord() {
    CorrelationRecord r;
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, 1);
    auto fill = [&](std::uint8_t* block, int count) {
        std::vector<std::int16_t> values(std::size_t(count), 0), stored(std::size_t(count), 0);
        for (int i = 2; i < count; ++i)
            values[std::size_t(i)] = std::int16_t(std::lround(std::clamp(3000 * noise(random), -32000.0, 32000.0)));
        if (QuantiseAndEncode(values.data(), count, count, block, stored.data()) != EncodeStatus::Ok) {
            std::fprintf(stderr, "bench_decode: a dense block does not encode\n");
            std::exit(1);
        }
    };
    fill(r.spectrum1Block, kSpectrumValues);
    fill(r.spectrum2Block, kSpectrumValues);
    for (auto& block : r.correlationBlocks) fill(block, kMaxBlockValues);
    return r;
}

// A sample made by our generator, as the viewer meets it.
bool SampleRecord(CorrelationRecord& r) {
    const char* root = std::getenv("VEXLAN_SOURCE_DIR");
    const std::string path = std::string(root ? root : VEXLAN_BENCH_SOURCE_DIR) + "/samples/metal-long-pipe.ked";
    return CCorrelationFile().ReadCorrelationFile(path, r);
}

void RunAgainstBaseline(benchmark::State& state, const CorrelationRecord& record) {
    const Blocks blocks = BlocksOf(record);
    static std::int16_t out[kBlocks * kMaxBlockValues];
    double decodeSeconds = 0, readSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(ReadEveryBit(blocks));
        const auto t1 = Clock::now();
        DecodeAll(blocks, out);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        readSeconds += std::chrono::duration<double>(t1 - t0).count();
        const double decode = std::chrono::duration<double>(t2 - t1).count();
        decodeSeconds += decode;
        state.SetIterationTime(decode);
    }
    const double n = double(state.iterations());
    state.counters["decode_us"] = 1e6 * decodeSeconds / n;
    state.counters["read_bits_us"] = 1e6 * readSeconds / n;
    state.counters["ratio"] = readSeconds > 0 ? decodeSeconds / readSeconds : 0;
}

void DecodeDenseRecord(benchmark::State& state) {
    static const CorrelationRecord record = DenseRecord();
    RunAgainstBaseline(state, record);
}

void DecodeGeneratedSample(benchmark::State& state) {
    static CorrelationRecord record;
    static const bool found = SampleRecord(record);
    if (!found) {
        state.SkipWithError("samples/metal-long-pipe.ked not found (set VEXLAN_SOURCE_DIR)");
        return;
    }
    RunAgainstBaseline(state, record);
}

}  // namespace

BENCHMARK(DecodeDenseRecord)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(DecodeGeneratedSample)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
