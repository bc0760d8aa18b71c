#include "PeakList.h"

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

double Ramp(double value, double zeroAt, double fullAt)
{
    if (!(value > 0))
        return 0;
    return std::clamp(std::log(value / zeroAt) / std::log(fullAt / zeroAt), 0.0, 1.0);
}

}  // namespace

std::vector<TracePeak> FindTracePeaks(const std::vector<double>& trace, const TraceSpan& span, int lobe, int maxPeaks)
{
    const int first = std::max(span.first, 0);
    const int last = std::min(span.last, int(trace.size()));
    auto at = [&](int i) { return i >= first && i < last && span.counts(i) ? trace[std::size_t(i)] : 0.0; };
    std::vector<TracePeak> maxima;
    for (int i = first; i < last; ++i) {
        const double v = at(i);
        if (v > 0 && v > at(i - 1) && v >= at(i + 1))
            maxima.push_back({i, v, 0});
    }
    auto stronger = [](const TracePeak& a, const TracePeak& b) {
        return a.value > b.value || (a.value == b.value && a.index < b.index);
    };
    // Merging rarely looks past the strongest few dozen maxima: order those first, all if needed.
    const auto head = maxima.begin() + std::ptrdiff_t(std::min<std::size_t>(maxima.size(), kOrderedFirst));
    std::partial_sort(maxima.begin(), head, maxima.end(), stronger);
    std::vector<TracePeak> kept;
    for (std::size_t next = 0; next < maxima.size(); ++next) {
        if (maxima.begin() + std::ptrdiff_t(next) == head)
            std::sort(head, maxima.end(), stronger);
        const TracePeak& p = maxima[next];
        if (int(kept.size()) == maxPeaks)
            break;
        const bool merged = std::any_of(kept.begin(), kept.end(), [&](const TracePeak& k) {
            return std::abs(k.index - p.index) <= lobe;
        });
        if (merged)
            continue;
        TracePeak peak = p;
        const double l = at(p.index - 1), r = at(p.index + 1);
        const double curve = l - 2 * p.value + r;
        if (curve < 0)
            peak.offset = std::clamp(0.5 * (l - r) / curve, -0.5, 0.5);
        kept.push_back(peak);
    }
    return kept;
}

double NoiseRms(const std::vector<double>& trace, const TraceSpan& span, int lobe, const std::vector<TracePeak>& peaks)
{
    const int first = std::max(span.first, 0);
    const int last = std::min(span.last, int(trace.size()));
    // The lobes as sorted stretches, so each sample is looked at once.
    std::vector<std::pair<int, int>> lobes;
    for (const TracePeak& p : peaks)
        lobes.push_back({p.index - lobe, p.index + lobe + 1});
    std::sort(lobes.begin(), lobes.end());
    double sum = 0;
    long count = 0;
    int i = first;
    auto add = [&](int to) {
        for (; i < std::min(to, last); ++i)
            if (span.counts(i)) {
                sum += trace[std::size_t(i)] * trace[std::size_t(i)];
                ++count;
            }
    };
    for (const auto& [from, to] : lobes) {
        add(from);
        i = std::max(i, std::min(to, last));
    }
    add(last);
    return count ? std::sqrt(sum / double(count)) : 0;
}

Clearness MeasureClearness(const std::vector<TracePeak>& peaks, int which, double rms)
{
    Clearness c;
    if (which >= int(peaks.size()))
        return c;
    const TracePeak& peak = peaks[std::size_t(which)];
    double rival = 0;
    for (int i = 0; i < int(peaks.size()); ++i)
        if (i != which)
            rival = std::max(rival, peaks[std::size_t(i)].value);
    // No trace left outside the lobes: no evidence that the peak stands above anything.
    c.peakToNoise = rms > 0 ? peak.value / rms : 0;
    // Without a rival the strongest sample away from the lobe stands in for one.
    c.peakToSidelobe = rival > 0 ? peak.value / rival : c.peakToNoise / kNoiseOnlyPeakToNoise;
    return c;
}

double QualityFromClearness(const Clearness& c)
{
    const double sidelobe = Ramp(c.peakToSidelobe, kNoiseOnlyPeakToSidelobe, kClearPeakToSidelobe);
    const double noise = Ramp(c.peakToNoise, kNoiseOnlyPeakToNoise, kClearPeakToNoise);
    return 100 * (kSidelobeShare * sidelobe + (1 - kSidelobeShare) * noise);
}

}  // namespace vexlan::analysis
