#include "correlation/analysis/BandSuggestion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vexlan::analysis {

namespace {

// Mean phase cosine a bin needs to count for the band. Per bin the leak is often weaker than the
// estimation noise (its peak stands out only as the sum over many bins), so this is small: noise
// bins average 0 and each costs the bias.
constexpr double kAgreementBias = 0.1;
constexpr double kQuietShare = 0.05;  // bins below this share of the median level say nothing
constexpr int kMinimumBandBins = 16;
constexpr double kCoherenceShare = 0.25;  // of the median relative coherence: full trust from here

}  // namespace

BandAgreement FindAgreeingBand(const LagWindows& w, double lag, const std::vector<bool>& lines,
                               const std::vector<double>* sensorProduct) {
    BandAgreement result;
    if (w.n < 2 || w.windowCount() == 0) return result;
    const double sample = lag + w.zeroLagSample();
    const int win = std::clamp(int(std::floor(sample / w.n)), 0, w.windowCount() - 1);
    const double inWindow = sample - double(win) * w.n - w.n / 2;  // lag within the window
    const Bins& bins = w.bins[std::size_t(win)];
    const int count = w.n / 2;

    // The typical level of the bins that hold anything, tones aside.
    std::vector<double> levels;
    for (int i = 1; i < count; ++i)
        if (!lines[std::size_t(i)] && std::norm(bins[std::size_t(i)]) > 0)
            levels.push_back(Magnitude(bins[std::size_t(i)]));
    if (levels.empty()) return result;
    std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
    const double quiet = kQuietShare * levels[levels.size() / 2];

    // Coherence, as far as the stored spectra allow: the cross-spectrum's power over the two
    // sensors' powers, known only up to a scale, so taken relative to its median. A bin whose
    // sensors mostly hear different things cannot vouch for the band, however its phase falls.
    std::vector<double> coherence;
    double typicalCoherence = 0;
    if (sensorProduct) {
        coherence.assign(std::size_t(count), 0.0);
        std::vector<double> known;
        for (int i = 1; i < count; ++i) {
            const double p = (*sensorProduct)[std::size_t(i)];
            if (p > 0 && !lines[std::size_t(i)] && std::norm(bins[std::size_t(i)]) > 0) {
                coherence[std::size_t(i)] = std::norm(bins[std::size_t(i)]) / p;
                known.push_back(coherence[std::size_t(i)]);
            }
        }
        if (!known.empty()) {
            std::nth_element(known.begin(), known.begin() + std::ptrdiff_t(known.size() / 2), known.end());
            typicalCoherence = known[known.size() / 2];
        }
    }
    auto trust = [&](int i) {
        if (typicalCoherence <= 0) return 1.0;
        return std::min(1.0, coherence[std::size_t(i)] / (kCoherenceShare * typicalCoherence));
    };

    // Per bin, the cosine of the phase left once the candidate's delay is taken out: near 1 where
    // its source dominates. The largest sum of (cosine - bias) over a stretch of bins (Kadane)
    // is the stretch that agrees best.
    const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi * inWindow / w.n);
    std::complex<double> turn = 1;
    double best = 0, run = 0;
    int bestFrom = 0, bestTo = -1, from = 1;
    for (int i = 1; i < count; ++i) {
        turn *= step;
        if (i % 256 == 0)  // the product drifts from the unit circle otherwise
            turn = std::polar(1.0, -2 * std::numbers::pi * i * inWindow / w.n);
        const std::complex<double> x = bins[std::size_t(i)];
        const double a = Magnitude(x);
        double agreement = 0;
        if (!lines[std::size_t(i)] && a > quiet)
            agreement = trust(i) * (x.real() * turn.real() - x.imag() * turn.imag()) / a;
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
    if (bestTo - bestFrom + 1 < kMinimumBandBins) return result;
    result.band = {w.binFrequency(bestFrom), w.binFrequency(bestTo)};
    result.score = best;
    return result;
}

}  // namespace vexlan::analysis
