#include "correlation/analysis/MethodDocument.h"

#include <algorithm>

namespace vexlan::analysis {

AnalysisResult RecomputeWithMethod(CVexlanDoc& doc, CorrelationMethod method, CorrelationAnalyser* analyser) {
    doc.RecomputeCorrelation();
    AnalysisResult r = analyser ? analyser->Analyse(doc.record(), method, doc.GetRemoveStart(), doc.GetRemoveEnd())
                                : AnalyseCorrelation(doc.record(), method, doc.GetRemoveStart(), doc.GetRemoveEnd());
    if (!r.usable() || r.method == CorrelationMethod::Basic) return r;
    TraceOverlay overlay;
    std::copy(r.displayTrace.begin(), r.displayTrace.end(), overlay.displayTrace);
    std::copy(r.columnDelay.begin(), r.columnDelay.end(), overlay.columnDelay);
    overlay.cursorColumn = std::uint16_t(r.peaks.empty() ? doc.cursorColumn() : r.peaks[0].column);
    doc.ShowOverlay(overlay);
    return r;
}

}  // namespace vexlan::analysis
