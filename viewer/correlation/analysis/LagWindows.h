#pragma once
// The stored cross-spectra of the lag windows and the two sensor power spectra, decoded once
// into double precision for the weighted correlations.

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "correlation/CorrelationRecord.h"

namespace vexlan::analysis {

using Bins = std::vector<std::complex<double>>;

// |x| without the care of std::abs for extreme exponents, which decoded 16-bit values never reach.
inline double Magnitude(std::complex<double> x) { return std::sqrt(std::norm(x)); }

// Window w (0 .. 2k) holds block 2 + k - w, so windows run from the most negative lags to the
// most positive; full-resolution sample w * N + m (m the window's index after the half swap)
// is the lag (w - k) * N + m - N / 2 samples.
struct LagWindows {
    int n = 0;          // N, samples per window
    int sidePairs = 0;  // k
    double sampleRate = 0;
    std::vector<Bins> bins;  // per window, bins 0 .. N/2 (the last one the Nyquist term)

    int windowCount() const { return int(bins.size()); }
    int totalSamples() const { return windowCount() * n; }
    int zeroLagSample() const { return sidePairs * n + n / 2; }
    double binFrequency(int bin) const { return bin * sampleRate / n; }
};

// Decodes the windows the recomputation joins, with the record's frequency mask applied.
// mask: per bin 0..1023, 255 pass, 0 stop, else a partial weight (the engine's bin mask).
LagWindows DecodeLagWindows(const CorrelationRecord& record, int sidePairs, const std::uint8_t* mask);

// Power of sensor 1 times that of sensor 2 at each bin frequency of the windows, smoothed over a
// few of the stored spectrum's bins; 0 where the stored spectra say nothing.
std::vector<double> SensorPowerProduct(const CorrelationRecord& record, const LagWindows& windows);

// Bins that stand far above their neighbourhood in every window: tones (mains hum, pick-up).
std::vector<bool> FindSpectralLines(const LagWindows& windows);

}  // namespace vexlan::analysis
