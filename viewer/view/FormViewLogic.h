#pragma once
// Everything the main form does, without any widgets: the exchanged values, what the controls
// show, the three rasters, and the handlers. The widget class forwards its events here and then
// shows Controls(); tests drive it the same way.

#include <functional>
#include <string>
#include <vector>

#include "view/FormTemplate.h"
#include "res/StringIds.h"
#include "view/GraphRaster.h"
#include "raster/PixelBuffer.h"
#include "res/Prompt.h"
#include "view/SensorArt.h"
#include "res/StringTable.h"
#include "view/ViewDocument.h"

namespace vexlan {

// The values the form exchanges with its controls.
struct FormFields {
    int lengthUnit = -1;
    int timeUnit = -1;
    float diameterValue = 0;
    float velocityValue = 0;
    float lengthValue = 0;
    int sliderPosition = 0;
    std::string lengthUnitText = LoadString(string_id::kMetre);
    std::string diameterUnitText = LoadString(string_id::kMillimetre);
    std::string velocityUnitText = LoadString(string_id::kMetrePer);
    std::string velocityTimeUnitText = LoadString(string_id::kSecond);
    std::string timeDelayUnitText = LoadString(string_id::kSecond);
    std::string autoFilterText, notchFilterText, dateCreatedText, fileNameText;
    std::string timeDelayText, lowCutText, highCutText;
    std::string sensor1DistanceText, sensor2DistanceText, sensor1WarningText, sensor2WarningText;
};

// What the controls show. Texts and radio checks change only when the fields are copied to the
// controls; list contents, enabling, pictures and the slider change at once.
struct FormControlsState {
    // Exchanged (as last copied).
    int lengthUnitChecked = -1;  // -1: no radio of the group checked
    int timeUnitChecked = -1;
    std::string lengthText, diameterText, velocityText;
    std::string lengthUnitText, diameterUnitText, velocityUnitText, velocityTimeUnitText;
    std::string timeDelayUnitText = ControlText(idc::kTimeDelayUnit);
    std::string timeDelayText, lowCutText, highCutText, autoFilterText, notchFilterText;
    std::string fileNameText, dateCreatedText;
    std::string sensor1DistanceText, sensor2DistanceText, sensor1WarningText, sensor2WarningText;

    // Direct.
    std::vector<std::string> segmentItems;
    int segmentSelection = -1;
    std::vector<std::string> materialItems;
    int materialSelection = -1;
    int sliderMinimum = 0, sliderMaximum = 418, sliderValue = 0;
    std::string setStartPointText = LoadString(string_id::kSetStartPoint);
    bool setStartPointEnabled = true, removeEnabled = true, modifyEnabled = true;
    bool segmentEnabled = true, materialEnabled = false;
    bool lengthEnabled = true, diameterEnabled = false, velocityEnabled = true, unitRadiosEnabled = true;
    SensorKind sensor1Picture = SensorKind::Red;
    SensorKind sensor2Picture = SensorKind::Blue;
};

// Which value box an edit came from.
enum class ValueBox { Length, Diameter, Velocity };

struct ValueBoxTexts {
    std::string length, diameter, velocity;
};

class FormViewLogic {
public:
    struct Host {
        std::function<void()> enableFileCommands;  // the frame's EnableFileCommands
        std::function<void()> repaint;             // pictures changed
    };

    FormViewLogic(IViewDocument& document, IPrompt& prompt, Host host = {});

    // Start-up with the stored unit choices (any value but 0 or 1 counts as 0).
    void OnInitialUpdate(int storedLengthUnit, int storedTimeUnit);
    void LoadFile(const std::string& path);

    void ResetForNewFile();
    void EnablePipeControls(bool enable);
    void ShowFileInfo();
    void RefreshAll();
    void OnUpdate(int hint);

    void OnImperial();
    void OnMetric();
    void OnSeconds();
    void OnMilliseconds();
    void OnSegmentChanged(int selection);
    void OnMaterialChanged(int selection);
    // A value box lost focus. Returns false when its text was refused (the message has been shown
    // and the caller puts the focus back on `failedBox`).
    bool OnValueDone(ValueBox box, bool modified, const ValueBoxTexts& texts, ValueBox* failedBox = nullptr);
    // A velocity from elsewhere (the calculator) for the selected segment, stored as the box stores one.
    void SetSelectedSegmentVelocity(float metresPerSecond);

    // A left click at form coordinates.
    void OnGraphClick(int x, int y);
    void OnMoveCursorTo(int column);  // a peak chosen from the peak list
    void OnSetStartPoint();
    void OnRemove();
    // The arrow buttons beside the graph: one column, never past either end.
    void OnLeftArrow();
    void OnRightArrow();
    // After any cursor move (a click or an arrow).
    void AfterCursorMove();

    const FormFields& Fields() const { return fields_; }
    const FormControlsState& Controls() const { return controls_; }
    const PixelBuffer& GraphPixels() const { return graphBitmap_; }
    const PixelBuffer& ScaleBarPixels() const { return scaleBitmap_; }
    const PixelBuffer& KeyPixels() const { return keyBitmap_; }
    bool StartPointPending() const { return startPointPending_; }
    int StartColumn() const { return startColumn_; }

    // The graph picture with its one-pixel border, in form coordinates.
    struct Rect {
        int left, top, right, bottom;
    };
    static Rect GraphFrame();

    // The drawing steps, public for the arrow buttons and printing.
    void DrawGraph();
    void DrawCursor();
    void DrawScaleBar();
    void ShowDistances();
    void ShowTimeDelay();
    void CopyToControls();

private:
    void FillSegmentList();
    void ShowSegment();
    void DrawSegmentKey();
    void ShowFilterSettings();
    // Clears a file's auto filter flag with a notice; returns whether it was set.
    bool ClearAutoFilter();
    void ShowSensorPictures();
    void SetUnitTexts();
    void Repaint();

    IViewDocument& doc_;
    IPrompt& prompt_;
    Host host_;
    FormFields fields_;
    FormControlsState controls_;
    bool segmentListFilled_ = false;
    bool startPointPending_ = false;
    int startColumn_ = 0;
    bool scaleBitmapCreated_ = false;
    PixelBuffer graphBitmap_;
    PixelBuffer scaleBitmap_;
    PixelBuffer keyBitmap_;
};

constexpr int kKeyWidth = 110;
constexpr int kKeyHeight = 19;
constexpr Rgb kResourceGrey = MakeRgb(192, 192, 192);
constexpr int kRefreshHint = 100;
constexpr int kOfferedMaterials = 11;

}  // namespace vexlan
