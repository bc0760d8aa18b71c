#pragma once
// Peaks of a correlation trace, merged within the main lobe, and the figures of how clearly the
// best one stands out.

#include <utility>
#include <vector>

namespace vexlan::analysis {

struct TracePeak {
    int index = 0;      // into the trace
    double value = 0;   // trace value
    double offset = 0;  // sub-sample position of the top, -0.5 .. 0.5
};

struct TraceSpan {
    int first = 0;  // searched indices first .. last - 1
    int last = 0;
    int removedFirst = 0;  // indices removedFirst .. removedLast - 1 are left out (the removed region)
    int removedLast = 0;
    int period = 0;  // with guard: indices within guard of a multiple of period are left out
    int guard = 0;
    bool counts(int i) const {
        if (period > 0) {
            const int at = i % period;
            if (at < guard || at >= period - guard) return false;
        }
        return i < removedFirst || i >= removedLast;
    }
    // The runs of indices that count, in order, within a trace of size values.
    std::vector<std::pair<int, int>> Runs(int size) const;
};

// Local maxima above zero, strongest first; a peak within lobe samples of a stronger one merges
// into it. At most maxPeaks.
std::vector<TracePeak> FindTracePeaks(const std::vector<double>& trace, const TraceSpan& span, int lobe, int maxPeaks);

struct Clearness {
    double peakToSidelobe = 0;  // best peak over the next one outside its lobe
    double peakToNoise = 0;     // best peak over the RMS of the trace away from the peaks
};

// RMS of the trace over the span, away from the peaks' lobes.
double NoiseRms(const std::vector<double>& trace, const TraceSpan& span, int lobe, const std::vector<TracePeak>& peaks);

Clearness MeasureClearness(const std::vector<TracePeak>& peaks, int which, double noiseRms);

// 0..100 from the two ratios (see CorrelationAnalysis.h for the scale).
double QualityFromClearness(const Clearness& c);

}  // namespace vexlan::analysis
