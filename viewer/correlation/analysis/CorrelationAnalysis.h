#pragma once
// Judgement of a correlation result: the correlation by a chosen method (plain, SCOT or PHAT
// weighting, or the one judged best), a ranked list of peaks, a quality figure, the band where
// the two sensors agree, and flags of results a user must not take at face value. Qt-free; the
// plain method's trace and cursor are the recomputation's own, unchanged.
//
// Quality (0..100) of a peak: 60 % from its peak-to-sidelobe ratio (over the strongest other
// peak outside its main lobe; 1.1 -> 0, 2.5 or more -> full) and 40 % from its peak-to-noise
// ratio (over the RMS of the trace away from the peaks; 4.5 -> 0, 18 or more -> full), both on
// a logarithmic scale, measured on the trace as shown at full resolution (the plain method's on
// the joined correlation it displays).
//
// Suggested band: a PHAT correlation over the user's band, tones (bins far above their
// neighbourhood, with their skirts) removed; its strongest peak between the sensors
// (|delay| < 0.95 T; else its strongest peak) gives the delay; the band is the stretch of bins
// whose phase, that delay taken out, agrees best (largest sum of cos(phase) - 0.1, each bin
// weighed by its coherence as the stored sensor spectra give it, relative to the median).
// Weighted methods work on each window's cross-spectrum with the window's ends tapered, tones
// removed and the suggested band applied; the tapered lags at the windows' edges (N/16 at either
// end, where the cut and the taper leave spikes) are left out of the peak search.
// Automatic: the plain correlation, SCOT and PHAT each rank their 15 strongest peaks so that
// credible ones come first (the list keeps five). Credible: at least 15 % of the strongest,
// between the sensors, away from hum, and without a mirror image of at least half its height
// at the opposite delay (hum ripple and window edges are even in lag; a source is not). Each is scored by the quality of its first
// peak, plus 100 when that peak is credible and of quality 10 or more; the highest score wins.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "correlation/CCorrelationEngine.h"
#include "correlation/analysis/CorrelationMethod.h"
#include "correlation/CorrelationRecord.h"
#include "correlation/analysis/LagTrace.h"

namespace vexlan::analysis {

enum AnalysisFlag : unsigned {
    kFlagBeyondSensor = 1,   // |delay| >= 0.95 x travel time: a fitting at a sensor or noise from beyond
    kFlagCommonModeHum = 2,  // near zero delay with narrow-band energy: hum or electrical pick-up
    kFlagNoUsableBand = 4,   // no band where the sensors agree
};
constexpr int kFlagCount = 3;
const char* FlagKey(unsigned flag);  // "beyond-sensor", "hum", "no-band"

constexpr int kMaxPeaks = 5;

struct AnalysisPeak {
    int column = 0;                  // graph column 0..619
    double timeDelay = 0;            // s
    double distanceFromSensor1 = 0;  // m
    double distanceFromSensor2 = 0;
    double height = 0;   // relative to the best peak, 0..1
    double quality = 0;  // 0..100
};

struct AnalysisResult {
    ComputeProblem problem = ComputeProblem::None;  // not None: nothing below is filled in
    bool finite = true;                             // false: the record's values give no finite correlation
    CorrelationMethod requested = CorrelationMethod::Basic;
    CorrelationMethod method = CorrelationMethod::Basic;  // the one used (Auto resolved)
    double quality = 0;
    std::vector<AnalysisPeak> peaks;  // best first
    unsigned flags = 0;
    FrequencyBand suggestedBand;
    // What the graph shows with the method: the recomputation's own trace for Basic.
    std::array<std::uint8_t, kGraphWidth> displayTrace{};
    // s, of the strongest sample of each column (of a listed peak in its column); not filled in
    // for Basic, whose cursor is the recomputation's own.
    std::array<float, kGraphWidth> columnDelay{};
    std::uint16_t windowCentre = 0;
    std::uint16_t samplesPerColumn = 0;

    bool usable() const { return problem == ComputeProblem::None && finite; }
};

// Analyses one record after another, keeping the transform's plan and the traces' storage
// between them: planning a transform costs more than running it.
class CorrelationAnalyser {
public:
    CorrelationAnalyser();
    ~CorrelationAnalyser();
    CorrelationAnalyser(const CorrelationAnalyser&) = delete;
    CorrelationAnalyser& operator=(const CorrelationAnalyser&) = delete;

    // removeStart/removeEnd: the removed region of the document, in joined-correlation samples.
    AnalysisResult Analyse(const CorrelationRecord& record, CorrelationMethod method, std::int32_t removeStart = 0,
                           std::int32_t removeEnd = 0);

    struct Workspace;

private:
    std::unique_ptr<Workspace> workspace_;
};

// One analysis on its own (an analyser used once).
AnalysisResult AnalyseCorrelation(const CorrelationRecord& record, CorrelationMethod method,
                                  std::int32_t removeStart = 0, std::int32_t removeEnd = 0);

// The flags in words for the user, joined by "; " (string table).
std::string DescribeFlags(unsigned flags);
// The method as the user sees it: "PHAT", or "Automatic (PHAT)" for the automatic choice.
std::string MethodDisplayName(const AnalysisResult& result);
// "Correlation method: PHAT, quality 80 %" for a method other than Basic, else "".
std::string MethodReportLine(const AnalysisResult& result);

}  // namespace vexlan::analysis
