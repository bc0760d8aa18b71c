#pragma once
// A document whose results the test sets directly, recording what the view writes back.

#include <algorithm>
#include <cstring>

#include "view/ViewDocument.h"

namespace vexlan::test {

class FakeDocument : public IViewDocument {
public:
    bool loaded = false;
    bool modified = false;
    bool openSucceeds = true;
    std::string pendingPath;
    std::string openedPath;
    SegmentValues segments[10];
    int segmentsInUse = 0;
    FilterSummary filter;
    int notches = 0;
    std::int8_t sensorPair = 6;
    FileTexts texts;
    std::uint8_t trace[kGraphWidth] = {};
    int cursor = 0, previousCursor = 0;
    float delay = 0, travelTime = 0, d1 = 0, d2 = 0;
    int removeStart = 0, removeEnd = 0;
    int recomputes = 0;
    int autoFilterWrites = 0;
    // Peak search as the engine does it: the highest trace value outside the removed columns.
    int removedFromColumn = -1, removedToColumn = -1;

    bool FileLoaded() const override { return loaded; }
    void ClearFileLoaded() override { loaded = false; }
    bool GetPendingOpen(std::string& path) const override {
        path = pendingPath;
        return !pendingPath.empty();
    }
    bool OpenCorrelationFile(const std::string& path) override {
        openedPath = path;
        loaded = openSucceeds;
        return loaded;
    }
    bool SaveCorrelationFile() override {
        modified = false;
        return true;
    }
    bool SaveCorrelationFileAs(const std::string&) override {
        modified = false;
        return true;
    }
    bool IsModified() const override { return modified; }
    void SetModified(bool m) override { modified = m; }
    void ResetRecord() override {
        loaded = false;
        modified = false;
    }
    SegmentValues GetSegment(int index) const override {
        if (segmentsInUse == 0 || index < 0 || index >= 10) return {};
        return segments[index];
    }
    int CountSegmentsInUse() const override { return segmentsInUse; }
    float TotalPipeLength() const override {
        float total = 0;
        for (int i = 0; i < segmentsInUse; ++i) total += segments[i].length;
        return total < 0.1f ? 0.1f : total;
    }
    float GetSegmentLength(int index) const override { return segments[index].length; }
    void SetSegmentLength(int index, float v) override {
        segments[index].length = v;
        modified = true;
    }
    void SetSegmentDiameter(int index, float v) override {
        segments[index].diameter = v;
        modified = true;
    }
    void SetSegmentVelocity(int index, float v) override {
        segments[index].velocity = v;
        modified = true;
    }
    void SetSegmentMaterial(int index, std::uint16_t m) override {
        segments[index].material = m;
        segments[index].velocity = 1000.0f + m;
        modified = true;
    }
    FilterSummary GetFilterSummary() const override { return filter; }
    void SetAutoFilter(std::uint8_t on) override {
        filter.autoFilter = on != 0;
        ++autoFilterWrites;
        modified = true;
    }
    int CountNotchesInUse() const override { return notches; }
    std::int8_t GetSensorPair() const override { return sensorPair; }
    FileTexts GetFileTexts() const override { return texts; }
    void RecomputeCorrelation() override {
        ++recomputes;
        previousCursor = cursor;
        int best = -1;
        for (int x = 0; x < kGraphWidth; ++x) {
            if (x >= removedFromColumn && x <= removedToColumn) continue;
            if (best < 0 || trace[x] > trace[best]) best = x;
        }
        cursor = best < 0 ? 0 : best;
    }
    void MoveCursor(int column) override {
        previousCursor = cursor;
        cursor = column;
    }
    void StepCursor(int step) override { MoveCursor(cursor + step); }
    void SetRemoveStart(int x, int x0) override { removeStart = x == 0 ? 0 : 5 * (x - x0) + 1000; }
    void SetRemoveEnd(int x, int x0) override {
        removeEnd = x == 0 ? 0 : 5 * (x - x0) + 1000;
        if (removeEnd < removeStart) std::swap(removeStart, removeEnd);
    }
    const std::uint8_t* DisplayTrace() const override { return trace; }
    int CursorColumn() const override { return cursor; }
    int PreviousCursorColumn() const override { return previousCursor; }
    float TimeDelay() const override { return delay; }
    float TotalTravelTime() const override { return travelTime; }
    float DistanceFromSensor1() const override { return d1; }
    float DistanceFromSensor2() const override { return d2; }

    void UseSegments(std::initializer_list<SegmentValues> list) {
        segmentsInUse = 0;
        for (const SegmentValues& s : list) segments[segmentsInUse++] = s;
    }
};

}  // namespace vexlan::test
