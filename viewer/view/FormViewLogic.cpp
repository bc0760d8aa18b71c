#include "view/FormViewLogic.h"
#include "res/StringIds.h"

#include <cstdio>

#include "view/FormTemplate.h"
#include "view/ScaleBarRaster.h"
#include "res/StringTable.h"
#include "view/Units.h"

namespace vexlan {

FormViewLogic::FormViewLogic(IViewDocument& document, IPrompt& prompt, Host host)
    : doc_(document),
      prompt_(prompt),
      host_(std::move(host)),
      graphBitmap_(kGraphWidth, kGraphHeight, kWhite),
      scaleBitmap_(kScaleBarWidth, kScaleBarHeight, kResourceGrey),
      keyBitmap_(kKeyWidth, kKeyHeight, kResourceGrey) {}

FormViewLogic::Rect FormViewLogic::GraphFrame() {
    const ControlTemplate* graph = FindControl(idc::kGraph);
    int left = DuToPixelsX(graph->x);
    int top = DuToPixelsY(graph->y);
    // The picture takes the size of its bitmap plus the border.
    return {left, top, left + kGraphWidth + 2, top + kGraphHeight + 2};
}

void FormViewLogic::Repaint() {
    if (host_.repaint) host_.repaint();
}

void FormViewLogic::OnInitialUpdate(int storedLengthUnit, int storedTimeUnit) {
    // The framework's own first exchange happens before the stored units are known.
    CopyToControls();
    doc_.ClearFileLoaded();
    controls_.sliderMinimum = 0;
    controls_.sliderMaximum = 418;
    controls_.sliderValue = 0;
    segmentListFilled_ = false;
    EnablePipeControls(false);
    fields_.lengthUnit = (storedLengthUnit == 0 || storedLengthUnit == 1) ? storedLengthUnit : 0;
    fields_.timeUnit = (storedTimeUnit == 0 || storedTimeUnit == 1) ? storedTimeUnit : 0;
    SetUnitTexts();
    startPointPending_ = false;
    controls_.materialItems.clear();
    for (int i = 0; i < kOfferedMaterials; ++i)
        controls_.materialItems.push_back(LoadString(string_id::kMaterialNameBase + i));
    std::string path;
    if (doc_.GetPendingOpen(path)) LoadFile(path);
}

void FormViewLogic::SetUnitTexts() {
    fields_.lengthUnitText = LengthUnitText(fields_.lengthUnit);
    fields_.diameterUnitText = DiameterUnitText(fields_.lengthUnit);
    fields_.velocityUnitText = VelocityUnitText(fields_.lengthUnit);
    fields_.velocityTimeUnitText = TimeUnitText(fields_.timeUnit);
    fields_.timeDelayUnitText = TimeUnitText(fields_.timeUnit);
}

void FormViewLogic::LoadFile(const std::string& path) {
    doc_.OpenCorrelationFile(path);
    if (!doc_.FileLoaded()) return;
    if (host_.enableFileCommands) host_.enableFileCommands();
    EnablePipeControls(true);
    RefreshAll();
}

void FormViewLogic::ResetForNewFile() {
    segmentListFilled_ = false;
    if (startPointPending_) {
        controls_.setStartPointText = LoadString(string_id::kSetStartPoint);
        startPointPending_ = false;
    }
    RefreshAll();
}

void FormViewLogic::EnablePipeControls(bool enable) {
    controls_.setStartPointEnabled = enable;
    controls_.modifyEnabled = enable;
    controls_.segmentEnabled = enable;
    controls_.materialEnabled = enable;
    controls_.lengthEnabled = enable;
    controls_.diameterEnabled = enable;
    controls_.velocityEnabled = enable;
    controls_.unitRadiosEnabled = enable;
    controls_.removeEnabled = false;
}

void FormViewLogic::RefreshAll() {
    doc_.RecomputeCorrelation();
    // The notice says the data are shown with the auto filter off: show them so.
    if (ClearAutoFilter()) doc_.RecomputeCorrelation();
    DrawGraph();
    DrawCursor();
    DrawScaleBar();
    FillSegmentList();
    ShowSegment();
    ShowFilterSettings();
    ShowFileInfo();
    ShowSensorPictures();
    ShowDistances();
    ShowTimeDelay();
    CopyToControls();
    Repaint();
}

void FormViewLogic::OnUpdate(int hint) {
    if (hint == kRefreshHint) RefreshAll();
}

void FormViewLogic::CopyToControls() {
    FormControlsState& c = controls_;
    const FormFields& f = fields_;
    c.lengthUnitChecked = f.lengthUnit;
    c.timeUnitChecked = f.timeUnit;
    c.diameterText = FormatFloatField(f.diameterValue);
    c.velocityText = FormatFloatField(f.velocityValue);
    c.lengthText = FormatFloatField(f.lengthValue);
    c.lengthUnitText = f.lengthUnitText;
    c.diameterUnitText = f.diameterUnitText;
    c.velocityUnitText = f.velocityUnitText;
    c.sliderValue = f.sliderPosition;
    c.velocityTimeUnitText = f.velocityTimeUnitText;
    c.autoFilterText = f.autoFilterText;
    c.notchFilterText = f.notchFilterText;
    c.dateCreatedText = f.dateCreatedText;
    c.fileNameText = f.fileNameText;
    c.timeDelayUnitText = f.timeDelayUnitText;
    c.timeDelayText = f.timeDelayText;
    c.lowCutText = f.lowCutText;
    c.highCutText = f.highCutText;
    c.sensor1DistanceText = f.sensor1DistanceText;
    c.sensor2DistanceText = f.sensor2DistanceText;
    c.sensor1WarningText = f.sensor1WarningText;
    c.sensor2WarningText = f.sensor2WarningText;
}

void FormViewLogic::FillSegmentList() {
    if (segmentListFilled_) return;
    controls_.segmentItems.clear();
    controls_.segmentSelection = -1;
    int used = doc_.CountSegmentsInUse();
    for (int i = 1; i <= used; ++i) controls_.segmentItems.push_back(std::to_string(i));
    segmentListFilled_ = true;
}

void FormViewLogic::ShowSegment() {
    int index = controls_.segmentSelection;
    if (index < 0) {
        // Selecting in an empty list selects nothing; the document still answers for slot 0.
        index = 0;
        controls_.segmentSelection = controls_.segmentItems.empty() ? -1 : 0;
    }
    SegmentValues s = doc_.GetSegment(index);
    fields_.lengthValue = LengthForDisplay(s.length, fields_.lengthUnit);
    fields_.velocityValue = VelocityForDisplay(s.velocity, fields_.lengthUnit, fields_.timeUnit);
    fields_.diameterValue = DiameterForDisplay(s.diameter, fields_.lengthUnit);
    int material = static_cast<std::int16_t>(s.material);
    controls_.materialSelection =
        (material >= 0 && material < static_cast<int>(controls_.materialItems.size())) ? material : -1;
    DrawSegmentKey();
    CopyToControls();
}

void FormViewLogic::DrawSegmentKey() {
    int selection = controls_.segmentSelection;
    keyBitmap_.Fill(selection >= 0 && selection < 10 ? kSegmentColours[selection] : kResourceGrey);
    Repaint();
}

void FormViewLogic::ShowFilterSettings() {
    FilterSummary filter = doc_.GetFilterSummary();
    fields_.lowCutText = FormatCutoff(filter.lowCutoff);
    fields_.highCutText = FormatCutoff(filter.highCutoff);
    fields_.autoFilterText = LoadString(string_id::kOff);
    fields_.notchFilterText = LoadString(doc_.CountNotchesInUse() > 0 ? string_id::kOn : string_id::kOff);
    CopyToControls();
}

bool FormViewLogic::ClearAutoFilter() {
    if (!doc_.GetFilterSummary().autoFilter) return false;
    prompt_.Ask(std::string(LoadString(string_id::kMsgAutoFilterNotUsed)) + "\n\n" +
                    LoadString(string_id::kMsgAutoFilterChangeIsOurs),
                PromptIcon::Information, PromptButtons::Ok);
    // The program's own change: the file asks to be saved only when the user changes something.
    const bool wasModified = doc_.IsModified();
    doc_.SetAutoFilter(0);
    if (!wasModified) doc_.SetModified(false);
    return true;
}

void FormViewLogic::ShowFileInfo() {
    FileTexts texts = doc_.GetFileTexts();
    fields_.fileNameText = texts.fileName;
    fields_.dateCreatedText = texts.createdDate;
    CopyToControls();
}

void FormViewLogic::ShowSensorPictures() {
    int pair = doc_.GetSensorPair();
    if (pair == 0) return;
    SensorPictures pictures;
    if (SensorPicturesFor(pair, pictures)) {
        controls_.sensor1Picture = pictures.left;
        controls_.sensor2Picture = pictures.right;
    }
    Repaint();
}

void FormViewLogic::OnImperial() {
    if (fields_.lengthUnit == kImperial) return;
    fields_.lengthUnit = kImperial;
    SetUnitTexts();
    CopyToControls();
    ShowDistances();
    ShowSegment();
}

void FormViewLogic::OnMetric() {
    if (fields_.lengthUnit == kMetric) return;
    fields_.lengthUnit = kMetric;
    SetUnitTexts();
    CopyToControls();
    ShowDistances();
    ShowSegment();
}

void FormViewLogic::OnSeconds() {
    if (fields_.timeUnit == kSeconds) return;
    fields_.timeUnit = kSeconds;
    SetUnitTexts();
    CopyToControls();
    ShowSegment();
    ShowTimeDelay();
}

void FormViewLogic::OnMilliseconds() {
    if (fields_.timeUnit == kMilliseconds) return;
    fields_.timeUnit = kMilliseconds;
    SetUnitTexts();
    CopyToControls();
    ShowSegment();
    ShowTimeDelay();
}

void FormViewLogic::OnSegmentChanged(int selection) {
    if (selection >= 0 && selection < static_cast<int>(controls_.segmentItems.size()))
        controls_.segmentSelection = selection;
    ShowSegment();
}

void FormViewLogic::OnMaterialChanged(int selection) {
    if (selection < 0 || selection >= static_cast<int>(controls_.materialItems.size())) return;
    controls_.materialSelection = selection;
    if (controls_.segmentSelection >= 0)
        doc_.SetSegmentMaterial(controls_.segmentSelection, static_cast<std::uint16_t>(selection));
    RefreshAll();
    ShowSegment();
}

bool FormViewLogic::OnValueDone(ValueBox box, bool modified, const ValueBoxTexts& texts, ValueBox* failedBox) {
    if (!modified) return true;
    // The boxes keep what the user typed until the next copy to the controls.
    controls_.diameterText = texts.diameter;
    controls_.velocityText = texts.velocity;
    controls_.lengthText = texts.length;
    // Only the box being left is read: a refused text in another box must not block this one.
    struct Read {
        const std::string& text;
        float maximum;
        float& field;
    };
    // A velocity of 0 is allowed: the engine then reports no usable pipe instead of dividing by it.
    const Read read = box == ValueBox::Length     ? Read{texts.length, kLengthMaximum, fields_.lengthValue}
                      : box == ValueBox::Diameter ? Read{texts.diameter, kDiameterMaximum, fields_.diameterValue}
                                                  : Read{texts.velocity, kVelocityMaximum, fields_.velocityValue};
    FieldParse p = ParseFieldValue(read.text, read.maximum);
    if (!p.value) {
        prompt_.Ask(p.error, PromptIcon::Warning, PromptButtons::Ok);
        if (failedBox) *failedBox = box;
        return false;
    }
    read.field = *p.value;
    int segment = controls_.segmentSelection;
    if (segment < 0) return true;
    switch (box) {
    case ValueBox::Length:
        doc_.SetSegmentLength(segment, LengthFromEntry(fields_.lengthValue, fields_.lengthUnit));
        break;
    case ValueBox::Diameter:
        doc_.SetSegmentDiameter(segment, DiameterFromEntry(fields_.diameterValue, fields_.lengthUnit));
        break;
    case ValueBox::Velocity:
        doc_.SetSegmentVelocity(segment,
                                VelocityFromEntry(fields_.velocityValue, fields_.lengthUnit, fields_.timeUnit));
        break;
    }
    RefreshAll();
    return true;
}

void FormViewLogic::SetSelectedSegmentVelocity(float metresPerSecond) {
    if (controls_.segmentSelection < 0) return;
    doc_.SetSegmentVelocity(controls_.segmentSelection, metresPerSecond);
    RefreshAll();
}

void FormViewLogic::DrawGraph() { vexlan::DrawGraph(graphBitmap_, doc_.DisplayTrace(), kGraphWidth); }

void FormViewLogic::DrawCursor() {
    CursorState state;
    state.cursorColumn = doc_.CursorColumn();
    state.previousCursorColumn = doc_.PreviousCursorColumn();
    state.timeDelay = doc_.TimeDelay();
    state.totalTravelTime = doc_.TotalTravelTime();
    state.startPointPending = startPointPending_;
    state.startColumn = startColumn_;
    vexlan::DrawCursor(graphBitmap_, doc_.DisplayTrace(), kGraphWidth, state);
}

void FormViewLogic::DrawScaleBar() {
    if (!scaleBitmapCreated_) {
        scaleBitmapCreated_ = true;
        controls_.sliderMinimum = 0;
        controls_.sliderMaximum = scaleBitmap_.width();
    }
    int used = doc_.CountSegmentsInUse();
    if (used > 10) used = 10;
    float lengths[10] = {};
    for (int i = 0; i < used; ++i) lengths[i] = doc_.GetSegmentLength(i);
    vexlan::DrawScaleBar(scaleBitmap_, lengths, used, doc_.TotalPipeLength());
    float from = 0, to = 0;
    if (used > 0 && doc_.FileLoaded() && doc_.LeakInterval(from, to)) {
        const float total = doc_.TotalPipeLength();
        const int width = scaleBitmap_.width();
        DrawIntervalBracket(scaleBitmap_, SliderPositionFor(from, total, width), SliderPositionFor(to, total, width));
    }
    Repaint();
}

void FormViewLogic::ShowDistances() {
    fields_.sensor1WarningText.clear();
    fields_.sensor2WarningText.clear();
    if (!doc_.FileLoaded()) {
        controls_.sensor1WarningText.clear();
        controls_.sensor2WarningText.clear();
        return;
    }
    float d1 = doc_.DistanceFromSensor1();
    float d2 = doc_.DistanceFromSensor2();
    int unit = fields_.lengthUnit == kImperial ? kImperial : kMetric;
    fields_.sensor1DistanceText = FormatDistance(d1, unit);
    fields_.sensor2DistanceText = FormatDistance(d2, unit);
    float delay = doc_.TimeDelay();
    if (DelayBeyondPipe(delay, doc_.TotalTravelTime())) {
        (delay < 0 ? fields_.sensor1WarningText : fields_.sensor2WarningText) = LoadString(string_id::kOutOfBracket);
    }
    CopyToControls();
    if (d1 + d2 > 0.1f) {
        fields_.sliderPosition = SliderPositionFor(d1, doc_.TotalPipeLength(), scaleBitmap_.width());
        controls_.sliderValue = fields_.sliderPosition;
    }
}

void FormViewLogic::ShowTimeDelay() {
    fields_.timeDelayText = FormatTimeDelay(doc_.TimeDelay(), fields_.timeUnit);
    CopyToControls();
}

void FormViewLogic::AfterCursorMove() {
    ShowTimeDelay();
    ShowDistances();
    DrawScaleBar();  // the interval bracket follows the cursor
    DrawCursor();
    Repaint();
}

void FormViewLogic::OnGraphClick(int x, int y) {
    if (!doc_.FileLoaded()) return;
    Rect frame = GraphFrame();
    if (!(frame.left < x && x < frame.left + kGraphWidth && frame.top <= y && y <= frame.bottom)) return;
    doc_.MoveCursor(x - frame.left);
    AfterCursorMove();
}

void FormViewLogic::OnMoveCursorTo(int column) {
    if (!doc_.FileLoaded()) return;
    doc_.MoveCursor(column);
    AfterCursorMove();
}

void FormViewLogic::OnLeftArrow() {
    if (!doc_.FileLoaded() || doc_.CursorColumn() <= 0) return;
    doc_.StepCursor(-1);
    AfterCursorMove();
}

void FormViewLogic::OnRightArrow() {
    if (!doc_.FileLoaded() || doc_.CursorColumn() >= kGraphWidth - 1) return;
    doc_.StepCursor(+1);
    AfterCursorMove();
}

void FormViewLogic::OnSetStartPoint() {
    if (!startPointPending_) {
        int c = doc_.CursorColumn();
        doc_.SetRemoveStart(c, kGraphCentre);
        startColumn_ = c;
        controls_.setStartPointText = LoadString(string_id::kSetEndPoint);
        controls_.removeEnabled = true;
        startPointPending_ = true;
        return;
    }
    doc_.SetRemoveEnd(doc_.CursorColumn(), kGraphCentre);
    controls_.setStartPointText = LoadString(string_id::kSetStartPoint);
    controls_.setStartPointEnabled = false;
    startPointPending_ = false;
    RefreshAll();
}

void FormViewLogic::OnRemove() {
    doc_.SetRemoveStart(0, kGraphCentre);
    doc_.SetRemoveEnd(0, kGraphCentre);
    controls_.setStartPointEnabled = true;
    controls_.removeEnabled = false;
    if (startPointPending_) {
        controls_.setStartPointText = LoadString(string_id::kSetStartPoint);
        startPointPending_ = false;
    }
    RefreshAll();
}

}  // namespace vexlan
