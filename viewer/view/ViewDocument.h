#pragma once
// What the form view needs from the document. The view reads every value it shows through this
// interface and writes every edit back through it, so its logic tests against a small fake and
// runs in the program over the real document (DocumentAdapter).

#include <cstdint>
#include <string>

#include "correlation/CorrelationRecord.h"
#include "correlation/GraphGeometry.h"

namespace vexlan {

constexpr int kScaleBarWidth = 625;
constexpr int kScaleBarHeight = 12;

struct SegmentValues {
    float length = 0;
    float velocity = 0;
    float diameter = 0;
    std::uint16_t material = kNoMaterial;
};

struct FilterSummary {
    float lowCutoff = 0;
    float highCutoff = 0;
    bool autoFilter = false;
};

struct FileTexts {
    std::string fileName;
    std::string title;
    std::string createdDate;
};

class IViewDocument {
public:
    virtual ~IViewDocument() = default;

    virtual bool FileLoaded() const = 0;
    virtual void ClearFileLoaded() = 0;
    virtual bool GetPendingOpen(std::string& path) const = 0;
    virtual bool OpenCorrelationFile(const std::string& path) = 0;  // shows its own messages
    virtual bool SaveCorrelationFile() = 0;
    virtual bool SaveCorrelationFileAs(const std::string& path) = 0;
    virtual bool IsModified() const = 0;
    virtual void SetModified(bool modified) = 0;
    virtual void ResetRecord() = 0;

    virtual SegmentValues GetSegment(int index) const = 0;
    virtual int CountSegmentsInUse() const = 0;
    virtual float TotalPipeLength() const = 0;
    virtual float GetSegmentLength(int index) const = 0;
    virtual void SetSegmentLength(int index, float value) = 0;
    virtual void SetSegmentDiameter(int index, float value) = 0;
    virtual void SetSegmentVelocity(int index, float value) = 0;
    virtual void SetSegmentMaterial(int index, std::uint16_t material) = 0;

    virtual FilterSummary GetFilterSummary() const = 0;
    virtual void SetAutoFilter(std::uint8_t on) = 0;
    virtual int CountNotchesInUse() const = 0;
    virtual std::int8_t GetSensorPair() const = 0;
    virtual FileTexts GetFileTexts() const = 0;

    virtual void RecomputeCorrelation() = 0;
    virtual void MoveCursor(int column) = 0;
    virtual void StepCursor(int step) = 0;  // +1 or -1
    virtual void SetRemoveStart(int x, int x0) = 0;
    virtual void SetRemoveEnd(int x, int x0) = 0;

    // Results of the last computation.
    virtual const std::uint8_t* DisplayTrace() const = 0;  // kGraphWidth values, 0..179
    virtual int CursorColumn() const = 0;
    virtual int PreviousCursorColumn() const = 0;
    virtual float TimeDelay() const = 0;
    virtual float TotalTravelTime() const = 0;
    virtual float DistanceFromSensor1() const = 0;
    virtual float DistanceFromSensor2() const = 0;
    // The report's line naming a correlation method other than the plain one; "" for the plain.
    virtual std::string MethodReportLine() const { return {}; }
    // The stretch of pipe, in metres from sensor 1, that the leak at the cursor lies in given the
    // uncertainty of the velocity and of the delay; false when it is not known.
    virtual bool LeakInterval(float& /*from*/, float& /*to*/) const { return false; }
};

}  // namespace vexlan
