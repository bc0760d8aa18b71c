// Times a full recomputation of a five-block, 8192-point record and a cursor move, and one
// fixed-point 8192-point inverse real transform, each as a ratio against one double-precision
// 8192-point inverse real transform of FFTW measured in the same run (counter "xFFTW").
// Absolute times vary with the machine; the ratios are what to compare.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "correlation/CVexlanDoc.h"
#include "correlation/FixedPointFft.h"
#include "testsupport/generator/KedGenerator.h"

namespace {

using namespace vexlan;

// CPU seconds of this thread: other work on a busy machine does not enter the ratios.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Seconds of one FFTW 8192-point inverse real transform: the best of several batches.
double FftwSecondsPerTransform() {
    static const double seconds = [] {
        double* in = fftw_alloc_real(8194);
        double* out = fftw_alloc_real(8192);
        fftw_plan plan = fftw_plan_dft_c2r_1d(8192, reinterpret_cast<fftw_complex*>(in), out, FFTW_MEASURE);
        double best = 1e30;
        for (int batch = 0; batch < 7; ++batch) {
            for (int i = 0; i < 8194; ++i) in[i] = (i * 37 % 101) - 50;  // c2r overwrites its input
            constexpr int kRepeats = 400;
            const double start = ThreadSeconds();
            for (int i = 0; i < kRepeats; ++i) fftw_execute(plan);
            benchmark::DoNotOptimize(out[17]);
            best = std::min(best, (ThreadSeconds() - start) / kRepeats);
        }
        fftw_destroy_plan(plan);
        fftw_free(in);
        fftw_free(out);
        return best;
    }();
    return seconds;
}

// Runs body once per iteration and reports its mean time in FFTW transforms.
template <typename Body>
void TimeAgainstFftw(benchmark::State& state, Body&& body) {
    const double baseline = FftwSecondsPerTransform();
    const double start = ThreadSeconds();
    for (auto _ : state) body();
    const double perIteration =
        (ThreadSeconds() - start) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["xFFTW"] = perIteration / baseline;
}

// A generated record that joins all five windows: two side pairs on a long plastic pipe.
const CorrelationRecord& FiveBlockRecord() {
    static const CorrelationRecord record = [] {
        kedgen::GeneratorSettings s;
        s.segments = {{8, 300, 100}, {7, 300, 90}};
        s.leakDistance = 420;
        s.maxSideBlocks = 2;
        CorrelationRecord r;
        std::string error;
        if (!kedgen::GenerateRecord(s, r, error)) {
            std::fprintf(stderr, "bench_recompute: %s\n", error.c_str());
            std::exit(1);
        }
        return r;
    }();
    return record;
}

struct Document {
    ScriptedPrompt prompt;
    std::unique_ptr<CVexlanDoc> doc = std::make_unique<CVexlanDoc>(prompt);
    Document() { doc->record() = FiveBlockRecord(); }
};

void FixedPointInverse8192(benchmark::State& state) {
    static std::int16_t input[8192], work[8192];
    static fft::FftWorkspace workspace;
    std::mt19937 rng(2);
    std::uniform_int_distribution<int> dist(-3000, 3000);
    for (auto& x : input) x = std::int16_t(dist(rng));
    TimeAgainstFftw(state, [&] {
        std::memcpy(work, input, sizeof work);  // the transform works in place
        fft::InverseRealFft(work, 8192, workspace);
        benchmark::DoNotOptimize(work[17]);
    });
}

void FullRecomputation(benchmark::State& state) {
    Document d;
    d.doc->RecomputeCorrelation();
    if (d.doc->record().sideBlocks != 2) {
        state.SkipWithError("the record does not join five windows");
        return;
    }
    TimeAgainstFftw(state, [&] {
        d.doc->RecomputeCorrelation();
        benchmark::DoNotOptimize(d.doc->timeDelay());
    });
}

void CursorMove(benchmark::State& state) {
    Document d;
    d.doc->RecomputeCorrelation();
    int column = 200;
    TimeAgainstFftw(state, [&] {
        d.doc->MoveCursor(column);
        column = column == 200 ? 201 : 200;
        benchmark::DoNotOptimize(d.doc->timeDelay());
    });
}

}  // namespace

BENCHMARK(FixedPointInverse8192);
BENCHMARK(FullRecomputation);
BENCHMARK(CursorMove);
BENCHMARK_MAIN();
