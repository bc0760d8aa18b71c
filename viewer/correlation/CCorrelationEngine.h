#pragma once
// Recomputes the correlation from a record's compressed spectra: frequency mask, fixed-point
// inverse transforms, joining of the lag windows, the 620-column display trace, the peak, the
// display spectra, and the time delay and leak position at a graph column. One engine is built
// per computation; every buffer is a fixed member array.

#include <cstdint>

#include "correlation/CorrelationRecord.h"
#include "correlation/FixedPointFft.h"
#include "correlation/GraphGeometry.h"

namespace vexlan {

constexpr int kTraceTop = 179;
constexpr int kSpectrumPoints = 2048;
constexpr int kBinMaskSize = 1024;

// Decodes one compressed block into maxCount values (the block decoder's signature).
using BlockDecodeFunction = void (*)(int maxCount, const std::uint8_t* block, std::int16_t* out);

// Why a record cannot be recomputed; Computable records give a result, the others an empty one.
enum class ComputeProblem {
    None,
    BadSampleCount,  // not a power of two in 2..8192 while blocks are present
    BadSampleRate,   // zero, negative, not finite, or so small that delays are not
    BadPipeValue,    // a used segment's values, or the pipe's length or travel time, not finite
    BadFilterValue,  // a cut-off or applied notch edge is not finite
};
ComputeProblem FindComputeProblem(const CorrelationRecord& record);
const char* DescribeComputeProblem(ComputeProblem problem);

struct CorrelationResult {
    std::uint8_t displayTrace[kGraphWidth] = {};
    std::uint16_t peakColumn = 0;
    std::int16_t spectrum1Db[kSpectrumPoints] = {};
    std::int16_t spectrum2Db[kSpectrumPoints] = {};
    std::uint16_t windowCentre = 0;
    std::uint16_t samplesPerColumn = 0;
};

struct CursorResult {
    float distanceFromSensor1 = 0;
    float distanceFromSensor2 = 0;
    float timeDelay = 0;
    float totalTravelTime = 0;
};

class CCorrelationEngine {
public:
    CCorrelationEngine(CorrelationRecord& record, BlockDecodeFunction decode);

    // Full computation; rewrites only sideBlocks in the record. Always true, as the caller expects;
    // a record that cannot be computed gives an empty trace (see FindComputeProblem).
    bool ComputeCorrelation(CorrelationResult& out, std::int32_t removeStart, std::int32_t removeEnd);
    // Time delay and leak position at a graph column.
    void ComputeAtColumn(int column, CursorResult& out);

    // Steps, public so that each can be checked on its own.
    bool SetUpPipe();  // false when the pipe cannot be used
    void BuildBinMask();
    void AssembleCorrelation();
    float LeakDistance(float delay) const;  // D(t) from sensor 1
    // The delay (s) of the strongest sample in the lags of a graph column, taken from the stored
    // lag windows at the full sample rate (one column can span 65 samples) and refined between
    // samples; NaN when the record has no correlation to measure.
    double FullResolutionDelay(int column);
    static std::int16_t SpectrumLevel(std::int16_t re, std::int16_t im);

    const std::uint8_t* BinMask() const { return binMask_; }
    const std::int16_t* Assembled() const { return assembled_; }
    int SamplesPerColumn() const { return samplesPerColumn_; }
    int AssembledSideBlocks() const;  // k, the side block pairs actually joined (0..2)
    float TotalTravelTime() const { return totalTravelTime_; }
    float TotalLength() const { return totalLength_; }
    // Whether the last pipe setup leaves distances to compute (the cursor computation's test).
    bool HasPipeForDistances() const { return totalLength_ >= 0.1f && !velocityFailed_ && segmentsUsed_ > 0; }

private:
    int SampleCount() const;               // N when usable for the transform, else 0
    std::int32_t Sample(int index) const;  // 0 outside the first N entries
    int ClampedCentre(int centre) const;
    void EqualiseSections(int sideBlocks);
    void TransformBlock(int j);  // lag window j, masked, into blockWork_ with zero lag at N/2

    CorrelationRecord& record_;
    BlockDecodeFunction decode_;
    alignas(64) std::int16_t assembled_[fft::kMaxRealPoints] = {};
    alignas(64) std::int16_t blockWork_[fft::kMaxRealPoints] = {};
    alignas(64) std::int16_t windowPeaks_[fft::kMaxRealPoints];  // written before every read
    std::uint8_t binMask_[kBinMaskSize] = {};
    std::int16_t spectrum1_[2 * kSpectrumPoints] = {};
    std::int16_t spectrum2_[2 * kSpectrumPoints] = {};
    fft::FftWorkspace fftWork_;
    int samplesPerColumn_ = 0;
    int windowCentre_ = 0;
    int segmentsUsed_ = 0;
    bool velocityFailed_ = false;
    float totalLength_ = 0;
    float totalTravelTime_ = 0;
    float doubledTravelTimes_[kSegmentCount] = {};
};

}  // namespace vexlan
