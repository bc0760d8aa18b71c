#pragma once
// The Filter Settings dialog without widgets: the working copy of the filter block, the notch
// bookkeeping, what each control shows and every button's rule. The QDialog forwards its events
// here and then shows Controls(); tests drive it the same way.

#include <cstdint>
#include <string>

#include "correlation/CorrelationRecord.h"
#include "raster/PixelBuffer.h"
#include "res/Prompt.h"
#include "dialogs/SpectrumRaster.h"

namespace vexlan {

constexpr int kSliderMaximum = kSpectrumGraphWidth;  // one position per column of the spectrum graph
constexpr float kHertzPerPosition = 2.420635f;       // 1220 / 504 in single precision
constexpr float kPositionsPerHertz = 0.41311476f;    // 504 / 1220 in single precision

// The frequency a slider position stands for, in the precision the record stores.
float PositionFrequency(int position);
// The position (and graph column) a frequency falls into, truncated toward zero.
int FrequencyPosition(double hertz);

struct FilterDialogControls {
    int sliderPos = 0;
    std::string cursorText;      // 1093
    std::string lowCutoffText;   // 1133
    std::string highCutoffText;  // 1132
    std::string notchLowText;    // 1134
    std::string notchHighText;   // 1138
    bool radioEnabled[kNotchCount] = {};
    int checkedRadio = -1;         // -1: none checked
    bool notchSetEnabled = false;  // 1089 and 1091
    bool deleteEnabled = false;    // 1150
};

class FilterSettingsLogic {
public:
    explicit FilterSettingsLogic(IPrompt& prompt);

    // The record's filter block, both display spectra (2048 values each, not owned) and sensorPair.
    void Initialise(const FilterSettings& filter, const std::int16_t* spectrum1Db, const std::int16_t* spectrum2Db,
                    int sensorPair);
    void OnInitDialog();

    void OnSliderMoved(int position);
    // A frequency typed into the cursor field: moves the slider to its position. Anything but a
    // number within the scale is refused with a message and leaves everything as it was.
    bool OnCursorEntered(const std::string& text);
    void OnSetLowCutoff();
    void OnSetHighCutoff();
    void OnSelectNotch(int index);
    void OnAddNotch();
    void OnDeleteNotch();
    void OnSetNotchLow();
    void OnSetNotchHigh();
    void OnClear();
    // Puts a suggested band into both cut-offs (limited to the dialog's scale); a band with
    // high <= low means none was found and is refused with a message.
    void OnSuggest(float low, float high);

    const FilterSettings& Filter() const { return filter_; }
    void ReadBack(FilterSettings& out) const { out = filter_; }
    unsigned NotchCount() const { return notchCount_; }
    int SelectedNotch() const { return selected_; }
    int SensorPair() const { return sensorPair_; }
    const FilterDialogControls& Controls() const { return controls_; }

    // Counts the redraws the rules ask for, so the dialog knows when to render again.
    unsigned GraphGeneration() const { return graphGeneration_; }
    // Renders both graphs (upper: spectrum 1, lower: spectrum 2) into buffers of any size.
    void DrawGraphs(PixelBuffer& upper, PixelBuffer& lower) const;

private:
    void ShowNotch(int index);
    void ShowCutoffs();
    void RedrawGraphs() { ++graphGeneration_; }
    void Warn(int stringId);
    bool OverlapsAnotherNotch(int index, float low, float high) const;
    void DeleteSelected();
    void SetSlider(int position);

    IPrompt& prompt_;
    FilterSettings filter_{};
    unsigned notchCount_ = 0;
    int selected_ = -1;
    const std::int16_t* spectrum1_ = nullptr;
    const std::int16_t* spectrum2_ = nullptr;
    int sensorPair_ = 0;
    FilterDialogControls controls_;
    unsigned graphGeneration_ = 0;
};

// Messages of the checks this program adds to the dialog's own.

}  // namespace vexlan
