#include "LagTrace.h"

#include "RealFftPlan.h"

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

double Quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0;
    const auto at = values.begin() + std::ptrdiff_t(q * double(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

bool InBand(const LagWindows& w, const Weighting& weighting, int bin)
{
    if (weighting.lines && (*weighting.lines)[std::size_t(bin)])
        return false;
    if (!weighting.band.valid())
        return true;
    const double f = w.binFrequency(bin);
    return f >= weighting.band.low && f <= weighting.band.high;
}

// The normaliser of each bin (1 for the plain correlation), 0 for bins outside the band.
std::vector<double> Normalisers(const LagWindows& w, const Weighting& weighting, const Bins& bins)
{
    const int count = w.n / 2 + 1;
    std::vector<double> norm(static_cast<std::size_t>(count));
    std::vector<double> inBand;
    for (int i = 0; i < count; ++i) {
        if (!InBand(w, weighting, i))
            continue;
        double v = 1;
        if (weighting.method == CorrelationMethod::Phat)
            v = Magnitude(bins[std::size_t(i)]);
        else if (weighting.method == CorrelationMethod::Scot)
            v = weighting.sensorProduct ? std::sqrt((*weighting.sensorProduct)[std::size_t(i)]) : 0;
        norm[std::size_t(i)] = v;
        if (v > 0)
            inBand.push_back(v);
    }
    const double floor = kFloorShare * Quantile(std::move(inBand), kTypicalQuantile);
    for (int i = 0; i < count; ++i)
        if (InBand(w, weighting, i))
            norm[std::size_t(i)] = floor > 0 ? std::max(norm[std::size_t(i)], floor) : 0;
    return norm;
}

}  // namespace

InverseRealTransform::InverseRealTransform(int n) : n_(n), plan_(std::make_unique<RealFftPlan>(n)) {}
InverseRealTransform::~InverseRealTransform() = default;
std::complex<double>* InverseRealTransform::input() { return plan_->bins(); }
const double* InverseRealTransform::Run()
{
    plan_->Inverse();
    return plan_->lags();
}

void InverseRealTransform::TaperEdges(Bins& bins, int edge)
{
    const int half = n_ / 2;
    std::complex<double>* in = input();
    for (int i = 0; i <= half; ++i)
        in[i] = std::conj(bins[std::size_t(i)]);
    double* lags = plan_->lags();
    plan_->Inverse();
    for (int m = 0; m < n_; ++m) {
        const int j = (m + half) % n_;  // 0 at the window's most negative lag
        const int fromEnd = std::min(j, n_ - 1 - j);
        if (fromEnd < edge)
            lags[m] *= 0.5 * (1 - std::cos(std::numbers::pi * fromEnd / edge));
    }
    plan_->Forward();
    // Bins the instrument did not keep (or the mask stopped) stay empty: spreading into them
    // would let weighting lift pure leakage.
    for (int i = 0; i <= half; ++i)
        if (std::norm(bins[std::size_t(i)]) > 0)
            bins[std::size_t(i)] = std::conj(in[i]) / double(n_);
}

void TaperWindowEdges(LagWindows& w, InverseRealTransform& transform)
{
    const int edge = std::max(1, w.n / kTaperDivisor);
    for (Bins& bins : w.bins)
        transform.TaperEdges(bins, edge);
}

std::vector<double> WeightedLagTrace(const LagWindows& w, const Weighting& weighting, InverseRealTransform& transform)
{
    std::vector<double> trace(std::size_t(w.totalSamples()));
    if (w.n < 2 || w.windowCount() == 0)
        return trace;
    // PHAT normalises per window (each holds its own cross-spectrum); SCOT and the plain
    // correlation share one normaliser across the windows.
    std::vector<double> shared;
    if (weighting.method != CorrelationMethod::Phat)
        shared = Normalisers(w, weighting, w.bins[std::size_t(w.sidePairs)]);
    const int count = w.n / 2 + 1;
    for (int win = 0; win < w.windowCount(); ++win) {
        const Bins& bins = w.bins[std::size_t(win)];
        const std::vector<double> own = weighting.method == CorrelationMethod::Phat ? Normalisers(w, weighting, bins)
                                                                                    : std::vector<double>{};
        const std::vector<double>& norm = own.empty() ? shared : own;
        std::complex<double>* in = transform.input();
        for (int i = 0; i < count; ++i)
            in[i] = norm[std::size_t(i)] > 0 ? std::conj(bins[std::size_t(i)]) / norm[std::size_t(i)] : 0.0;
        // conj: the transform's sign is the opposite of the recomputation's.
        const double* lags = transform.Run();
        double* out = trace.data() + std::size_t(win) * std::size_t(w.n);
        const int half = w.n / 2;
        for (int m = 0; m < w.n; ++m)
            out[(m + half) % w.n] = lags[m];
    }
    return trace;
}

}  // namespace vexlan::analysis
