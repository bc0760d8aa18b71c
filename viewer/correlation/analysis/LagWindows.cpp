#include "correlation/analysis/LagWindows.h"

#include <algorithm>
#include <cmath>

#include "correlation/BlockDecoder.h"
#include "correlation/CCorrelationEngine.h"

namespace vexlan::analysis {

namespace {

// Frequency step of the stored sensor spectra: two coefficients per column of the filter graph.
constexpr double kSensorSpectrumStep = 2.420635 / 2;
constexpr int kSensorBins = kSpectrumPoints / 2;  // only the first 2048 values are stored
constexpr int kSensorSmoothing = 4;               // stored bins either side
constexpr int kStretch = 32;                      // bins of one background median
constexpr double kLineFactor = 100;               // a line's power above the background
constexpr double kSkirtFactor = 8;                // a line's skirt: power above the background
constexpr int kMaxSkirt = 64;                     // bins either side

double MaskWeight(const std::uint8_t* mask, int bin) {
    if (bin >= kBinMaskSize) return 1;
    return mask[bin] == 0 ? 0 : mask[bin] == 255 ? 1 : (mask[bin] + 1) / 256.0;
}

std::vector<double> SmoothedPower(const std::int16_t* values) {
    std::vector<double> power(kSensorBins);
    for (int i = 0; i < kSensorBins; ++i)
        power[std::size_t(i)] = double(values[2 * i]) * values[2 * i] + double(values[2 * i + 1]) * values[2 * i + 1];
    std::vector<double> smooth(kSensorBins);
    for (int i = 0; i < kSensorBins; ++i) {
        double sum = 0;
        int count = 0;
        for (int j = std::max(1, i - kSensorSmoothing); j <= std::min(kSensorBins - 1, i + kSensorSmoothing);
             ++j, ++count)
            sum += power[std::size_t(j)];
        smooth[std::size_t(i)] = count ? sum / count : 0;
    }
    return smooth;
}

}  // namespace

LagWindows DecodeLagWindows(const CorrelationRecord& record, int sidePairs, const std::uint8_t* mask) {
    LagWindows w;
    w.n = record.sampleCount;
    w.sidePairs = sidePairs;
    w.sampleRate = record.sampleRate;
    std::vector<std::int16_t> values(kMaxDecodedValues);
    const int half = w.n / 2;
    for (int block = kCentreBlock + sidePairs; block >= kCentreBlock - sidePairs; --block) {
        DecodeBlock(kMaxDecodedValues, record.correlationBlocks[block], values.data());
        Bins bins(std::size_t(half + 1));
        // Bin 0 carries the Nyquist term beside it, so the mask of bin 0 acts on both.
        const double first = MaskWeight(mask, 0);
        bins[0] = values[0] * first;
        bins[std::size_t(half)] += values[1] * first;
        for (int i = 1; i < half; ++i)
            bins[std::size_t(i)] = std::complex<double>(values[2 * i], values[2 * i + 1]) * MaskWeight(mask, i);
        w.bins.push_back(std::move(bins));
    }
    return w;
}

std::vector<double> SensorPowerProduct(const CorrelationRecord& record, const LagWindows& windows) {
    std::vector<std::int16_t> values(2 * kSpectrumPoints);
    DecodeBlock(kSpectrumPoints, record.spectrum1Block, values.data());
    const std::vector<double> p1 = SmoothedPower(values.data());
    std::fill(values.begin(), values.end(), std::int16_t(0));
    DecodeBlock(kSpectrumPoints, record.spectrum2Block, values.data());
    const std::vector<double> p2 = SmoothedPower(values.data());
    std::vector<double> product(std::size_t(windows.n / 2 + 1));
    for (std::size_t i = 1; i < product.size(); ++i) {
        const int s = int(std::lround(windows.binFrequency(int(i)) / kSensorSpectrumStep));
        if (s > 0 && s < kSensorBins) product[i] = p1[std::size_t(s)] * p2[std::size_t(s)];
    }
    return product;
}

std::vector<bool> FindSpectralLines(const LagWindows& windows) {
    const int count = windows.n / 2 + 1;
    std::vector<double> power(static_cast<std::size_t>(count));
    for (const Bins& bins : windows.bins)
        for (int i = 0; i < count; ++i) power[std::size_t(i)] += std::norm(bins[std::size_t(i)]);
    // The background: the median power of short stretches of bins, the lower of a stretch and
    // one neighbour, taking the higher side, so that neither a line nor its wide skirt lifts it
    // while the edge of a loud band does not pass for a line.
    const int stretches = (count + kStretch - 1) / kStretch;
    std::vector<double> medians(static_cast<std::size_t>(stretches));
    std::vector<double> part;
    for (int b = 0; b < stretches; ++b) {
        part.assign(power.begin() + b * kStretch, power.begin() + std::min(count, (b + 1) * kStretch));
        std::nth_element(part.begin(), part.begin() + std::ptrdiff_t(part.size() / 2), part.end());
        medians[std::size_t(b)] = part[part.size() / 2];
    }
    auto background = [&](int i) {
        const int b = i / kStretch;
        const double here = medians[std::size_t(b)];
        const double left = b > 0 ? std::min(here, medians[std::size_t(b - 1)]) : here;
        const double right = b + 1 < stretches ? std::min(here, medians[std::size_t(b + 1)]) : here;
        return std::max(left, right);
    };
    std::vector<bool> lines(static_cast<std::size_t>(count));
    for (int i = 1; i < count; ++i) {
        const double floor = background(i);
        // Where most bins are empty (not kept by the instrument) nothing counts as a line.
        if (floor <= 0 || power[std::size_t(i)] <= kLineFactor * floor) continue;
        lines[std::size_t(i)] = true;
        // Its skirt: the bins either side that its leakage still lifts well above the background.
        for (int j = i - 1; j >= std::max(1, i - kMaxSkirt) && power[std::size_t(j)] > kSkirtFactor * floor; --j)
            lines[std::size_t(j)] = true;
        for (int j = i + 1; j < std::min(count, i + kMaxSkirt + 1) && power[std::size_t(j)] > kSkirtFactor * floor; ++j)
            lines[std::size_t(j)] = true;
    }
    return lines;
}

}  // namespace vexlan::analysis
