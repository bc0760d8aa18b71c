#include <gtest/gtest.h>

#include "view/print/ReportText.h"

using namespace vexlan;

namespace {

ReportValues TwoSegments() {
    ReportValues v;
    v.fileName = "ABC.ked";
    v.timeDelay = 0.0123f;
    v.distanceFromSensor1 = 40.0f;
    v.distanceFromSensor2 = 60.0f;
    v.segmentsInUse = 2;
    v.segments[0] = {40.0f, 1200.0f, 100.0f, 1};
    v.segments[1] = {60.0f, 400.0f, 150.0f, 8};
    v.segments[2] = {5.0f, 300.0f, 20.0f, 3};  // behind the segments in use: not reported
    v.highCutoff = 800.0f;
    v.notchesInUse = 1;
    v.notches[0] = {100.0f, 200.0f};
    return v;
}

TEST(ReportText, MetricSecondsLineForLine) {
    ReportValues v = TwoSegments();
    EXPECT_EQ(BuildReportText(FormTextsFor(v, 0, 0), v),
              "File : ABC.ked\n\n"
              "Time Delay  : 0.0123 s\n\n"
              "Distance From Sensor 1  : 40.0 m\n"
              "Distance From Sensor 2  : 60.0 m\n\n"
              "Segment : 1\nMaterial : Copper\nLength : 40.00 m\nDiameter : 100.00 mm\nVelocity : 1200.00 m / s\n\n"
              "Segment : 2\nMaterial : PVC\nLength : 60.00 m\nDiameter : 150.00 mm\nVelocity : 400.00 m / s\n\n"
              "Low Cutoff : OPEN\n"
              "High Cutoff : 800.0 Hz\n\n"
              "Auto Filter : OFF\n\n"
              "Notch Filter : ON");
}

TEST(ReportText, ImperialMillisecondsConvertEveryValue) {
    ReportValues v = TwoSegments();
    v.segments[0].velocity = 1000.0f;
    v.lowCutoff = 45.5f;
    v.notchesInUse = 0;
    v.autoFilter = true;  // the form shows it off whatever the record says
    EXPECT_EQ(BuildReportText(FormTextsFor(v, 1, 1), v),
              "File : ABC.ked\n\n"
              "Time Delay  : 12.3 ms\n\n"
              "Distance From Sensor 1  : 131.2 ft\n"
              "Distance From Sensor 2  : 196.9 ft\n\n"
              "Segment : 1\nMaterial : Copper\nLength : 131.23 ft\nDiameter : 3.94 ins\nVelocity : 3.28 ft / ms\n\n"
              "Segment : 2\nMaterial : PVC\nLength : 196.85 ft\nDiameter : 5.91 ins\nVelocity : 1.31 ft / ms\n\n"
              "Low Cutoff : 45.5 Hz\n"
              "High Cutoff : 800.0 Hz\n\n"
              "Auto Filter : OFF\n\n"
              "Notch Filter : OFF");
}

TEST(ReportText, TakesTheFormsTextsAsShown) {
    ReportValues v;  // no segments, nothing set
    FormTexts form;
    form.fileName = "x.ked";
    form.timeDelay = "-0.0123";
    form.timeDelayUnit = "s";
    form.distance1 = "0.0 m";
    form.distance2 = "0.0 m";
    form.lowCut = "OPEN";
    form.highCut = "OPEN";
    form.autoFilter = "OFF";
    form.notchFilter = "OFF";
    std::string text = BuildReportText(form, v);
    EXPECT_EQ(text,
              "File : x.ked\n\nTime Delay  : -0.0123 s\n\nDistance From Sensor 1  : 0.0 m\n"
              "Distance From Sensor 2  : 0.0 m\n\nLow Cutoff : OPEN\nHigh Cutoff : OPEN\n\n"
              "Auto Filter : OFF\n\nNotch Filter : OFF");
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(ReportText, UnknownMaterialCodesGiveAnEmptyName) {
    ReportValues v = TwoSegments();
    v.segments[0].material = 65535;
    v.segments[1].material = 13;
    std::string text = BuildReportText(FormTextsFor(v, 0, 0), v);
    EXPECT_NE(text.find("Segment : 1\nMaterial : \nLength"), std::string::npos);
    EXPECT_NE(text.find("Material : Material 14\n"), std::string::npos);
}

}  // namespace
