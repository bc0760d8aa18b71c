#include "correlation/CCorrelationEngine.h"
#include "res/StringIds.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdlib>

#include "res/StringTable.h"

namespace vexlan {

namespace {

constexpr float kTravelMargin = 1.1f;
constexpr float kOneSideLimit = 0.4194305f;
constexpr float kTwoSideLimit = 1.2582915f;
constexpr float kTooLongLimit = 2.0971525f;
constexpr float kMinimumPipeLength = 0.1f;

// Truncation toward zero that stays defined for any float (huge values saturate).
std::int64_t TruncateToInt(float value) {
    if (!(value == value)) return 0;
    const float limit = 9.0e18f;
    return static_cast<std::int64_t>(std::clamp(value, -limit, limit));
}

int ToMaskBin(float value) { return static_cast<int>(std::clamp<std::int64_t>(TruncateToInt(value), -1, 1 << 20)); }

void StopBins(std::uint8_t* mask, int from, int to) {
    from = std::max(from, 0);
    to = std::min(to, kBinMaskSize);
    for (int i = from; i < to; ++i) mask[i] = 0;
}

bool Finite(float v) { return std::isfinite(v); }

// Values can be finite while what is made of them is not: a delay over a vanishing sample rate,
// a travel time over a vanishing velocity, a sum of lengths near the float limit. The results are
// also shown in larger units (ms, ft), so they must stay finite with room to spare.
constexpr double kShownHeadroom = 1e4;
constexpr double kLargestLagSamples = 5.0 * (1 << 21);  // 2k+1 block widths times the farthest index
bool FitsShown(double v) { return std::isfinite(v) && std::fabs(v) * kShownHeadroom < double(FLT_MAX); }

bool PipeGivesFiniteResults(const CorrelationRecord& r) {
    double total = 0, travel = 0, fastest = 0;
    for (const PipeSegment& s : r.segments) {
        if (s.inUse != 1) break;
        if (!FitsShown(s.length) || !FitsShown(s.velocity) || !FitsShown(s.diameter)) return false;
        total += s.length;
        if (s.velocity > 0) {
            travel += double(s.length) / s.velocity;
            fastest = std::max(fastest, double(s.velocity));
        }
    }
    // The leak position scales a delay of up to twice the travel time by a segment's velocity.
    return FitsShown(total) && FitsShown(travel) && FitsShown(2 * travel * fastest);
}

// Integer quotient rounded toward zero, through a double estimate (a times the reciprocal of b)
// corrected by one step; much faster than a division and exact for |a| < 2^52, b > 0.
std::int64_t DivideTowardZero(std::int64_t a, std::int64_t b, double reciprocalOfB) {
    std::int64_t q = static_cast<std::int64_t>(double(a) * reciprocalOfB);
    const std::int64_t r = a - q * b;
    if (a >= 0) {
        if (r < 0)
            --q;
        else if (r >= b)
            ++q;
    } else {
        if (r > 0)
            ++q;
        else if (r <= -b)
            --q;
    }
    return q;
}

// Level in scaled decibels of the power re^2 + im^2, the formula the display has always used.
std::int16_t LevelOfPower(std::int64_t power) {
    double level = -90.31;
    if (power != 0) level = 20.0 * std::log10(std::sqrt(double(power))) - 90.31;
    return std::int16_t(level * 1.71);
}

// The level never falls as the power grows and moves by less than one step across 1/64 of an
// octave. So it is tabulated per power below 4096 and, above, per 1/64 octave as the level at
// the slice's start plus the one power in the slice where it steps up, found once by bisection
// on the formula itself: the lookup gives exactly the formula's value for every power.
constexpr int kDirectPowers = 4096;
constexpr int kFirstOctave = 12;
constexpr int kOctaves = 20;  // up to 2^31, the power of (-32768, -32768)
constexpr int kSliceBits = 6;
constexpr int kSlices = 1 << kSliceBits;

struct LevelTable {
    std::int16_t direct[kDirectPowers];
    std::int16_t base[kOctaves * kSlices];
    std::int64_t stepAt[kOctaves * kSlices];
};

LevelTable BuildLevelTable() {
    LevelTable t{};
    for (int p = 0; p < kDirectPowers; ++p) t.direct[p] = LevelOfPower(p);
    for (int octave = 0; octave < kOctaves; ++octave) {
        const int shift = kFirstOctave + octave - kSliceBits;
        for (int slice = 0; slice < kSlices; ++slice) {
            const std::int64_t start = std::int64_t(kSlices + slice) << shift;
            const std::int64_t end = (std::int64_t(kSlices + slice + 1) << shift) - 1;
            const std::int16_t base = LevelOfPower(start);
            std::int64_t lo = start;
            std::int64_t hi = end + 1;  // first power known to be above the base level
            if (LevelOfPower(end) != base) {
                hi = end;
                while (hi - lo > 1) {
                    const std::int64_t mid = lo + (hi - lo) / 2;
                    (LevelOfPower(mid) != base ? hi : lo) = mid;
                }
            }
            t.base[octave * kSlices + slice] = base;
            t.stepAt[octave * kSlices + slice] = hi;
        }
    }
    return t;
}

// peaks[i] = the largest of values[i .. i + D - 1] for i < count, in contiguous passes that
// vectorise; the groups then take every D-th entry.
template <int D>
void SlidingPeaks(const std::int16_t* __restrict values, std::int16_t* __restrict peaks, int count) {
    for (int i = 0; i < count; ++i) {
        std::int16_t best = values[i];
        for (int v = 1; v < D; ++v) best = std::max(best, values[i + v]);
        peaks[i] = best;
    }
}

std::int16_t LookUpLevel(std::int64_t power) {
    static const LevelTable table = BuildLevelTable();
    if (power < kDirectPowers) return table.direct[power];
    const int octave = int(std::bit_width(std::uint64_t(power))) - 1;
    const int slice = int(power >> (octave - kSliceBits)) - kSlices;
    const int at = (octave - kFirstOctave) * kSlices + slice;
    return std::int16_t(table.base[at] + (power >= table.stepAt[at]));
}

}  // namespace

ComputeProblem FindComputeProblem(const CorrelationRecord& r) {
    if (r.blockCount >= 1 && (r.sampleCount < 2 || !fft::IsTransformSize(r.sampleCount, fft::kMaxRealPoints)))
        return ComputeProblem::BadSampleCount;
    if (!Finite(r.sampleRate) || r.sampleRate <= 0 || !FitsShown(kLargestLagSamples / r.sampleRate))
        return ComputeProblem::BadSampleRate;
    for (const PipeSegment& s : r.segments) {
        if (s.inUse != 1) break;
        if (!Finite(s.length) || !Finite(s.velocity)) return ComputeProblem::BadPipeValue;
    }
    if (!PipeGivesFiniteResults(r)) return ComputeProblem::BadPipeValue;
    const FilterSettings& f = r.filter;
    if (!Finite(f.lowCutoff) || !Finite(f.highCutoff)) return ComputeProblem::BadFilterValue;
    if (f.autoFilter == 0)
        for (const NotchFilter& n : f.notches)
            if (!Finite(n.notchStart) || (n.notchStart != 0 && !Finite(n.notchEnd)))
                return ComputeProblem::BadFilterValue;
    return ComputeProblem::None;
}

const char* DescribeComputeProblem(ComputeProblem problem) {
    switch (problem) {
    case ComputeProblem::None: return "";
    case ComputeProblem::BadSampleCount: return LoadString(string_id::kBadSampleCount);
    case ComputeProblem::BadSampleRate: return LoadString(string_id::kBadSampleRate);
    case ComputeProblem::BadPipeValue: return LoadString(string_id::kBadPipeValue);
    case ComputeProblem::BadFilterValue: return LoadString(string_id::kBadFilterValue);
    }
    return "";
}

CCorrelationEngine::CCorrelationEngine(CorrelationRecord& record, BlockDecodeFunction decode)
    : record_(record), decode_(decode) {}

int CCorrelationEngine::SampleCount() const {
    const int n = record_.sampleCount;
    return n >= 2 && fft::IsTransformSize(n, fft::kMaxRealPoints) ? n : 0;
}

std::int32_t CCorrelationEngine::Sample(int index) const {
    return index >= 0 && index < SampleCount() ? assembled_[index] : 0;
}

int CCorrelationEngine::AssembledSideBlocks() const {
    const int k = std::min<int>(record_.maxSideBlocks, record_.sideBlocks);
    return std::clamp(k, 0, 2);
}

bool CCorrelationEngine::SetUpPipe() {
    samplesPerColumn_ = 13;
    segmentsUsed_ = 0;
    windowCentre_ = record_.zeroLagIndex;
    totalLength_ = 0;
    totalTravelTime_ = 0;
    velocityFailed_ = false;
    for (int i = 0; i < kSegmentCount && record_.segments[i].inUse == 1; ++i) {
        ++segmentsUsed_;
        totalLength_ += record_.segments[i].length;
    }
    if (segmentsUsed_ == 0 || !(totalLength_ >= kMinimumPipeLength)) return false;
    float travel = 0;
    for (int i = 0; i < segmentsUsed_; ++i) {
        const PipeSegment& s = record_.segments[i];
        // A velocity of zero (or below: no sound travels backwards) leaves no usable pipe.
        if (!(s.velocity > 0)) {
            segmentsUsed_ = 0;
            velocityFailed_ = true;
            totalTravelTime_ = travel;
            return false;
        }
        const float t = s.length / s.velocity;
        travel += t;
        doubledTravelTimes_[i] = 2 * t;
    }
    totalTravelTime_ = travel;
    const float x = travel * kTravelMargin;
    if (x < kOneSideLimit)
        record_.sideBlocks = 0;
    else if (x < kTwoSideLimit)
        record_.sideBlocks = 1;
    else if (x < kTooLongLimit)
        record_.sideBlocks = 2;
    else
        return false;
    const float perColumn = record_.sampleRate * travel * 2.2f / float(2 * record_.sideBlocks + 1);
    const auto spc = static_cast<std::uint16_t>((TruncateToInt(perColumn) + 255) >> 8);
    samplesPerColumn_ = spc > 13 ? 13 : std::max<int>(spc, 5);
    return true;
}

void CCorrelationEngine::BuildBinMask() {
    std::fill(binMask_, binMask_ + kBinMaskSize, std::uint8_t(255));
    const float binsPerHertz = float(record_.sampleCount) / record_.sampleRate;
    const FilterSettings& f = record_.filter;
    if (f.lowCutoff != 0) {
        const int a = ToMaskBin(binsPerHertz * f.lowCutoff);
        if (a > 0) StopBins(binMask_, 0, a);
    }
    if (f.highCutoff != 0) {
        const int h = ToMaskBin(binsPerHertz * f.highCutoff);
        if (h < kBinMaskSize) StopBins(binMask_, h, kBinMaskSize);
    }
    if (f.autoFilter != 0) return;
    for (const NotchFilter& n : f.notches) {
        if (n.notchStart == 0) continue;
        const int s = ToMaskBin(binsPerHertz * n.notchStart);
        const int e = ToMaskBin(binsPerHertz * n.notchEnd);
        if (s < e) StopBins(binMask_, s, e);
    }
}

void CCorrelationEngine::AssembleCorrelation() {
    const int n = SampleCount();
    if (n == 0 || record_.blockCount < 1) return;
    const int k = AssembledSideBlocks();
    const int d = 2 * k + 1;
    std::fill(assembled_, assembled_ + n, std::int16_t(0));
    for (int j = kCentreBlock - k; j <= kCentreBlock + k; ++j) {
        TransformBlock(j);
        if (k == 0) {
            std::copy(blockWork_, blockWork_ + n, assembled_);
            continue;
        }
        // Each window is reduced by d keeping its peaks; its last group is not written.
        const int offset = ((kCentreBlock - j + k) * n) / d;
        const int fullGroups = (n + d - 1) / d - 1;
        if (fullGroups <= 0) continue;
        const int starts = (fullGroups - 1) * d + 1;  // the windows end inside the first n values
        if (d == 3)
            SlidingPeaks<3>(blockWork_, windowPeaks_, starts);
        else
            SlidingPeaks<5>(blockWork_, windowPeaks_, starts);
        for (int g = 0; g < fullGroups; ++g) assembled_[offset + g] = windowPeaks_[g * d];
    }
    if (k > 0) EqualiseSections(k);
}

void CCorrelationEngine::TransformBlock(int j) {
    const int n = SampleCount();
    decode_(fft::kMaxRealPoints, record_.correlationBlocks[j], blockWork_);
    for (int i = 0; i < kBinMaskSize; ++i) {
        if (binMask_[i] == 0) {
            blockWork_[2 * i] = 0;
            blockWork_[2 * i + 1] = 0;
        } else if (binMask_[i] != 255) {
            blockWork_[2 * i] = std::int16_t(blockWork_[2 * i] * (binMask_[i] + 1) / 256);
            blockWork_[2 * i + 1] = std::int16_t(blockWork_[2 * i + 1] * (binMask_[i] + 1) / 256);
        }
    }
    fft::InverseRealFft(blockWork_, n, fftWork_);
    std::swap_ranges(blockWork_, blockWork_ + n / 2, blockWork_ + n / 2);
}

double CCorrelationEngine::FullResolutionDelay(int column) {
    SetUpPipe();
    const int n = SampleCount();
    if (FindComputeProblem(record_) != ComputeProblem::None || n == 0 || record_.blockCount < 1) return std::nan("");
    BuildBinMask();
    const int k = AssembledSideBlocks();
    const int d = 2 * k + 1;
    const int spc = samplesPerColumn_;
    // The column's lags in samples at the full rate, as the cursor computation counts them.
    const std::int64_t first = std::int64_t(std::clamp(column, 0, kGraphWidth - 1) - kGraphCentre) * spc +
                               ClampedCentre(record_.zeroLagIndex) - record_.zeroLagIndex;
    // Joining the windows shifts a group by up to d samples from its lag: look that far further.
    const std::int64_t from = (first - 1) * d, to = (first + spc + 1) * d;  // [from, to)
    // Lag window j holds the lags (2 − j) N + (i − zero lag) for its samples i.
    double bestLag = std::nan("");
    std::int32_t best = 0;
    for (int j = kCentreBlock - k; j <= kCentreBlock + k; ++j) {
        const std::int64_t shift = std::int64_t(kCentreBlock - j) * n - record_.zeroLagIndex;
        const std::int64_t lo = std::max<std::int64_t>(from - shift, 1);
        const std::int64_t hi = std::min<std::int64_t>(to - shift, n - 1);
        if (lo >= hi) continue;
        TransformBlock(j);
        for (std::int64_t i = lo; i < hi; ++i) {
            const std::int32_t a = std::abs(int(blockWork_[i]));
            if (a <= best) continue;
            best = a;
            // A parabola through the sample and its neighbours puts the top between samples.
            const double y0 = blockWork_[i - 1], y1 = blockWork_[i], y2 = blockWork_[i + 1];
            const double curve = y0 - 2 * y1 + y2;
            const double offset = curve != 0 ? std::clamp(0.5 * (y0 - y2) / curve, -0.5, 0.5) : 0.0;
            bestLag = double(shift + i) + offset;
        }
    }
    return bestLag / record_.sampleRate;
}

void CCorrelationEngine::EqualiseSections(int sideBlocks) {
    const int n = SampleCount();
    const int d = 2 * sideBlocks + 1;
    const int length = n / d;
    std::int64_t sums[5] = {};
    std::int64_t total = 0;
    for (int s = 0; s < d; ++s) {
        const int start = s * n / d;
        for (int i = 0; i < length; ++i) sums[s] += std::abs(int(assembled_[start + i]));
        total += sums[s];
    }
    const std::int64_t mean = total / d;
    for (int s = 0; s < d; ++s) {
        if (sums[s] <= 0) continue;
        const int start = s * n / d;
        const double reciprocal = 1.0 / double(sums[s]);
        for (int i = 0; i < length; ++i) {
            // Scaling a weak section up saturates rather than wrapping into the other sign.
            const std::int64_t v = DivideTowardZero(assembled_[start + i] * mean, sums[s], reciprocal);
            assembled_[start + i] = std::int16_t(std::clamp<std::int64_t>(v, -32768, 32767));
        }
    }
}

int CCorrelationEngine::ClampedCentre(int centre) const {
    const int n = SampleCount();
    const int half = kGraphCentre * samplesPerColumn_;
    // A window wider than the data is centred on it instead of running off its start.
    if (n < 2 * half) return n / 2;
    return std::clamp(centre, half, n - half);
}

bool CCorrelationEngine::ComputeCorrelation(CorrelationResult& out, std::int32_t removeStart, std::int32_t removeEnd) {
    out = CorrelationResult{};
    SetUpPipe();
    const bool computable = FindComputeProblem(record_) == ComputeProblem::None;
    if (computable && record_.blockCount >= 1) {
        BuildBinMask();
        AssembleCorrelation();
    }
    const int n = SampleCount();
    const int half = kGraphCentre * samplesPerColumn_;
    windowCentre_ = ClampedCentre(windowCentre_);
    const int lo = windowCentre_ - half;
    auto counts = [&](int i) { return removeEnd == 0 || i <= removeStart || i >= removeEnd; };
    auto sampleAt = [&](int i) -> std::int32_t { return i >= 0 && i < n ? assembled_[i] : 0; };

    std::int32_t scale = 0;
    for (int i = 0; i < n; ++i)
        if (counts(i)) scale = std::max<std::int32_t>(scale, assembled_[i]);
    if (scale > 0) {
        for (int c = 0; c < kGraphWidth; ++c) {
            std::int32_t v = 0;
            for (int i = lo + c * samplesPerColumn_; i < lo + (c + 1) * samplesPerColumn_; ++i)
                if (counts(i)) v = std::max(v, sampleAt(i));
            out.displayTrace[c] = std::uint8_t(v * kTraceTop / scale);
        }
    }
    std::int32_t best = -32767;
    int peak = lo;
    for (int i = std::max(lo, 0); i < std::min(lo + 2 * half, n); ++i) {
        if (counts(i) && assembled_[i] > best) {
            best = assembled_[i];
            peak = i;
        }
    }
    out.peakColumn = std::uint16_t((peak - lo) / samplesPerColumn_);
    if (!computable) std::fill(out.displayTrace, out.displayTrace + kGraphWidth, std::uint8_t(0));

    decode_(kSpectrumPoints, record_.spectrum1Block, spectrum1_);
    decode_(kSpectrumPoints, record_.spectrum2Block, spectrum2_);
    for (int i = 0; i < kSpectrumPoints; ++i) {
        out.spectrum1Db[i] = SpectrumLevel(spectrum1_[2 * i], spectrum1_[2 * i + 1]);
        out.spectrum2Db[i] = SpectrumLevel(spectrum2_[2 * i], spectrum2_[2 * i + 1]);
    }
    out.windowCentre = std::uint16_t(windowCentre_);
    out.samplesPerColumn = std::uint16_t(samplesPerColumn_);
    return true;
}

std::int16_t CCorrelationEngine::SpectrumLevel(std::int16_t re, std::int16_t im) {
    // 64-bit power: full scale in both parts overflows 32 bits.
    return LookUpLevel(std::int64_t(re) * re + std::int64_t(im) * im);
}

void CCorrelationEngine::ComputeAtColumn(int column, CursorResult& out) {
    out = CursorResult{};
    SetUpPipe();
    out.totalTravelTime = totalTravelTime_;
    if (FindComputeProblem(record_) != ComputeProblem::None || SampleCount() == 0) return;
    const int spc = samplesPerColumn_;
    // Plain integers and the same window clamp as the trace: the column measures what it shows.
    const std::int64_t base =
        std::int64_t(std::clamp(column, -100000, 100000) - kGraphCentre) * spc + ClampedCentre(record_.zeroLagIndex);
    std::int32_t strongest = 0;
    std::int64_t found = 0;
    for (std::int64_t i = base; i < base + spc; ++i) {
        const std::int32_t a = std::abs(Sample(int(std::clamp<std::int64_t>(i, -1, 1 << 20))));
        if (a > strongest) {
            strongest = a;
            found = i;
        }
    }
    const std::int64_t sample = found != 0 ? found : base + spc / 2;
    const int d = 2 * AssembledSideBlocks() + 1;
    out.timeDelay = float(double(d) * double(sample - record_.zeroLagIndex)) / record_.sampleRate;
    if (totalLength_ < kMinimumPipeLength || velocityFailed_ || segmentsUsed_ == 0) return;
    out.distanceFromSensor1 = LeakDistance(out.timeDelay);
    out.distanceFromSensor2 = totalLength_ - out.distanceFromSensor1;
}

float CCorrelationEngine::LeakDistance(float t) const {
    const float T = totalTravelTime_;
    if (t <= -T) return 0;
    if (t > T) return totalLength_;
    const PipeSegment* seg = record_.segments;
    if (segmentsUsed_ == 1) return (t * seg[0].velocity + seg[0].length) * 0.5f;
    float acc = -T;
    int i = 0;
    while (t > acc && i < segmentsUsed_) {
        acc += doubledTravelTimes_[i];
        ++i;
    }
    const int g = i > 0 ? i - 1 : 0;
    float lengths = 0;
    for (int s = 0; s <= g; ++s) lengths += seg[s].length;
    return lengths - (acc - t) * 0.5f * seg[g].velocity;
}

}  // namespace vexlan
