#pragma once
// The form view's document interface over the real document.

#include <functional>
#include <string>
#include <vector>

#include "correlation/CVexlanDoc.h"
#include "correlation/analysis/CorrelationAnalysis.h"
#include "correlation/Velocity.h"
#include "view/ViewDocument.h"

namespace vexlan {

class DocumentAdapter : public IViewDocument {
public:
    explicit DocumentAdapter(CVexlanDoc& document) : doc_(document) {}

    CVexlanDoc& document() { return doc_; }

    bool FileLoaded() const override { return doc_.fileLoaded(); }
    void ClearFileLoaded() override { doc_.ClearFileLoaded(); }
    bool GetPendingOpen(std::string& path) const override { return doc_.GetPendingOpen(path); }
    bool OpenCorrelationFile(const std::string& path) override { return doc_.OpenCorrelationFile(path); }
    bool SaveCorrelationFile() override { return doc_.SaveCorrelationFile(); }
    bool SaveCorrelationFileAs(const std::string& path) override { return doc_.SaveCorrelationFileAs(path); }
    bool IsModified() const override { return doc_.IsModified(); }
    void SetModified(bool modified) override { doc_.SetModified(modified); }
    void ResetRecord() override { doc_.ResetRecord(); }

    SegmentValues GetSegment(int index) const override;
    int CountSegmentsInUse() const override { return doc_.CountSegmentsInUse(); }
    float TotalPipeLength() const override { return doc_.TotalPipeLength(); }
    float GetSegmentLength(int index) const override { return doc_.GetSegmentLength(index); }
    void SetSegmentLength(int index, float value) override { doc_.SetSegmentLength(index, value); }
    void SetSegmentDiameter(int index, float value) override { doc_.SetSegmentDiameter(index, value); }
    void SetSegmentVelocity(int index, float value) override { doc_.SetSegmentVelocity(index, value); }
    void SetSegmentMaterial(int index, std::uint16_t material) override { doc_.SetSegmentMaterial(index, material); }

    FilterSummary GetFilterSummary() const override;
    void SetAutoFilter(std::uint8_t on) override { doc_.SetAutoFilter(on); }
    int CountNotchesInUse() const override { return doc_.CountNotchesInUse(); }
    std::int8_t GetSensorPair() const override { return doc_.GetSensorPair(); }
    FileTexts GetFileTexts() const override;

    // Recomputes with the chosen correlation method and keeps its analysis.
    void RecomputeCorrelation() override;
    std::string MethodReportLine() const override { return analysis::MethodReportLine(analysis_); }
    bool LeakInterval(float& from, float& to) const override;

    void SetMethod(analysis::CorrelationMethod method) { method_ = method; }
    analysis::CorrelationMethod method() const { return method_; }
    const analysis::AnalysisResult& analysis() const { return analysis_; }
    // Called after every recomputation, for the panes that show the analysis.
    void SetAnalysedHook(std::function<void()> hook) { analysed_ = std::move(hook); }
    // "PHAT  quality 80 %", then the flags in words; "" before a file is computed.
    std::string AnalysisStatusText() const;
    // One line per peak of the list, best first, in the form's units, with the leak's interval.
    std::vector<std::string> PeakRows(int lengthUnit, int timeUnit) const;
    void MoveCursor(int column) override { doc_.MoveCursor(column); }
    void StepCursor(int step) override { doc_.StepCursor(step); }
    void SetRemoveStart(int x, int x0) override { doc_.SetRemoveStart(x, x0); }
    void SetRemoveEnd(int x, int x0) override { doc_.SetRemoveEnd(x, x0); }

    const std::uint8_t* DisplayTrace() const override { return doc_.displayTrace(); }
    int CursorColumn() const override { return doc_.cursorColumn(); }
    int PreviousCursorColumn() const override { return doc_.previousCursorColumn(); }
    float TimeDelay() const override { return doc_.timeDelay(); }
    float TotalTravelTime() const override { return doc_.totalTravelTime(); }
    float DistanceFromSensor1() const override { return doc_.distanceFromSensor1(); }
    float DistanceFromSensor2() const override { return doc_.distanceFromSensor2(); }

private:
    // What the leak interval needs from the pipe, kept from the last recomputation.
    void KeepIntervalInputs();
    bool IntervalAt(double delay, velocity::Interval& out) const;

    CVexlanDoc& doc_;
    bool materialListTried_ = false;
    bool materialListRead_ = false;
    velocity::MaterialList materialList_;
    bool intervalKnown_ = false;
    std::vector<velocity::Segment> pipe_;
    double columnDelay_ = 0;
    double velocitySpread_ = 0;
    analysis::CorrelationMethod method_ = analysis::CorrelationMethod::Basic;
    analysis::AnalysisResult analysis_;
    analysis::CorrelationAnalyser analyser_;  // keeps its transform from one recomputation to the next
    std::function<void()> analysed_;
};

}  // namespace vexlan
