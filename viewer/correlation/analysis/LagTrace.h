#pragma once
// Weighted correlation at full resolution: each window's cross-spectrum is weighted bin by bin,
// limited to a band, and transformed back to lags in double precision.

#include <complex>
#include <memory>
#include <vector>

#include "correlation/analysis/CorrelationMethod.h"
#include "correlation/analysis/LagWindows.h"

namespace vexlan::analysis {

class RealFftPlan;

struct FrequencyBand {
    double low = 0;   // Hz
    double high = 0;  // Hz; low >= high means no band
    bool valid() const { return high > low; }
};

struct Weighting {
    CorrelationMethod method = CorrelationMethod::Phat;  // Basic weighs every bin by 1
    FrequencyBand band;                                  // bins outside are stopped; invalid = all bins
    const std::vector<double>* sensorProduct = nullptr;  // P1 * P2 per bin, for SCOT
    const std::vector<bool>* lines = nullptr;            // bins to stop as tones
};

// A double-precision inverse real transform of one window size, planned once and reused.
class InverseRealTransform {
public:
    explicit InverseRealTransform(int n);
    ~InverseRealTransform();
    InverseRealTransform(const InverseRealTransform&) = delete;
    InverseRealTransform& operator=(const InverseRealTransform&) = delete;

    int size() const { return n_; }
    std::complex<double>* input();  // bins 0 .. N/2 in the recomputation's sign convention
    const double* Run();            // lag m of the window at index m; the input is overwritten
    // Multiplies the window's lags by a taper that falls to zero over edge lags at either end.
    void TaperEdges(Bins& bins, int edge);

private:
    int n_;
    std::unique_ptr<RealFftPlan> plan_;
    std::vector<double> taper_;  // the taper's rising half, kept while the edge stays the same
};

// Lags of the taper at either end of a window of n lags.
int TaperLength(int n);

// Tapers every window's lags at its ends: each window is a truncated stretch of the correlation,
// and the cut leaks into every bin (most from a tone), which weighting would lift into a spike.
void TaperWindowEdges(LagWindows& windows, InverseRealTransform& transform);

// The joined correlation, LagWindows::totalSamples() values in lag order (zero lag at
// zeroLagSample()), in arbitrary units, into trace (its storage reused).
void WeightedLagTrace(const LagWindows& windows, const Weighting& weighting, InverseRealTransform& transform,
                      std::vector<double>& trace);

}  // namespace vexlan::analysis
