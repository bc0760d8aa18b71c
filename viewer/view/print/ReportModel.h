#pragma once
// What the text report and the printed page are made of: the texts the main form shows in its
// controls, and the document's values behind them. Both are plain data, so the report and the
// page are built and tested without a window; the viewer fills FormTexts from its form, the
// command-line tool from FormTextsFor().

#include <cstdint>
#include <string>

#include "correlation/CorrelationRecord.h"
#include "correlation/GraphGeometry.h"

namespace vexlan {

// The main form's control texts, each as the control currently shows it.
struct FormTexts {
    std::string fileName;          // 1041
    std::string timeDelay;         // 1072
    std::string timeDelayUnit;     // 1122, "s" or "ms"
    std::string distance1;         // 1049
    std::string distance2;         // 1050
    std::string lengthUnit;        // 1045, "m" or "ft"
    std::string diameterUnit;      // 1044, "mm" or "ins"
    std::string velocityUnit;      // 1047, "m /" or "ft /"
    std::string velocityTimeUnit;  // 1048, "s" or "ms"
    std::string lowCut;            // 1066
    std::string highCut;           // 1067
    std::string autoFilter;        // 1069
    std::string notchFilter;       // 1068
    int lengthUnitChoice = 0;      // 0 Metric, 1 Imperial
    int timeUnitChoice = 0;        // 0 Seconds, 1 Milliseconds
};

struct ReportSegment {
    float length = 0;
    float velocity = 0;
    float diameter = 0;
    std::uint16_t material = kNoMaterial;
};

// The document's values, as its accessors give them.
struct ReportValues {
    int segmentsInUse = 0;
    ReportSegment segments[kSegmentCount];  // GetSegment(i) for every slot
    float lowCutoff = 0;
    float highCutoff = 0;
    bool autoFilter = false;
    int notchesInUse = 0;
    NotchFilter notches[kNotchCount];  // GetNotch(i)
    std::string fileName, title, createdDate;
    float distanceFromSensor1 = 0;
    float distanceFromSensor2 = 0;
    float timeDelay = 0;
    std::uint8_t displayTrace[kGraphWidth] = {};
    int cursorColumn = 0;
    // With a correlation method other than the plain one: the line naming it and its quality,
    // so that a printout is never taken for the plain correlation. Empty for the plain method.
    std::string methodLine;
};

// What the form shows for these values in the given units.
FormTexts FormTextsFor(const ReportValues& values, int lengthUnit, int timeUnit);

// The material's display name, "" for a code without one.
std::string MaterialName(int material);

}  // namespace vexlan
