#include "correlation/analysis/PeakList.h"

#include <algorithm>
#include <cmath>

namespace vexlan::analysis {

namespace {

// A trace of independent noise samples reaches about this many RMS at its largest, and a peak
// that has to be told from its rivals needs a clear margin over the next: these ratios mark
// quality 0 and 100.
constexpr double kNoiseOnlyPeakToNoise = 4.5;
constexpr double kClearPeakToNoise = 18;
constexpr double kNoiseOnlyPeakToSidelobe = 1.1;
constexpr double kClearPeakToSidelobe = 2.5;
constexpr double kSidelobeShare = 0.6;  // weight of the peak-to-sidelobe part
constexpr std::size_t kOrderedFirst = 64;

double Ramp(double value, double zeroAt, double fullAt) {
    if (!(value > 0)) return 0;
    return std::clamp(std::log(value / zeroAt) / std::log(fullAt / zeroAt), 0.0, 1.0);
}

}  // namespace

std::vector<std::pair<int, int>> TraceSpan::Runs(int size) const {
    const int from = std::max(first, 0), to = std::min(last, size);
    std::vector<std::pair<int, int>> runs;
    auto add = [&](int a, int b) {
        // Less the removed region, which may split the run in two.
        const int cutA = std::max(a, removedFirst), cutB = std::min(b, removedLast);
        if (cutA >= cutB) {
            if (a < b) runs.push_back({a, b});
            return;
        }
        if (a < cutA) runs.push_back({a, cutA});
        if (cutB < b) runs.push_back({cutB, b});
    };
    if (period <= 0 || from >= to) {
        add(from, to);
        return runs;
    }
    for (int start = from / period * period; start < to; start += period)
        add(std::max(from, start + guard), std::min(to, start + period - guard));
    return runs;
}

std::vector<TracePeak> FindTracePeaks(const std::vector<double>& trace, const TraceSpan& span, int lobe, int maxPeaks) {
    std::vector<TracePeak> maxima;
    const std::vector<std::pair<int, int>> runs = span.Runs(int(trace.size()));
    // Beyond a run's ends the trace counts as zero.
    for (const auto& [a, b] : runs)
        for (int i = a; i < b; ++i) {
            const double v = trace[std::size_t(i)];
            if (v > 0 && (i == a || v > trace[std::size_t(i - 1)]) && (i + 1 == b || v >= trace[std::size_t(i + 1)]))
                maxima.push_back({i, v, 0});
        }
    auto at = [&](int i) {
        return i >= span.first && i < span.last && i >= 0 && i < int(trace.size()) && span.counts(i)
                   ? trace[std::size_t(i)]
                   : 0.0;
    };
    auto stronger = [](const TracePeak& a, const TracePeak& b) {
        return a.value > b.value || (a.value == b.value && a.index < b.index);
    };
    // Merging rarely looks past the strongest few dozen maxima: order those first, all if needed.
    const auto head = maxima.begin() + std::ptrdiff_t(std::min<std::size_t>(maxima.size(), kOrderedFirst));
    std::partial_sort(maxima.begin(), head, maxima.end(), stronger);
    std::vector<TracePeak> kept;
    for (std::size_t next = 0; next < maxima.size(); ++next) {
        if (maxima.begin() + std::ptrdiff_t(next) == head) std::sort(head, maxima.end(), stronger);
        const TracePeak& p = maxima[next];
        if (int(kept.size()) == maxPeaks) break;
        const bool merged = std::any_of(kept.begin(), kept.end(),
                                        [&](const TracePeak& k) { return std::abs(k.index - p.index) <= lobe; });
        if (merged) continue;
        TracePeak peak = p;
        const double l = at(p.index - 1), r = at(p.index + 1);
        const double curve = l - 2 * p.value + r;
        if (curve < 0) peak.offset = std::clamp(0.5 * (l - r) / curve, -0.5, 0.5);
        kept.push_back(peak);
    }
    return kept;
}

double NoiseRms(const std::vector<double>& trace, const TraceSpan& span, int lobe,
                const std::vector<TracePeak>& peaks) {
    // The lobes as sorted stretches, so each sample is looked at once.
    std::vector<std::pair<int, int>> lobes;
    for (const TracePeak& p : peaks) lobes.push_back({p.index - lobe, p.index + lobe + 1});
    std::sort(lobes.begin(), lobes.end());
    double sum = 0;
    long count = 0;
    auto add = [&](int from, int to) {
        for (int i = from; i < to; ++i) sum += trace[std::size_t(i)] * trace[std::size_t(i)];
        count += std::max(0, to - from);
    };
    for (const auto& [a, b] : span.Runs(int(trace.size()))) {
        int i = a;
        for (const auto& [from, to] : lobes) {
            if (to <= i) continue;
            if (from >= b) break;
            add(i, from);
            i = std::max(i, to);
        }
        add(i, b);
    }
    return count ? std::sqrt(sum / double(count)) : 0;
}

Clearness MeasureClearness(const std::vector<TracePeak>& peaks, int which, double rms) {
    Clearness c;
    if (which >= int(peaks.size())) return c;
    const TracePeak& peak = peaks[std::size_t(which)];
    double rival = 0;
    for (int i = 0; i < int(peaks.size()); ++i)
        if (i != which) rival = std::max(rival, peaks[std::size_t(i)].value);
    // No trace left outside the lobes: no evidence that the peak stands above anything.
    c.peakToNoise = rms > 0 ? peak.value / rms : 0;
    // Without a rival the strongest sample away from the lobe stands in for one.
    c.peakToSidelobe = rival > 0 ? peak.value / rival : c.peakToNoise / kNoiseOnlyPeakToNoise;
    return c;
}

double QualityFromClearness(const Clearness& c) {
    const double sidelobe = Ramp(c.peakToSidelobe, kNoiseOnlyPeakToSidelobe, kClearPeakToSidelobe);
    const double noise = Ramp(c.peakToNoise, kNoiseOnlyPeakToNoise, kClearPeakToNoise);
    return 100 * (kSidelobeShare * sidelobe + (1 - kSidelobeShare) * noise);
}

}  // namespace vexlan::analysis
