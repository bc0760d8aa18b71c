#include "view/print/ReportFromView.h"

#include "view/GraphRaster.h"
#include "view/Units.h"
#include "view/ViewDocument.h"

namespace vexlan {

FormTexts FormTextsFromControls(const FormControlsState& c, const FormFields& fields) {
    FormTexts t;
    t.fileName = c.fileNameText;
    t.timeDelay = c.timeDelayText;
    t.timeDelayUnit = c.timeDelayUnitText;
    t.distance1 = c.sensor1DistanceText;
    t.distance2 = c.sensor2DistanceText;
    t.lengthUnit = c.lengthUnitText;
    t.diameterUnit = c.diameterUnitText;
    t.velocityUnit = c.velocityUnitText;
    t.velocityTimeUnit = c.velocityTimeUnitText;
    t.lowCut = c.lowCutText;
    t.highCut = c.highCutText;
    t.autoFilter = c.autoFilterText;
    t.notchFilter = c.notchFilterText;
    t.lengthUnitChoice = fields.lengthUnit == kImperial ? kImperial : kMetric;
    t.timeUnitChoice = fields.timeUnit == kMilliseconds ? kMilliseconds : kSeconds;
    return t;
}

PixelBuffer GraphPicture(const ReportValues& values, float totalTravelTime) {
    PixelBuffer picture(kGraphWidth, kGraphHeight);
    DrawGraph(picture, values.displayTrace, kGraphWidth);
    CursorState cursor;
    cursor.cursorColumn = values.cursorColumn;
    cursor.timeDelay = values.timeDelay;
    cursor.totalTravelTime = totalTravelTime;
    DrawCursor(picture, values.displayTrace, kGraphWidth, cursor);
    return picture;
}

}  // namespace vexlan
