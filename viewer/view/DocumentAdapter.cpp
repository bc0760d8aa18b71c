#include "view/DocumentAdapter.h"
#include "res/StringIds.h"

#include <cstdio>

#include "correlation/analysis/MethodDocument.h"
#include "res/StringTable.h"
#include "view/Units.h"

namespace vexlan {

static_assert(kGraphWidth == kGraphWidth, "the graph shows one trace value per pixel column");

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
    KeepIntervalInputs();
    if (analysed_) analysed_();
}

void DocumentAdapter::KeepIntervalInputs() {
    intervalKnown_ = false;
    if (!doc_.fileLoaded() || doc_.computeProblem() != ComputeProblem::None) return;
    // Without the materials' spreads the interval would look surer than it is: none is shown.
    if (!materialListTried_) {
        materialListTried_ = true;
        std::string error;
        materialListRead_ = velocity::LoadMaterialList(velocity::DefaultMaterialListPath(), materialList_, error);
    }
    if (!materialListRead_) return;
    const CorrelationRecord& r = doc_.record();
    pipe_ = velocity::PipeOf(r);
    columnDelay_ = velocity::ColumnDelay(r);
    velocitySpread_ = velocity::PipeSpread(r, doc_.materials(), materialList_);
    intervalKnown_ = !pipe_.empty();
}

bool DocumentAdapter::IntervalAt(double delay, velocity::Interval& out) const {
    if (!intervalKnown_) return false;
    out = velocity::PositionInterval(pipe_, delay, columnDelay_, velocitySpread_);
    return out.to > out.from;  // a stretch of pipe, not a point at one end
}

bool DocumentAdapter::LeakInterval(float& from, float& to) const {
    velocity::Interval in;
    if (!doc_.fileLoaded() || !IntervalAt(doc_.timeDelay(), in)) return false;
    from = float(in.from);
    to = float(in.to);
    return true;
}

std::string DocumentAdapter::AnalysisStatusText() const {
    if (!doc_.fileLoaded() || !analysis_.usable()) return {};
    std::string status = FormatString(string_id::kQualityStatusText, analysis::MethodDisplayName(analysis_).c_str(),
                                      int(analysis_.quality + 0.5));
    const std::string flags = analysis::DescribeFlags(analysis_.flags);
    if (!flags.empty()) status += "  -  " + flags;
    return status;
}

std::vector<std::string> DocumentAdapter::PeakRows(int lengthUnit, int timeUnit) const {
    std::vector<std::string> rows;
    const double timeScale = timeUnit == 1 ? 1000.0 : 1.0;
    for (std::size_t i = 0; i < analysis_.peaks.size(); ++i) {
        const analysis::AnalysisPeak& p = analysis_.peaks[i];
        std::string row =
            FormatString(string_id::kPeakRowText, int(i + 1), p.timeDelay * timeScale, TimeUnitText(timeUnit),
                         double(LengthForDisplay(float(p.distanceFromSensor1), lengthUnit)),
                         double(LengthForDisplay(float(p.distanceFromSensor2), lengthUnit)), LengthUnitText(lengthUnit),
                         int(p.height * 100 + 0.5), int(p.quality + 0.5));
        velocity::Interval in;
        if (IntervalAt(p.timeDelay, in)) {
            row += FormatString(string_id::kPeakIntervalText, double(LengthForDisplay(float(in.from), lengthUnit)),
                                double(LengthForDisplay(float(in.to), lengthUnit)), LengthUnitText(lengthUnit));
        }
        rows.push_back(row);
    }
    return rows;
}

FileTexts DocumentAdapter::GetFileTexts() const {
    DocFileTexts t = doc_.GetFileTexts();
    return {t.fileName, t.title, t.createdDate};
}

}  // namespace vexlan
