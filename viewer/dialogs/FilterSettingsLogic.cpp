#include "dialogs/FilterSettingsLogic.h"
#include "res/StringIds.h"

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dialogs/SpectrumRaster.h"
#include "res/StringTable.h"

namespace vexlan {

namespace {

bool IsSet(float hertz) { return hertz > 0; }  // also false for NaN

std::string OneDecimal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string CutoffText(float hertz) { return IsSet(hertz) ? OneDecimal(hertz) : LoadString(string_id::kOpen); }
std::string EdgeText(float hertz) { return IsSet(hertz) ? OneDecimal(hertz) : LoadString(string_id::kNotSet); }

}  // namespace

float PositionFrequency(int position) { return static_cast<float>(position) * kHertzPerPosition; }

int FrequencyPosition(double hertz) {
    if (!(hertz > 0) || !std::isfinite(hertz)) return 0;
    double p = std::trunc(hertz * static_cast<double>(kPositionsPerHertz));
    return p > kSliderMaximum ? kSliderMaximum : static_cast<int>(p);
}

FilterSettingsLogic::FilterSettingsLogic(IPrompt& prompt) : prompt_(prompt) {}

void FilterSettingsLogic::Initialise(const FilterSettings& filter, const std::int16_t* spectrum1Db,
                                     const std::int16_t* spectrum2Db, int sensorPair) {
    filter_ = filter;
    // The notches with a low edge are the ones in use. Gathered into the first slots, so a gap
    // left by other software cannot hide a notch that still filters but could not be deleted.
    NotchFilter used[kNotchCount] = {};
    notchCount_ = 0;
    for (const NotchFilter& n : filter.notches)
        if (IsSet(n.notchStart)) used[notchCount_++] = n;
    for (int i = 0; i < kNotchCount; ++i) filter_.notches[i] = used[i];
    spectrum1_ = spectrum1Db;
    spectrum2_ = spectrum2Db;
    sensorPair_ = sensorPair;
}

void FilterSettingsLogic::OnInitDialog() {
    SetSlider(0);
    controls_.notchSetEnabled = false;
    controls_.deleteEnabled = false;
    for (bool& e : controls_.radioEnabled) e = false;
    if (notchCount_ > 0) {
        controls_.checkedRadio = 0;
        selected_ = 0;
        controls_.notchSetEnabled = true;
        controls_.deleteEnabled = true;
        for (unsigned i = 0; i < notchCount_; ++i) controls_.radioEnabled[i] = true;
    }
    ShowNotch(0);
    ShowCutoffs();
    RedrawGraphs();
}

void FilterSettingsLogic::SetSlider(int position) {
    controls_.sliderPos = position < 0 ? 0 : position > kSliderMaximum ? kSliderMaximum : position;
}

void FilterSettingsLogic::OnSliderMoved(int position) {
    SetSlider(position);
    controls_.cursorText = OneDecimal(PositionFrequency(controls_.sliderPos));
}

bool FilterSettingsLogic::OnCursorEntered(const std::string& text) {
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t') ++begin;
    char* end = nullptr;
    double hertz = std::strtod(begin, &end);
    bool number = end != begin && (*begin == '.' || (*begin >= '0' && *begin <= '9'));
    while (number && (*end == ' ' || *end == '\t')) ++end;
    if (!number || *end != '\0' || !(hertz >= 0) || hertz > PositionFrequency(kSliderMaximum)) {
        Warn(string_id::kMsgFrequencyEntry);
        return false;
    }
    OnSliderMoved(static_cast<int>(std::lround(hertz / static_cast<double>(kHertzPerPosition))));
    return true;
}

void FilterSettingsLogic::Warn(int stringId) { AskString(prompt_, stringId, PromptIcon::Warning, PromptButtons::Ok); }

void FilterSettingsLogic::ShowCutoffs() {
    controls_.lowCutoffText = CutoffText(filter_.lowCutoff);
    controls_.highCutoffText = CutoffText(filter_.highCutoff);
}

void FilterSettingsLogic::ShowNotch(int index) {
    if (index < 0 || index >= kNotchCount) return;
    const NotchFilter& n = filter_.notches[index];
    if (!IsSet(n.notchEnd)) {
        SetSlider(0);
        controls_.cursorText.clear();
        controls_.notchLowText = LoadString(string_id::kNotSet);
        controls_.notchHighText = LoadString(string_id::kNotSet);
        return;
    }
    controls_.notchHighText = EdgeText(n.notchEnd);
    if (!IsSet(n.notchStart)) {
        controls_.notchLowText = LoadString(string_id::kNotSet);
        return;
    }
    controls_.notchLowText = EdgeText(n.notchStart);
    double centre = (static_cast<double>(n.notchStart) + static_cast<double>(n.notchEnd)) * 0.5;
    SetSlider(FrequencyPosition(centre));
    // The centre itself, not the frequency of the position the slider lands on.
    controls_.cursorText = OneDecimal(static_cast<float>(centre));
}

void FilterSettingsLogic::OnSetLowCutoff() {
    float f = PositionFrequency(controls_.sliderPos);
    if (IsSet(filter_.highCutoff) && f > filter_.highCutoff) return Warn(string_id::kMsgLowAboveHigh);
    filter_.lowCutoff = f;
    ShowCutoffs();
    RedrawGraphs();
}

void FilterSettingsLogic::OnSuggest(float low, float high) {
    const float top = PositionFrequency(kSliderMaximum);
    low = std::clamp(low, 0.0f, top);
    high = std::clamp(high, 0.0f, top);
    if (!(high > low)) return Warn(string_id::kMsgNoSuggestedBand);
    filter_.lowCutoff = low;
    filter_.highCutoff = high;
    ShowCutoffs();
    RedrawGraphs();
}

void FilterSettingsLogic::OnSetHighCutoff() {
    float f = PositionFrequency(controls_.sliderPos);
    if (IsSet(filter_.lowCutoff) && f < filter_.lowCutoff) return Warn(string_id::kMsgHighBelowLow);
    filter_.highCutoff = f;
    ShowCutoffs();
    RedrawGraphs();
}

void FilterSettingsLogic::OnSelectNotch(int index) {
    if (index < 0 || index >= kNotchCount || selected_ == index) return;
    selected_ = index;
    controls_.checkedRadio = index;
    ShowNotch(index);
}

bool FilterSettingsLogic::OverlapsAnotherNotch(int index, float low, float high) const {
    for (unsigned j = 0; j < notchCount_; ++j) {
        const NotchFilter& other = filter_.notches[j];
        if (static_cast<int>(j) == index || !IsSet(other.notchStart)) continue;
        if (low < other.notchEnd && other.notchStart < high) return true;  // touching is fine
    }
    return false;
}

void FilterSettingsLogic::OnSetNotchLow() {
    if (selected_ < 0 || selected_ >= kNotchCount) return;
    NotchFilter& n = filter_.notches[selected_];
    float f = PositionFrequency(controls_.sliderPos);
    float high = IsSet(n.notchEnd) ? n.notchEnd : 0.0f;
    if (f > high) return Warn(string_id::kMsgLowAboveHigh);
    if (IsSet(f) && OverlapsAnotherNotch(selected_, f, high)) {
        return Warn(string_id::kMsgNotchOverlap);
    }
    n.notchStart = f;
    ShowNotch(selected_);
    RedrawGraphs();
}

void FilterSettingsLogic::OnSetNotchHigh() {
    if (selected_ < 0 || selected_ >= kNotchCount) return;
    NotchFilter& n = filter_.notches[selected_];
    float f = PositionFrequency(controls_.sliderPos);
    if (IsSet(n.notchStart) && f < n.notchStart) return Warn(string_id::kMsgHighBelowLow);
    if (IsSet(n.notchStart) && OverlapsAnotherNotch(selected_, n.notchStart, f)) {
        return Warn(string_id::kMsgNotchOverlap);
    }
    n.notchEnd = f;
    ShowNotch(selected_);
    RedrawGraphs();
}

void FilterSettingsLogic::OnAddNotch() {
    unsigned n = notchCount_;
    if (n == kNotchCount) return Warn(string_id::kMsgFiveNotches);
    if (n > 0 && !IsSet(filter_.notches[n - 1].notchStart)) return Warn(string_id::kMsgSetPreviousNotch);
    if (n == 0) {
        controls_.deleteEnabled = true;
        controls_.notchSetEnabled = true;
    }
    controls_.radioEnabled[n] = true;
    selected_ = static_cast<int>(n);
    controls_.checkedRadio = selected_;
    filter_.notches[n] = NotchFilter{};
    controls_.notchLowText = LoadString(string_id::kNotSet);
    controls_.notchHighText = LoadString(string_id::kNotSet);
    notchCount_ = n + 1;
}

void FilterSettingsLogic::DeleteSelected() {
    int s = selected_;
    int n = static_cast<int>(notchCount_);
    if (n == 0 || s >= n) return;
    for (int i = s; i + 1 < n; ++i) filter_.notches[i] = filter_.notches[i + 1];
    filter_.notches[n - 1] = NotchFilter{};
    controls_.radioEnabled[n - 1] = false;
    if (n == 1) {
        controls_.deleteEnabled = false;
        controls_.notchSetEnabled = false;
    }
    if (s > 0) {
        selected_ = s - 1;
        controls_.checkedRadio = selected_;
    }
    ShowNotch(selected_);
    notchCount_ = static_cast<unsigned>(n - 1);
}

void FilterSettingsLogic::OnDeleteNotch() {
    if (selected_ < 0 || selected_ >= kNotchCount) return Warn(string_id::kMsgSelectNotch);
    if (notchCount_ == 0) return;
    DeleteSelected();
    RedrawGraphs();
}

void FilterSettingsLogic::OnClear() {
    filter_.lowCutoff = 0;
    filter_.highCutoff = 0;
    ShowCutoffs();
    if (notchCount_ > 0 && (selected_ < 0 || selected_ >= static_cast<int>(notchCount_))) selected_ = 0;
    while (notchCount_ > 0) DeleteSelected();
    // Clear means no filter at all, also in slots behind the ones in use.
    for (NotchFilter& n : filter_.notches) n = NotchFilter{};
    RedrawGraphs();
    controls_.cursorText.clear();
    SetSlider(0);
}

void FilterSettingsLogic::DrawGraphs(PixelBuffer& upper, PixelBuffer& lower) const {
    // The display spectra hold 2048 values, two per column.
    constexpr int kSpectrumValues = 2048;
    auto draw = [&](PixelBuffer& buffer, const std::int16_t* spectrum, SpectrumGraph graph) {
        if (!spectrum || 2 * buffer.width() > kSpectrumValues) return buffer.Fill(kWhite);
        DrawSpectrum(buffer, spectrum, SpectrumTraceColour(sensorPair_, graph), filter_, notchCount_);
    };
    draw(upper, spectrum1_, SpectrumGraph::Upper);
    draw(lower, spectrum2_, SpectrumGraph::Lower);
}

}  // namespace vexlan
