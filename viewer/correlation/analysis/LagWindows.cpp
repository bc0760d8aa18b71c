#include "LagWindows.h"

#include <algorithm>
#include <cmath>

#include "BlockDecoder.h"
#include "CCorrelationEngine.h"

namespace vexlan::analysis {

namespace {

// Frequency step of the stored sensor spectra: two coefficients per column of the filter graph.
constexpr double kSensorSpectrumStep = 2.420635 / 2;
constexpr int kSensorBins = kSpectrumPoints / 2;  // only the first 2048 values are stored
constexpr int kSensorSmoothing = 4;               // stored bins either side
constexpr int kLineNeighbourhood = 24;            // bins either side for a line's background
constexpr double kLineFactor = 25;                // power above the background mean
constexpr double kSkirtFactor = 4;                // a line's skirt: power above the background
constexpr int kMaxSkirt = 64;                     // bins either side

double MaskWeight(const std::uint8_t* mask, int bin)
{
    if (bin >= kBinMaskSize)
        return 1;
    return mask[bin] == 0 ? 0 : mask[bin] == 255 ? 1 : (mask[bin] + 1) / 256.0;
}

std::vector<double> SmoothedPower(const std::int16_t* values)
{
    std::vector<double> power(kSensorBins);
    for (int i = 0; i < kSensorBins; ++i)
        power[std::size_t(i)] = double(values[2 * i]) * values[2 * i] + double(values[2 * i + 1]) * values[2 * i + 1];
    std::vector<double> smooth(kSensorBins);
    for (int i = 0; i < kSensorBins; ++i) {
        double sum = 0;
        int count = 0;
        for (int j = std::max(1, i - kSensorSmoothing); j <= std::min(kSensorBins - 1, i + kSensorSmoothing); ++j, ++count)
            sum += power[std::size_t(j)];
        smooth[std::size_t(i)] = count ? sum / count : 0;
    }
    return smooth;
}

}  // namespace

LagWindows DecodeLagWindows(const CorrelationRecord& record, int sidePairs, const std::uint8_t* mask)
{
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

std::vector<double> SensorPowerProduct(const CorrelationRecord& record, const LagWindows& windows)
{
    std::vector<std::int16_t> values(2 * kSpectrumPoints);
    DecodeBlock(kSpectrumPoints, record.spectrum1Block, values.data());
    const std::vector<double> p1 = SmoothedPower(values.data());
    std::fill(values.begin(), values.end(), std::int16_t(0));
    DecodeBlock(kSpectrumPoints, record.spectrum2Block, values.data());
    const std::vector<double> p2 = SmoothedPower(values.data());
    std::vector<double> product(std::size_t(windows.n / 2 + 1));
    for (std::size_t i = 1; i < product.size(); ++i) {
        const int s = int(std::lround(windows.binFrequency(int(i)) / kSensorSpectrumStep));
        if (s > 0 && s < kSensorBins)
            product[i] = p1[std::size_t(s)] * p2[std::size_t(s)];
    }
    return product;
}

std::vector<bool> FindSpectralLines(const LagWindows& windows)
{
    const int count = windows.n / 2 + 1;
    std::vector<double> power(static_cast<std::size_t>(count));
    for (const Bins& bins : windows.bins)
        for (int i = 0; i < count; ++i)
            power[std::size_t(i)] += std::norm(bins[std::size_t(i)]);
    // Running sums give each bin the mean power of its neighbourhood, less the bin and the two
    // either side (a line's own skirt).
    std::vector<double> cumulative(std::size_t(count + 1));
    for (int i = 0; i < count; ++i)
        cumulative[std::size_t(i + 1)] = cumulative[std::size_t(i)] + power[std::size_t(i)];
    auto sum = [&](int from, int to) {  // bins from .. to - 1, clipped to 1 .. count - 1
        from = std::clamp(from, 1, count);
        to = std::clamp(to, from, count);
        return cumulative[std::size_t(to)] - cumulative[std::size_t(from)];
    };
    std::vector<bool> lines(static_cast<std::size_t>(count));
    std::vector<double> background(static_cast<std::size_t>(count));
    for (int i = 1; i < count; ++i) {
        if (power[std::size_t(i)] == 0)
            continue;
        const int lo = std::max(1, i - kLineNeighbourhood), hi = std::min(count, i + kLineNeighbourhood + 1);
        const int near = std::min(count, i + 3) - std::max(1, i - 2);
        const int others = hi - lo - near;
        if (others <= 0)
            continue;
        const double mean = (sum(lo, hi) - sum(i - 2, i + 3)) / others;
        lines[std::size_t(i)] = power[std::size_t(i)] > kLineFactor * mean;
        background[std::size_t(i)] = mean;
    }
    // A line's skirt: the bins either side that its leakage still lifts well above the background.
    std::vector<bool> widened = lines;
    for (int i = 1; i < count; ++i) {
        if (!lines[std::size_t(i)])
            continue;
        const double lifted = kSkirtFactor * background[std::size_t(i)];
        for (int j = i - 1; j >= std::max(1, i - kMaxSkirt) && power[std::size_t(j)] > lifted; --j)
            widened[std::size_t(j)] = true;
        for (int j = i + 1; j < std::min(count, i + kMaxSkirt + 1) && power[std::size_t(j)] > lifted; ++j)
            widened[std::size_t(j)] = true;
        if (i > 1)
            widened[std::size_t(i - 1)] = true;
        if (i + 1 < count)
            widened[std::size_t(i + 1)] = true;
    }
    return widened;
}

}  // namespace vexlan::analysis
