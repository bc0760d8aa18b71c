#pragma once
// The document recomputed with a correlation method: Basic leaves the recomputation exactly as it
// is; the other methods show their trace, cursor and delays over it. The record is not touched
// beyond what the recomputation itself writes, so what is saved never depends on the method.

#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/CorrelationAnalysis.h"

namespace vexlan::analysis {

// analyser: one kept by a caller that recomputes again and again; null for a one-off.
AnalysisResult RecomputeWithMethod(CVexlanDoc& doc, CorrelationMethod method, CorrelationAnalyser* analyser = nullptr);

}  // namespace vexlan::analysis
