#include "ReportText.h"

#include <cstdio>

#include "StringTable.h"
#include "Units.h"

namespace vexlan {
namespace {

std::string TwoDecimals(float value) { return FormatNumber("%.2f", static_cast<double>(value)); }

}  // namespace

std::string BuildReportText(const FormTexts& form, const ReportValues& values) {
    const std::string sep = ": ";
    std::string r;
    r += LoadStdString(62112) + form.fileName + "\n";
    if (!values.methodLine.empty()) r += values.methodLine + "\n";
    r += "\n";
    r += LoadStdString(62113) + sep + form.timeDelay + " " + form.timeDelayUnit + "\n\n";
    r += LoadStdString(62114) + sep + form.distance1 + "\n";
    r += LoadStdString(62115) + sep + form.distance2 + "\n\n";
    const int lengthUnit = form.lengthUnitChoice, timeUnit = form.timeUnitChoice;
    int segments = values.segmentsInUse < kSegmentCount ? values.segmentsInUse : kSegmentCount;
    for (int i = 0; i < segments; ++i) {
        const ReportSegment& s = values.segments[i];
        r += LoadStdString(62116) + sep + std::to_string(i + 1) + "\n";
        r += LoadStdString(62117) + sep + MaterialName(s.material) + "\n";
        r += LoadStdString(62118) + sep + TwoDecimals(LengthForDisplay(s.length, lengthUnit)) + " " +
             form.lengthUnit + "\n";
        r += LoadStdString(62119) + sep + TwoDecimals(DiameterForDisplay(s.diameter, lengthUnit)) + " " +
             form.diameterUnit + "\n";
        r += LoadStdString(62120) + sep + TwoDecimals(VelocityForDisplay(s.velocity, lengthUnit, timeUnit)) +
             " " + form.velocityUnit + " " + form.velocityTimeUnit + "\n\n";
    }
    r += LoadStdString(62121) + form.lowCut + (values.lowCutoff > 0 ? " Hz" : "") + "\n";
    r += LoadStdString(62122) + form.highCut + (values.highCutoff > 0 ? " Hz" : "") + "\n\n";
    r += LoadStdString(62123) + form.autoFilter + "\n\n";
    r += LoadStdString(62124) + form.notchFilter;
    return r;
}

}  // namespace vexlan
