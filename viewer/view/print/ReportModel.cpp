#include "view/print/ReportModel.h"
#include "res/StringIds.h"

#include "res/StringTable.h"
#include "view/Units.h"

namespace vexlan {

std::string MaterialName(int material) {
    if (material < 0 || material >= string_id::kMaterialCount) return {};
    return LoadString(string_id::kMaterialNameBase + material);
}

FormTexts FormTextsFor(const ReportValues& v, int lengthUnit, int timeUnit) {
    lengthUnit = lengthUnit == kImperial ? kImperial : kMetric;
    timeUnit = timeUnit == kMilliseconds ? kMilliseconds : kSeconds;
    FormTexts t;
    t.fileName = v.fileName;
    t.timeDelay = FormatTimeDelay(v.timeDelay, timeUnit);
    t.timeDelayUnit = TimeUnitText(timeUnit);
    t.distance1 = FormatDistance(v.distanceFromSensor1, lengthUnit);
    t.distance2 = FormatDistance(v.distanceFromSensor2, lengthUnit);
    t.lengthUnit = LengthUnitText(lengthUnit);
    t.diameterUnit = DiameterUnitText(lengthUnit);
    t.velocityUnit = VelocityUnitText(lengthUnit);
    t.velocityTimeUnit = TimeUnitText(timeUnit);
    t.lowCut = FormatCutoff(v.lowCutoff);
    t.highCut = FormatCutoff(v.highCutoff);
    t.autoFilter = LoadString(string_id::kOff);  // the form always shows the auto filter off
    t.notchFilter = LoadString(v.notchesInUse > 0 ? string_id::kOn : string_id::kOff);
    t.lengthUnitChoice = lengthUnit;
    t.timeUnitChoice = timeUnit;
    return t;
}

}  // namespace vexlan
