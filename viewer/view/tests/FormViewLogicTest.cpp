#include <gtest/gtest.h>

#include "view/tests/FakeDocument.h"
#include "view/FormTemplate.h"
#include "view/FormViewLogic.h"
#include "view/ScaleBarRaster.h"

using namespace vexlan;
using vexlan::test::FakeDocument;

namespace {

class FormViewLogicTest : public ::testing::Test {
protected:
    FormViewLogicTest() : view(doc, prompt, {[this] { ++fileCommandsEnabled; }, {}}) {
        doc.UseSegments({{100, 1000, 150, 2}});
        doc.travelTime = 0.1f;
        doc.d1 = 50;
        doc.d2 = 50;
        doc.trace[400] = 179;
        doc.trace[100] = 120;
        doc.texts.fileName = "pipe.ked";
        doc.texts.createdDate = "01/02/2026";
    }
    void Load(int lengthUnit = 0, int timeUnit = 0) {
        doc.pendingPath = "/data/pipe.ked";
        view.OnInitialUpdate(lengthUnit, timeUnit);
    }
    ValueBoxTexts Boxes() const {
        const FormControlsState& c = view.Controls();
        return {c.lengthText, c.diameterText, c.velocityText};
    }

    FakeDocument doc;
    ScriptedPrompt prompt;
    int fileCommandsEnabled = 0;
    FormViewLogic view;
};

}  // namespace

TEST_F(FormViewLogicTest, StartedWithoutAFileShowsDefaultsWhateverIsStored) {
    view.OnInitialUpdate(1, 1);
    const FormControlsState& c = view.Controls();
    EXPECT_EQ(c.lengthUnitChecked, -1);
    EXPECT_EQ(c.timeUnitChecked, -1);
    EXPECT_EQ(c.lengthUnitText, "m");
    EXPECT_EQ(c.diameterUnitText, "mm");
    EXPECT_EQ(c.velocityUnitText, "m /");
    EXPECT_EQ(c.timeDelayUnitText, "s");
    EXPECT_FALSE(c.lengthEnabled);
    EXPECT_FALSE(c.setStartPointEnabled);
    EXPECT_EQ(c.materialItems.size(), 11u);
    EXPECT_EQ(c.materialItems[10], "Steel");
    EXPECT_EQ(fileCommandsEnabled, 0);
    EXPECT_EQ(doc.recomputes, 0);
}

TEST_F(FormViewLogicTest, PendingOpenLoadsAndShowsEverything) {
    doc.notches = 1;
    doc.filter.lowCutoff = 0;
    doc.filter.highCutoff = 800;
    doc.sensorPair = 10;
    Load(7, 1);  // an unknown stored length unit counts as metric
    const FormControlsState& c = view.Controls();
    EXPECT_EQ(doc.openedPath, "/data/pipe.ked");
    EXPECT_EQ(fileCommandsEnabled, 1);
    EXPECT_EQ(c.lengthUnitChecked, 0);
    EXPECT_EQ(c.timeUnitChecked, 1);
    EXPECT_EQ(c.segmentItems, std::vector<std::string>({"1"}));
    EXPECT_EQ(c.segmentSelection, 0);
    EXPECT_EQ(c.materialSelection, 2);
    EXPECT_EQ(c.lengthText, "100");
    EXPECT_EQ(c.velocityText, "1");  // 1000 m/s in m/ms
    EXPECT_EQ(c.velocityTimeUnitText, "ms");
    EXPECT_EQ(c.lowCutText, "OPEN");
    EXPECT_EQ(c.highCutText, "800.0");
    EXPECT_EQ(c.autoFilterText, "OFF");
    EXPECT_EQ(c.notchFilterText, "ON");
    EXPECT_EQ(c.fileNameText, "pipe.ked");
    EXPECT_EQ(c.dateCreatedText, "01/02/2026");
    EXPECT_EQ(c.sensor1Picture, SensorKind::Red);
    EXPECT_EQ(c.sensor2Picture, SensorKind::Yellow);
    EXPECT_EQ(c.sensor1DistanceText, "50.0 m");
    EXPECT_EQ(c.sliderMaximum, kScaleBarWidth);
    EXPECT_EQ(c.sliderValue, 312);
    EXPECT_TRUE(c.setStartPointEnabled);
    EXPECT_FALSE(c.removeEnabled);
    EXPECT_EQ(view.KeyPixels().At(5, 5), kSegmentColours[0]);
    EXPECT_EQ(view.GraphPixels().At(400, 100), kCursorInPipe);
    EXPECT_TRUE(prompt.asked().empty());
}

TEST_F(FormViewLogicTest, FailedOpenLeavesTheFormAsItWas) {
    doc.openSucceeds = false;
    Load();
    EXPECT_EQ(fileCommandsEnabled, 0);
    EXPECT_EQ(doc.recomputes, 0);
    EXPECT_FALSE(view.Controls().lengthEnabled);
    EXPECT_TRUE(view.Controls().segmentItems.empty());
}

TEST_F(FormViewLogicTest, OutOfBracketWarningsAndRedCursor) {
    Load();
    doc.delay = -0.12f;
    doc.d1 = 0;
    doc.d2 = 100;
    view.AfterCursorMove();
    const FormControlsState& c = view.Controls();
    EXPECT_EQ(c.sensor1WarningText, "OUT OF BRACKET");
    EXPECT_EQ(c.sensor2WarningText, "");
    EXPECT_EQ(c.sensor1DistanceText, "0.0 m");
    EXPECT_EQ(c.sensor2DistanceText, "100.0 m");
    EXPECT_EQ(c.timeDelayText, "-0.1200");
    EXPECT_EQ(view.GraphPixels().At(doc.cursor, 50), kCursorBeyondPipe);
    EXPECT_EQ(c.sliderValue, 0);

    doc.delay = 0.1f;  // exactly the travel time
    doc.d1 = 100;
    doc.d2 = 0;
    view.AfterCursorMove();
    EXPECT_EQ(c.sensor1WarningText, "");
    EXPECT_EQ(c.sensor2WarningText, "");
    EXPECT_EQ(c.sliderValue, kScaleBarWidth);
}

TEST_F(FormViewLogicTest, UnitChangesConvertWithoutRecomputing) {
    Load();
    int before = doc.recomputes;
    view.OnImperial();
    const FormControlsState& c = view.Controls();
    EXPECT_EQ(c.lengthUnitChecked, 1);
    EXPECT_EQ(c.lengthText, "328.084");
    EXPECT_EQ(c.diameterUnitText, "ins");
    EXPECT_EQ(c.sensor1DistanceText, "164.0 ft");
    view.OnMilliseconds();
    EXPECT_EQ(c.velocityText, "3.28084");
    EXPECT_EQ(c.velocityUnitText, "ft /");
    EXPECT_EQ(c.timeDelayUnitText, "ms");
    view.OnImperial();
    EXPECT_EQ(doc.recomputes, before);
    EXPECT_FALSE(doc.modified);
}

TEST_F(FormViewLogicTest, EditsAreConvertedStoredAndRecomputed) {
    Load(1, 1);
    ValueBoxTexts boxes = Boxes();
    boxes.velocity = "3.28084";
    int before = doc.recomputes;
    EXPECT_TRUE(view.OnValueDone(ValueBox::Velocity, true, boxes));
    EXPECT_NEAR(doc.segments[0].velocity, 1000.0f, 0.01f);
    EXPECT_EQ(doc.recomputes, before + 1);
    boxes = Boxes();
    boxes.length = "100";
    EXPECT_TRUE(view.OnValueDone(ValueBox::Length, true, boxes));
    EXPECT_FLOAT_EQ(doc.segments[0].length, static_cast<float>(100 * 0.3047999902464003));
    EXPECT_EQ(view.Controls().lengthText, "100");
    EXPECT_TRUE(doc.modified);
}

TEST_F(FormViewLogicTest, UnmodifiedBoxStoresNothing) {
    Load();
    int before = doc.recomputes;
    ValueBoxTexts boxes = Boxes();
    boxes.length = "5";
    EXPECT_TRUE(view.OnValueDone(ValueBox::Length, false, boxes));
    EXPECT_EQ(doc.recomputes, before);
    EXPECT_FLOAT_EQ(doc.segments[0].length, 100.0f);
}

TEST_F(FormViewLogicTest, BadEntriesAreRefusedWithAMessage) {
    Load();
    for (const char* bad : {"abc", "-3", "1e13", "", "nan", "inf"}) {
        prompt.Clear();
        ValueBoxTexts boxes = Boxes();
        boxes.length = bad;
        ValueBox failed = ValueBox::Velocity;
        EXPECT_FALSE(view.OnValueDone(ValueBox::Length, true, boxes, &failed)) << bad;
        EXPECT_EQ(failed, ValueBox::Length);
        ASSERT_EQ(prompt.asked().size(), 1u) << bad;
        EXPECT_EQ(prompt.asked()[0].icon, PromptIcon::Warning);
        EXPECT_EQ(view.Controls().lengthText, bad);  // the box keeps the text for correcting
    }
    ValueBoxTexts boxes = Boxes();
    boxes.velocity = "-1000";
    EXPECT_FALSE(view.OnValueDone(ValueBox::Velocity, true, boxes));
    EXPECT_FLOAT_EQ(doc.segments[0].length, 100.0f);
    EXPECT_FLOAT_EQ(doc.segments[0].velocity, 1000.0f);
    EXPECT_FALSE(doc.modified);
}

TEST_F(FormViewLogicTest, NoSegmentsInUseStoresNothing) {
    doc.segmentsInUse = 0;
    Load();
    const FormControlsState& c = view.Controls();
    EXPECT_TRUE(c.segmentItems.empty());
    EXPECT_EQ(c.segmentSelection, -1);
    EXPECT_EQ(c.lengthText, "0");
    EXPECT_EQ(c.materialSelection, -1);
    EXPECT_EQ(view.ScaleBarPixels().At(10, 5), kEmptyScaleBarColour);
    ValueBoxTexts boxes = Boxes();
    boxes.length = "20";
    EXPECT_TRUE(view.OnValueDone(ValueBox::Length, true, boxes));
    EXPECT_FALSE(doc.modified);
    view.OnMaterialChanged(3);
    EXPECT_FALSE(doc.modified);
}

TEST_F(FormViewLogicTest, MaterialAndSegmentSelection) {
    doc.UseSegments({{10, 1000, 150, 2}, {20, 1200, 100, 12}});
    Load();
    EXPECT_EQ(view.Controls().segmentItems.size(), 2u);
    view.OnSegmentChanged(1);
    EXPECT_EQ(view.Controls().lengthText, "20");
    EXPECT_EQ(view.Controls().materialSelection, -1);  // code 12 is not offered
    EXPECT_EQ(view.KeyPixels().At(0, 0), kSegmentColours[1]);
    view.OnMaterialChanged(4);
    EXPECT_EQ(doc.segments[1].material, 4);
    EXPECT_EQ(view.Controls().velocityText, "1004");
    EXPECT_EQ(view.Controls().segmentSelection, 1);
}

TEST_F(FormViewLogicTest, AutoFilterIsReportedOnceAndSwitchedOff) {
    doc.filter.autoFilter = true;
    Load();
    view.RefreshAll();
    ASSERT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(prompt.asked()[0].icon, PromptIcon::Information);
    EXPECT_FALSE(doc.filter.autoFilter);
    EXPECT_FALSE(doc.modified);  // the program's change, not the user's
}

TEST_F(FormViewLogicTest, GraphClicksMapToColumnsInsideTheFrame) {
    Load();
    FormViewLogic::Rect frame = FormViewLogic::GraphFrame();
    view.OnGraphClick(frame.left, frame.top + 5);  // the border: ignored
    EXPECT_EQ(doc.cursor, 400);
    view.OnGraphClick(frame.left + 1, frame.top);
    EXPECT_EQ(doc.cursor, 1);
    EXPECT_EQ(view.GraphPixels().At(400, 20), kLeftBarColour);
    view.OnGraphClick(frame.left + 619, frame.bottom);
    EXPECT_EQ(doc.cursor, 619);
    view.OnGraphClick(frame.left + 620, frame.top + 5);
    view.OnGraphClick(frame.left + 300, frame.bottom + 1);
    EXPECT_EQ(doc.cursor, 619);
}

TEST_F(FormViewLogicTest, ClicksAndArrowsBeforeLoadingDoNothing) {
    view.OnInitialUpdate(0, 0);
    FormViewLogic::Rect frame = FormViewLogic::GraphFrame();
    view.OnGraphClick(frame.left + 50, frame.top + 50);
    view.OnRightArrow();
    EXPECT_EQ(doc.cursor, 0);
}

TEST_F(FormViewLogicTest, ArrowsStepOneColumnAndStopAtTheEnds) {
    Load();
    doc.MoveCursor(1);
    view.OnLeftArrow();
    EXPECT_EQ(doc.cursor, 0);
    EXPECT_EQ(view.GraphPixels().At(0, 50), kCursorInPipe);
    EXPECT_EQ(view.GraphPixels().At(1, 50), kWhite);  // column 1 redrawn as its (empty) bar
    view.OnLeftArrow();
    EXPECT_EQ(doc.cursor, 0);
    doc.MoveCursor(kGraphWidth - 2);
    view.OnRightArrow();
    view.OnRightArrow();
    EXPECT_EQ(doc.cursor, kGraphWidth - 1);
}

TEST_F(FormViewLogicTest, PeakSuppressionStates) {
    Load();
    doc.MoveCursor(350);
    view.OnSetStartPoint();
    EXPECT_EQ(view.Controls().setStartPointText, "Set End Point");
    EXPECT_TRUE(view.Controls().removeEnabled);
    EXPECT_TRUE(view.StartPointPending());
    EXPECT_EQ(doc.removeStart, 5 * (350 - 310) + 1000);
    view.AfterCursorMove();
    EXPECT_EQ(view.GraphPixels().At(350, 10), kStartLineColour);

    doc.MoveCursor(450);
    doc.removedFromColumn = 350;
    doc.removedToColumn = 450;
    view.OnSetStartPoint();
    EXPECT_EQ(view.Controls().setStartPointText, "Set Start Point");
    EXPECT_FALSE(view.Controls().setStartPointEnabled);
    EXPECT_TRUE(view.Controls().removeEnabled);
    EXPECT_EQ(doc.cursor, 100);  // the next peak outside the region
    EXPECT_EQ(view.GraphPixels().At(100, 100), kCursorInPipe);

    doc.removedFromColumn = doc.removedToColumn = -1;
    view.OnRemove();
    EXPECT_EQ(doc.removeStart, 0);
    EXPECT_EQ(doc.removeEnd, 0);
    EXPECT_TRUE(view.Controls().setStartPointEnabled);
    EXPECT_FALSE(view.Controls().removeEnabled);
    EXPECT_EQ(doc.cursor, 400);
}

TEST_F(FormViewLogicTest, NewFileResetsAPendingStartPoint) {
    Load();
    view.OnSetStartPoint();
    view.ResetForNewFile();
    EXPECT_FALSE(view.StartPointPending());
    EXPECT_EQ(view.Controls().setStartPointText, "Set Start Point");
    view.EnablePipeControls(true);
    EXPECT_FALSE(view.Controls().removeEnabled);
}

TEST(FormTemplate, EveryControlHasAUniqueIdAndFitsTheForm) {
    int count = 0;
    const ControlTemplate* controls = FormControls(count);
    EXPECT_EQ(count, 58);
    for (int i = 0; i < count; ++i) {
        EXPECT_LE(controls[i].x + controls[i].width, kFormWidthDu) << controls[i].id;
        EXPECT_LE(controls[i].y + controls[i].height, kFormHeightDu + 10) << controls[i].id;
        for (int j = i + 1; j < count; ++j) EXPECT_NE(controls[i].id, controls[j].id);
    }
    EXPECT_EQ(DuToPixelsX(47), 70);
    EXPECT_EQ(DuToPixelsY(18), 29);
    EXPECT_EQ(ControlObjectName(1015), "IDC_1015");
}
