#include "view/print/ReportFromDocument.h"

#include <algorithm>

namespace vexlan {

ReportValues ReportValuesFromDocument(const CVexlanDoc& doc) {
    ReportValues v;
    v.segmentsInUse = doc.CountSegmentsInUse();
    for (int i = 0; i < kSegmentCount; ++i) {
        DocSegment s = doc.GetSegment(i);
        v.segments[i] = {s.length, s.velocity, s.diameter, s.material};
    }
    DocFilterSummary f = doc.GetFilterSummary();
    v.lowCutoff = f.lowCutoff;
    v.highCutoff = f.highCutoff;
    v.autoFilter = f.autoFilter;
    v.notchesInUse = doc.CountNotchesInUse();
    for (int i = 0; i < kNotchCount; ++i) v.notches[i] = doc.GetNotch(i);
    DocFileTexts t = doc.GetFileTexts();
    v.fileName = t.fileName;
    v.title = t.title;
    v.createdDate = t.createdDate;
    v.distanceFromSensor1 = doc.distanceFromSensor1();
    v.distanceFromSensor2 = doc.distanceFromSensor2();
    v.timeDelay = doc.timeDelay();
    std::copy(doc.displayTrace(), doc.displayTrace() + kGraphWidth, v.displayTrace);
    v.cursorColumn = doc.cursorColumn();
    return v;
}

}  // namespace vexlan
