#include "BandSuggestion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vexlan::analysis {

namespace {

// Mean phase cosine a bin needs to count for the band. Per bin the leak is often weaker than the
// estimation noise (its peak stands out only as the sum over many bins), so this is small: noise
// bins average 0 and each costs the bias.
constexpr double kAgreementBias = 0.1;
constexpr double kQuietShare = 0.02;     // bins below this share of the typical level say nothing
constexpr int kMinimumBandBins = 16;

}  // namespace

BandAgreement FindAgreeingBand(const LagWindows& w, double lag, const std::vector<bool>& lines)
{
    BandAgreement result;
    if (w.n < 2 || w.windowCount() == 0)
        return result;
    const double sample = lag + w.zeroLagSample();
    const int win = std::clamp(int(std::floor(sample / w.n)), 0, w.windowCount() - 1);
    const double inWindow = sample - double(win) * w.n - w.n / 2;  // lag within the window
    const Bins& bins = w.bins[std::size_t(win)];
    const int count = w.n / 2;

    double typical = 0;
    for (int i = 1; i < count; ++i)
        typical = std::max(typical, std::abs(bins[std::size_t(i)]));
    const double quiet = kQuietShare * typical;

    // Unit phasors with the candidate's delay taken out: near 1 where its source dominates.
    std::vector<std::complex<double>> unit(static_cast<std::size_t>(count));
    for (int i = 1; i < count; ++i) {
        const std::complex<double> x = bins[std::size_t(i)];
        if (lines[std::size_t(i)] || !(std::abs(x) > quiet))
            continue;
        const double phase = -2 * std::numbers::pi * i * inWindow / w.n;
        unit[std::size_t(i)] = x / std::abs(x) * std::polar(1.0, phase);
    }
    // Largest sum of (agreement - bias): the stretch of bins that agree best (Kadane).
    double best = 0, run = 0;
    int bestFrom = 0, bestTo = -1, from = 1;
    for (int i = 1; i < count; ++i) {
        const double agreement = unit[std::size_t(i)].real();
        if (run <= 0) {
            run = 0;
            from = i;
        }
        run += agreement - kAgreementBias;
        if (run > best) {
            best = run;
            bestFrom = from;
            bestTo = i;
        }
    }
    if (bestTo - bestFrom + 1 < kMinimumBandBins)
        return result;
    result.band = {w.binFrequency(bestFrom), w.binFrequency(bestTo)};
    result.score = best;
    return result;
}

}  // namespace vexlan::analysis
