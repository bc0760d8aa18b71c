#include "DocumentAdapter.h"

#include <cstdio>

#include "AnalysisStrings.h"
#include "MethodDocument.h"
#include "StringTable.h"
#include "Units.h"

namespace vexlan {

static_assert(kGraphColumns == kGraphWidth, "the graph shows one trace value per pixel column");

SegmentValues DocumentAdapter::GetSegment(int index) const {
    DocSegment s = doc_.GetSegment(index);
    return {s.length, s.velocity, s.diameter, s.material};
}

FilterSummary DocumentAdapter::GetFilterSummary() const {
    DocFilterSummary f = doc_.GetFilterSummary();
    return {f.lowCutoff, f.highCutoff, f.autoFilter};
}

void DocumentAdapter::RecomputeCorrelation() {
    analysis_ = analysis::RecomputeWithMethod(doc_, method_, &analyser_);
    if (analysed_) analysed_();
}

std::string DocumentAdapter::AnalysisStatusText() const {
    if (!doc_.fileLoaded() || !analysis_.usable()) return {};
    char text[160];
    std::snprintf(text, sizeof text, LoadString(analysis::kQualityStatusText),
                  analysis::MethodDisplayName(analysis_).c_str(), int(analysis_.quality + 0.5));
    std::string status = text;
    const std::string flags = analysis::DescribeFlags(analysis_.flags);
    if (!flags.empty()) status += "  -  " + flags;
    return status;
}

std::vector<std::string> DocumentAdapter::PeakRows(int lengthUnit, int timeUnit) const {
    std::vector<std::string> rows;
    const double timeScale = timeUnit == 1 ? 1000.0 : 1.0;
    for (std::size_t i = 0; i < analysis_.peaks.size(); ++i) {
        const analysis::AnalysisPeak& p = analysis_.peaks[i];
        char row[200];
        std::snprintf(row, sizeof row, LoadString(analysis::kPeakRowText), int(i + 1), p.timeDelay * timeScale,
                      TimeUnitText(timeUnit), double(LengthForDisplay(float(p.distanceFromSensor1), lengthUnit)),
                      double(LengthForDisplay(float(p.distanceFromSensor2), lengthUnit)), LengthUnitText(lengthUnit),
                      int(p.height * 100 + 0.5), int(p.quality + 0.5));
        rows.push_back(row);
    }
    return rows;
}

FileTexts DocumentAdapter::GetFileTexts() const {
    DocFileTexts t = doc_.GetFileTexts();
    return {t.fileName, t.title, t.createdDate};
}

}  // namespace vexlan
