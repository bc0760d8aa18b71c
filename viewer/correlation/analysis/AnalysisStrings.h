#pragma once
// String-table ids of the analysis texts.

namespace vexlan::analysis {

constexpr int kMethodTextBase = 63016;   // + CorrelationMethod: Basic, SCOT, PHAT, Automatic
constexpr int kFlagTextBase = 63020;     // + bit index of the AnalysisFlag
constexpr int kMsgNotAnalysable = 63024; // the record's values cannot give a finite result
constexpr int kQualityStatusText = 63025;  // "%s  quality %d %%"
constexpr int kReportMethodLine = 63026;   // "Correlation method: %s, quality %d %%"

}  // namespace vexlan::analysis
