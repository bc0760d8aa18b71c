#include "view/print/ReportText.h"
#include "res/StringIds.h"

#include <cstdio>

#include "res/StringTable.h"
#include "view/Units.h"

namespace vexlan {
namespace {

std::string TwoDecimals(float value) { return FormatNumber("%.2f", static_cast<double>(value)); }

}  // namespace

std::string BuildReportText(const FormTexts& form, const ReportValues& values) {
    const std::string sep = ": ";
    std::string r;
    r += LoadStdString(string_id::kFileLabel) + form.fileName + "\n";
    if (!values.methodLine.empty()) r += values.methodLine + "\n";
    r += "\n";
    r += LoadStdString(string_id::kTimeDelayLabel) + sep + form.timeDelay + " " + form.timeDelayUnit + "\n\n";
    r += LoadStdString(string_id::kDistance1Label) + sep + form.distance1 + "\n";
    r += LoadStdString(string_id::kDistance2Label) + sep + form.distance2 + "\n\n";
    const int lengthUnit = form.lengthUnitChoice, timeUnit = form.timeUnitChoice;
    int segments = values.segmentsInUse < kSegmentCount ? values.segmentsInUse : kSegmentCount;
    for (int i = 0; i < segments; ++i) {
        const ReportSegment& s = values.segments[i];
        r += LoadStdString(string_id::kSegmentLabel) + sep + std::to_string(i + 1) + "\n";
        r += LoadStdString(string_id::kMaterialLabel) + sep + MaterialName(s.material) + "\n";
        r += LoadStdString(string_id::kLengthLabel) + sep + TwoDecimals(LengthForDisplay(s.length, lengthUnit)) + " " +
             form.lengthUnit + "\n";
        r += LoadStdString(string_id::kDiameterLabel) + sep + TwoDecimals(DiameterForDisplay(s.diameter, lengthUnit)) +
             " " + form.diameterUnit + "\n";
        r += LoadStdString(string_id::kVelocityLabel) + sep +
             TwoDecimals(VelocityForDisplay(s.velocity, lengthUnit, timeUnit)) + " " + form.velocityUnit + " " +
             form.velocityTimeUnit + "\n\n";
    }
    r += LoadStdString(string_id::kLowCutoffLabel) + form.lowCut + (values.lowCutoff > 0 ? " Hz" : "") + "\n";
    r += LoadStdString(string_id::kHighCutoffLabel) + form.highCut + (values.highCutoff > 0 ? " Hz" : "") + "\n\n";
    r += LoadStdString(string_id::kAutoFilterLabel) + form.autoFilter + "\n\n";
    r += LoadStdString(string_id::kNotchFilterLabel) + form.notchFilter;
    return r;
}

}  // namespace vexlan
