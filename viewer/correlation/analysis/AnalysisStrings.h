#pragma once
// String-table ids of the analysis texts.

namespace vexlan::analysis {

constexpr int kMethodTextBase = 63016;   // + CorrelationMethod: Basic, SCOT, PHAT, Automatic
constexpr int kFlagTextBase = 63020;     // + bit index of the AnalysisFlag
constexpr int kMsgNotAnalysable = 63024; // the record's values cannot give a finite result
constexpr int kQualityStatusText = 63025;  // "%s  quality %d %%"
constexpr int kReportMethodLine = 63026;   // "Correlation method: %s, quality %d %%"
constexpr int kPeaksWindowTitle = 63027;
constexpr int kPeakRowText = 63028;        // rank, delay, unit, distance 1, distance 2, unit, height, quality
constexpr int kSuggestButtonText = 63029;

}  // namespace vexlan::analysis
