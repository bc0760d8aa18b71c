// Times the recomputation against one double-precision 8192-point inverse real transform of
// FFTW measured in the same run; read the ratios, not the absolute times.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstring>
#include <random>

#include "CCorrelationEngine.h"

namespace {

using namespace vexlan;

// Blocks hold raw values here so that the figures show the engine's own work.
void RawDecode(int maxCount, const std::uint8_t* block, std::int16_t* out)
{
    const int count = std::min<int>(maxCount, int(kBlockSize / 2));
    std::fill(out, out + maxCount, std::int16_t(0));
    std::memcpy(out, block, std::size_t(count) * 2);
}

CorrelationRecord BenchRecord()
{
    CorrelationRecord r;
    r.sampleCount = 8192;
    r.zeroLagIndex = 4096;
    r.blockCount = 5;
    r.maxSideBlocks = 2;
    r.sampleRate = 9765.625f;
    r.segments[0] = {0, 1500, 100, 1200, 1};  // long enough for two side pairs
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> dist(-3000, 3000);
    for (auto& block : r.correlationBlocks)
        for (std::size_t i = 0; i < kBlockSize; ++i)
            block[i] = std::uint8_t(dist(rng));
    return r;
}

void FftwInverse8192(benchmark::State& state)
{
    double* in = fftw_alloc_real(8194);
    double* out = fftw_alloc_real(8192);
    fftw_plan plan = fftw_plan_dft_c2r_1d(8192, reinterpret_cast<fftw_complex*>(in), out, FFTW_MEASURE);
    for (int i = 0; i < 8194; ++i) in[i] = (i * 37 % 101) - 50;
    for (auto _ : state) {
        fftw_execute(plan);
        benchmark::DoNotOptimize(out[17]);
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
}

void FixedPointInverse8192(benchmark::State& state)
{
    static std::int16_t v[8192];
    static fft::FftWorkspace work;
    std::mt19937 rng(2);
    std::uniform_int_distribution<int> dist(-3000, 3000);
    for (auto _ : state) {
        state.PauseTiming();
        for (auto& x : v) x = std::int16_t(dist(rng));
        state.ResumeTiming();
        fft::InverseRealFft(v, 8192, work);
        benchmark::DoNotOptimize(v[17]);
    }
}

void FullRecomputation(benchmark::State& state)
{
    CorrelationRecord r = BenchRecord();
    static CorrelationResult out;
    for (auto _ : state) {
        CCorrelationEngine engine(r, RawDecode);
        engine.ComputeCorrelation(out, 0, 0);
        CursorResult c;
        engine.ComputeAtColumn(out.peakColumn, c);
        benchmark::DoNotOptimize(c.timeDelay);
    }
}

void CursorMove(benchmark::State& state)
{
    CorrelationRecord r = BenchRecord();
    for (auto _ : state) {
        CCorrelationEngine engine(r, RawDecode);
        CursorResult c;
        engine.ComputeAtColumn(200, c);
        benchmark::DoNotOptimize(c.timeDelay);
    }
}

}  // namespace

BENCHMARK(FftwInverse8192);
BENCHMARK(FixedPointInverse8192);
BENCHMARK(FullRecomputation);
BENCHMARK(CursorMove);
BENCHMARK_MAIN();
