#include "correlation/analysis/LagTrace.h"

#include "correlation/analysis/RealFftPlan.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vexlan::analysis {

namespace {

// Weights are capped where the normaliser falls below this share of its typical in-band level,
// so that bins at the compression's quantisation floor or with tiny sensor power do not dominate.
constexpr double kFloorShare = 0.15;
constexpr double kTypicalQuantile = 0.75;
constexpr int kTaperDivisor = 16;  // lags of the taper at each end: N / this

double Quantile(std::vector<double>& values, double q)  // reorders values
{
    if (values.empty()) return 0;
    const auto at = values.begin() + std::ptrdiff_t(q * double(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// Per bin 0 .. N/2: whether the weighting lets it through (in the band and not a tone).
std::vector<char> PassedBins(const LagWindows& w, const Weighting& weighting) {
    std::vector<char> passed(std::size_t(w.n / 2 + 1));
    for (int i = 0; i < int(passed.size()); ++i) {
        const double f = w.binFrequency(i);
        passed[std::size_t(i)] = !(weighting.lines && (*weighting.lines)[std::size_t(i)]) &&
                                 (!weighting.band.valid() || (f >= weighting.band.low && f <= weighting.band.high));
    }
    return passed;
}

// What each bin is multiplied by: 1 / its normaliser (1 for the plain correlation), 0 for bins
// that are not passed. scratch: reused storage.
void BinGains(const Weighting& weighting, const Bins& bins, const std::vector<char>& passed, std::vector<double>& gain,
              std::vector<double>& scratch) {
    const std::size_t count = passed.size();
    gain.assign(count, 0.0);
    scratch.clear();
    for (std::size_t i = 0; i < count; ++i) {
        if (!passed[i]) continue;
        double v = 1;
        if (weighting.method == CorrelationMethod::Phat)
            v = Magnitude(bins[i]);
        else if (weighting.method == CorrelationMethod::Scot)
            v = weighting.sensorProduct ? std::sqrt((*weighting.sensorProduct)[i]) : 0;
        gain[i] = v;
        if (v > 0) scratch.push_back(v);
    }
    const double floor = kFloorShare * Quantile(scratch, kTypicalQuantile);
    for (std::size_t i = 0; i < count; ++i) gain[i] = passed[i] && floor > 0 ? 1 / std::max(gain[i], floor) : 0;
}

}  // namespace

InverseRealTransform::InverseRealTransform(int n) : n_(n), plan_(std::make_unique<RealFftPlan>(n)) {}
InverseRealTransform::~InverseRealTransform() = default;
std::complex<double>* InverseRealTransform::input() { return plan_->bins(); }
const double* InverseRealTransform::Run() {
    plan_->Inverse();
    return plan_->lags();
}

void InverseRealTransform::TaperEdges(Bins& bins, int edge) {
    const int half = n_ / 2;
    std::complex<double>* in = input();
    for (int i = 0; i <= half; ++i) in[i] = std::conj(bins[std::size_t(i)]);
    if (int(taper_.size()) != edge) {
        taper_.resize(std::size_t(edge));
        for (int i = 0; i < edge; ++i) taper_[std::size_t(i)] = 0.5 * (1 - std::cos(std::numbers::pi * i / edge));
    }
    double* lags = plan_->lags();
    plan_->Inverse();
    for (int m = 0; m < n_; ++m) {
        const int j = (m + half) % n_;  // 0 at the window's most negative lag
        const int fromEnd = std::min(j, n_ - 1 - j);
        if (fromEnd < edge) lags[m] *= taper_[std::size_t(fromEnd)];
    }
    plan_->Forward();
    // Bins the instrument did not keep (or the mask stopped) stay empty: spreading into them
    // would let weighting lift pure leakage.
    for (int i = 0; i <= half; ++i)
        if (std::norm(bins[std::size_t(i)]) > 0) bins[std::size_t(i)] = std::conj(in[i]) / double(n_);
}

int TaperLength(int n) { return std::max(1, n / kTaperDivisor); }

void TaperWindowEdges(LagWindows& w, InverseRealTransform& transform) {
    const int edge = TaperLength(w.n);
    for (Bins& bins : w.bins) transform.TaperEdges(bins, edge);
}

void WeightedLagTrace(const LagWindows& w, const Weighting& weighting, InverseRealTransform& transform,
                      std::vector<double>& trace) {
    if (w.n < 2 || w.windowCount() == 0) {
        trace.assign(std::size_t(w.totalSamples()), 0.0);
        return;
    }
    trace.resize(std::size_t(w.totalSamples()));  // every value is written below
    // PHAT normalises per window (each holds its own cross-spectrum); SCOT and the plain
    // correlation share one normaliser across the windows.
    const std::vector<char> passed = PassedBins(w, weighting);
    const bool perWindow = weighting.method == CorrelationMethod::Phat;
    std::vector<double> gain, scratch;
    if (!perWindow) BinGains(weighting, w.bins[std::size_t(w.sidePairs)], passed, gain, scratch);
    const int count = w.n / 2 + 1;
    for (int win = 0; win < w.windowCount(); ++win) {
        const Bins& bins = w.bins[std::size_t(win)];
        if (perWindow) BinGains(weighting, bins, passed, gain, scratch);
        std::complex<double>* in = transform.input();
        for (int i = 0; i < count; ++i) in[i] = std::conj(bins[std::size_t(i)]) * gain[std::size_t(i)];
        // conj: the transform's sign is the opposite of the recomputation's.
        const double* lags = transform.Run();
        double* out = trace.data() + std::size_t(win) * std::size_t(w.n);
        // Lag m of the transform is at m + N/2 of the window.
        const int half = w.n / 2;
        std::copy(lags + half, lags + w.n, out);
        std::copy(lags, lags + half, out + (w.n - half));
    }
}

}  // namespace vexlan::analysis
