#include <gtest/gtest.h>

#include "dialogs/FilterSettingsLogic.h"
#include "res/StringIds.h"
#include "dialogs/SpectrumRaster.h"
#include "res/StringTable.h"

using namespace vexlan;

namespace {

class FilterLogic : public ::testing::Test {
protected:
    ScriptedPrompt prompt;
    FilterSettingsLogic logic{prompt};
    std::int16_t spectrum1[2048] = {};
    std::int16_t spectrum2[2048] = {};

    void Open(const FilterSettings& f, int sensorPair = 6) {
        logic.Initialise(f, spectrum1, spectrum2, sensorPair);
        logic.OnInitDialog();
    }
    // Slider to the position, then press a Set button.
    void At(int position, void (FilterSettingsLogic::*set)()) {
        logic.OnSliderMoved(position);
        (logic.*set)();
    }
    std::string LastMessage() const { return prompt.asked().empty() ? "" : prompt.asked().back().text; }
    size_t Messages() const { return prompt.asked().size(); }
};

TEST_F(FilterLogic, OpeningWithoutNotchesDisablesNotchControls) {
    FilterSettings f;
    f.highCutoff = 1000;
    Open(f);
    const auto& c = logic.Controls();
    for (bool e : c.radioEnabled) EXPECT_FALSE(e);
    EXPECT_FALSE(c.notchSetEnabled);
    EXPECT_FALSE(c.deleteEnabled);
    EXPECT_EQ(c.checkedRadio, -1);
    EXPECT_EQ(c.notchLowText, "NOT SET");
    EXPECT_EQ(c.notchHighText, "NOT SET");
    EXPECT_EQ(c.lowCutoffText, "OPEN");
    EXPECT_EQ(c.highCutoffText, "1000.0");
    EXPECT_EQ(logic.SelectedNotch(), -1);
    EXPECT_EQ(c.cursorText, "");
}

TEST_F(FilterLogic, FrequencyScale) {
    EXPECT_EQ(PositionFrequency(504), 1220.0f);
    EXPECT_EQ(PositionFrequency(3), 7.2619047f);
    EXPECT_EQ(FrequencyPosition(150.0), 61);
    EXPECT_EQ(FrequencyPosition(7.2619047f), 2);  // one of the positions that maps back one lower
    EXPECT_EQ(FrequencyPosition(-5), 0);
    EXPECT_EQ(FrequencyPosition(1e9), 504);
    Open(FilterSettings{});
    logic.OnSliderMoved(504);
    EXPECT_EQ(logic.Controls().cursorText, "1220.0");
    logic.OnSliderMoved(900);
    EXPECT_EQ(logic.Controls().sliderPos, 504);
}

TEST_F(FilterLogic, CutoffsRefuseCrossingEachOther) {
    Open(FilterSettings{});
    At(400, &FilterSettingsLogic::OnSetHighCutoff);
    EXPECT_EQ(logic.Filter().highCutoff, PositionFrequency(400));
    unsigned generation = logic.GraphGeneration();
    At(401, &FilterSettingsLogic::OnSetLowCutoff);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgLowAboveHigh));
    EXPECT_EQ(logic.Filter().lowCutoff, 0.0f);
    EXPECT_EQ(logic.GraphGeneration(), generation);  // a refused Set redraws nothing
    At(400, &FilterSettingsLogic::OnSetLowCutoff);   // equal is accepted
    EXPECT_EQ(logic.Filter().lowCutoff, logic.Filter().highCutoff);
    EXPECT_EQ(logic.Controls().lowCutoffText, "968.3");
    At(399, &FilterSettingsLogic::OnSetHighCutoff);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgHighBelowLow));
    EXPECT_EQ(logic.Filter().highCutoff, PositionFrequency(400));
    At(0, &FilterSettingsLogic::OnSetLowCutoff);  // slider at 0 opens the cut-off again
    EXPECT_EQ(logic.Controls().lowCutoffText, "OPEN");
    EXPECT_EQ(Messages(), 2u);
}

TEST_F(FilterLogic, LowCutoffWithoutHighIsAccepted) {
    Open(FilterSettings{});
    At(504, &FilterSettingsLogic::OnSetLowCutoff);
    EXPECT_EQ(logic.Filter().lowCutoff, 1220.0f);
    EXPECT_EQ(Messages(), 0u);
}

TEST_F(FilterLogic, NewNotchNeedsItsHighEdgeFirst) {
    Open(FilterSettings{});
    logic.OnAddNotch();
    EXPECT_TRUE(logic.Controls().deleteEnabled);
    EXPECT_TRUE(logic.Controls().radioEnabled[0]);
    EXPECT_EQ(logic.SelectedNotch(), 0);
    At(10, &FilterSettingsLogic::OnSetNotchLow);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgLowAboveHigh));
    At(100, &FilterSettingsLogic::OnSetNotchHigh);
    At(100, &FilterSettingsLogic::OnSetNotchLow);  // at the high edge: accepted
    EXPECT_EQ(logic.Filter().notches[0].notchStart, PositionFrequency(100));
    At(60, &FilterSettingsLogic::OnSetNotchLow);
    EXPECT_EQ(logic.Filter().notches[0].notchStart, PositionFrequency(60));
    EXPECT_EQ(Messages(), 1u);
    // Shown with the slider at the centre and the centre itself in the cursor field.
    double centre = (static_cast<double>(PositionFrequency(60)) + PositionFrequency(100)) * 0.5;
    EXPECT_EQ(logic.Controls().sliderPos, FrequencyPosition(centre));
    At(50, &FilterSettingsLogic::OnSetNotchHigh);  // below the low edge
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgHighBelowLow));
}

TEST_F(FilterLogic, AddRefusesSixthAndIncompleteNotches) {
    Open(FilterSettings{});
    logic.OnAddNotch();
    logic.OnAddNotch();
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgSetPreviousNotch));
    EXPECT_EQ(logic.NotchCount(), 1u);
    FilterSettings five;
    for (int i = 0; i < 5; ++i) five.notches[i] = {100.0f + 100 * i, 150.0f + 100 * i};
    Open(five);
    EXPECT_EQ(logic.NotchCount(), 5u);
    logic.OnAddNotch();
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgFiveNotches));
    EXPECT_EQ(logic.NotchCount(), 5u);
}

TEST_F(FilterLogic, SelectingACompleteNotchCentresTheSlider) {
    FilterSettings f;
    f.notches[0] = {300, 400};
    f.notches[1] = {100, 200};
    Open(f);
    logic.OnSelectNotch(1);
    EXPECT_EQ(logic.Controls().sliderPos, 61);
    EXPECT_EQ(logic.Controls().cursorText, "150.0");
    EXPECT_EQ(logic.Controls().notchLowText, "100.0");
    EXPECT_EQ(logic.Controls().notchHighText, "200.0");
    EXPECT_EQ(logic.Controls().checkedRadio, 1);
}

TEST_F(FilterLogic, DeletingTheMiddleNotchMovesTheRestDown) {
    FilterSettings f;
    f.notches[0] = {100, 200};
    f.notches[1] = {300, 400};
    f.notches[2] = {500, 600};
    Open(f);
    logic.OnSelectNotch(1);
    logic.OnDeleteNotch();
    EXPECT_EQ(logic.NotchCount(), 2u);
    EXPECT_EQ(logic.Filter().notches[1].notchStart, 500.0f);
    EXPECT_EQ(logic.Filter().notches[2].notchStart, 0.0f);
    EXPECT_EQ(logic.Filter().notches[2].notchEnd, 0.0f);
    EXPECT_FALSE(logic.Controls().radioEnabled[2]);
    EXPECT_TRUE(logic.Controls().radioEnabled[1]);
    EXPECT_EQ(logic.SelectedNotch(), 0);
    EXPECT_EQ(logic.Controls().notchLowText, "100.0");
    // Deleting the first of one leaves the notch controls disabled.
    logic.OnDeleteNotch();
    logic.OnDeleteNotch();
    EXPECT_EQ(logic.NotchCount(), 0u);
    EXPECT_FALSE(logic.Controls().deleteEnabled);
    EXPECT_FALSE(logic.Controls().notchSetEnabled);
    logic.OnDeleteNotch();  // nothing left: nothing happens
    EXPECT_EQ(Messages(), 0u);
}

TEST_F(FilterLogic, DeleteWithoutSelectionAsksForOne) {
    Open(FilterSettings{});
    logic.OnDeleteNotch();
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgSelectNotch));
}

TEST_F(FilterLogic, GapsInTheNotchSlotsAreClosedSoEveryNotchShows) {
    FilterSettings f;
    f.notches[0] = {0, 300};  // an incomplete slot before a complete one
    f.notches[1] = {100, 200};
    f.notches[3] = {400, 500};
    Open(f);
    EXPECT_EQ(logic.NotchCount(), 2u);
    EXPECT_EQ(logic.Filter().notches[0].notchStart, 100.0f);
    EXPECT_EQ(logic.Filter().notches[1].notchStart, 400.0f);
    EXPECT_EQ(logic.Filter().notches[2].notchEnd, 0.0f);
    EXPECT_EQ(logic.Filter().notches[3].notchEnd, 0.0f);
}

TEST_F(FilterLogic, ClearRemovesEveryFilterAndKeepsTheSpareWords) {
    FilterSettings f;
    f.lowCutoff = 50;
    f.highCutoff = 900;
    f.notches[0] = {100, 200};
    f.notches[1] = {300, 400};
    f.filterSpare1 = 1.5f;
    f.filterSpare2 = -2.5f;
    f.autoFilter = 1;
    f.reserved[1] = 7;
    Open(f);
    logic.OnSelectNotch(1);
    logic.OnClear();
    FilterSettings out;
    logic.ReadBack(out);
    EXPECT_EQ(out.lowCutoff, 0.0f);
    EXPECT_EQ(out.highCutoff, 0.0f);
    for (const NotchFilter& n : out.notches) {
        EXPECT_EQ(n.notchStart, 0.0f);
        EXPECT_EQ(n.notchEnd, 0.0f);
    }
    EXPECT_EQ(out.filterSpare1, 1.5f);
    EXPECT_EQ(out.filterSpare2, -2.5f);
    EXPECT_EQ(out.autoFilter, 1);
    EXPECT_EQ(out.reserved[1], 7);
    EXPECT_EQ(logic.NotchCount(), 0u);
    EXPECT_EQ(logic.Controls().lowCutoffText, "OPEN");
    EXPECT_EQ(logic.Controls().sliderPos, 0);
    EXPECT_EQ(logic.Controls().cursorText, "");
}

TEST_F(FilterLogic, OverlappingNotchEdgesAreRefused) {
    FilterSettings f;
    f.notches[0] = {PositionFrequency(100), PositionFrequency(150)};
    Open(f);
    logic.OnAddNotch();
    At(120, &FilterSettingsLogic::OnSetNotchHigh);  // high edge alone filters nothing yet
    At(110, &FilterSettingsLogic::OnSetNotchLow);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgNotchOverlap));
    EXPECT_EQ(logic.Filter().notches[1].notchStart, 0.0f);
    At(200, &FilterSettingsLogic::OnSetNotchHigh);
    At(150, &FilterSettingsLogic::OnSetNotchLow);  // touching the first notch is fine
    EXPECT_EQ(logic.Filter().notches[1].notchStart, PositionFrequency(150));
    logic.OnSelectNotch(0);
    At(160, &FilterSettingsLogic::OnSetNotchHigh);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgNotchOverlap));
    EXPECT_EQ(logic.Filter().notches[0].notchEnd, PositionFrequency(150));
    EXPECT_EQ(Messages(), 2u);
}

TEST_F(FilterLogic, TypedFrequenciesMoveTheSliderOrAreRefused) {
    Open(FilterSettings{});
    EXPECT_TRUE(logic.OnCursorEntered(" 150 "));
    EXPECT_EQ(logic.Controls().sliderPos, 62);
    EXPECT_EQ(logic.Controls().cursorText, "150.1");
    for (const char* bad : {"abc", "-5", "1220.5", "", "nan", "inf", "12x", "1e9"}) {
        EXPECT_FALSE(logic.OnCursorEntered(bad)) << bad;
        EXPECT_EQ(logic.Controls().sliderPos, 62) << bad;
    }
    EXPECT_EQ(Messages(), 8u);
    EXPECT_EQ(LastMessage(), LoadString(string_id::kMsgFrequencyEntry));
    EXPECT_TRUE(logic.OnCursorEntered("1220"));
    EXPECT_EQ(logic.Controls().sliderPos, 504);
}

TEST_F(FilterLogic, GraphsGreyTheWorkingCopysBands) {
    for (auto& v : spectrum1) v = -154;
    for (auto& v : spectrum2) v = -154;
    Open(FilterSettings{}, 6);
    At(41, &FilterSettingsLogic::OnSetLowCutoff);
    PixelBuffer upper(kSpectrumGraphWidth, kSpectrumGraphHeight), lower(kSpectrumGraphWidth, kSpectrumGraphHeight);
    logic.DrawGraphs(upper, lower);
    EXPECT_EQ(upper.At(20, 154), kRemovedGrey);
    EXPECT_EQ(upper.At(100, 154), MakeRgb(0, 0, 255));
    EXPECT_EQ(lower.At(100, 154), MakeRgb(255, 0, 0));
}

}  // namespace
