#pragma once
// The band where the two sensors hear the same source: the cross-spectrum's phase, once the
// delay of a candidate peak is taken out, stays near zero over neighbouring bins.

#include <vector>

#include "correlation/analysis/LagTrace.h"
#include "correlation/analysis/LagWindows.h"

namespace vexlan::analysis {

struct BandAgreement {
    FrequencyBand band;  // invalid when no stretch of bins agrees
    double score = 0;    // agreeing bins, net of disagreeing ones, over the band
};

// lag: the candidate's delay in full-resolution samples (fractional). sensorProduct: the two
// sensors' powers per bin (SensorPowerProduct), to weigh each bin by its coherence; may be null.
BandAgreement FindAgreeingBand(const LagWindows& windows, double lag, const std::vector<bool>& lines,
                               const std::vector<double>* sensorProduct = nullptr);

}  // namespace vexlan::analysis
