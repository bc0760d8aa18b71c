#include <gtest/gtest.h>

#include <algorithm>

#include "view/print/PageLayout.h"

using namespace vexlan;

namespace {

std::vector<PagePrimitive> TextsAt(const std::vector<PagePrimitive>& page, int x, int y) {
    std::vector<PagePrimitive> found;
    for (const auto& p : page)
        if (p.kind == PrimitiveKind::Text && p.x1 == x && p.y1 == y) found.push_back(p);
    return found;
}

std::string TextAt(const std::vector<PagePrimitive>& page, int x, int y) {
    auto found = TextsAt(page, x, y);
    return found.size() == 1 ? found[0].text : "<" + std::to_string(found.size()) + " texts>";
}

const PagePrimitive* LineAtX(const std::vector<PagePrimitive>& page, int x, int penWidth) {
    for (const auto& p : page)
        if (p.kind == PrimitiveKind::Line && p.x1 == x && p.penWidth == penWidth) return &p;
    return nullptr;
}

ReportValues Sample() {
    ReportValues v;
    v.fileName = "ABC.ked";
    v.title = "Main St";
    v.createdDate = "08/12/26";
    v.segmentsInUse = 2;
    v.segments[0] = {40.0f, 1000.0f, 100.0f, 0};
    v.segments[1] = {60.0f, 400.0f, 150.0f, 8};
    v.lowCutoff = 100.0f;
    v.distanceFromSensor1 = 40.0f;
    v.distanceFromSensor2 = 60.0f;
    v.timeDelay = -0.01234f;
    v.displayTrace[0] = 10;
    v.displayTrace[619] = 179;
    v.displayTrace[300] = 255;  // more than the graph's height: limited to it
    v.cursorColumn = 310;
    return v;
}

TEST(PageLayout, GraphBarsAndCursorStandWhereThePageHasThem) {
    auto page = BuildPage(Sample(), 0, 0);
    const PagePrimitive* first = LineAtX(page, 120, 4);  // column 0 at 12 mm
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->y1, -1000);
    EXPECT_EQ(first->y2, 4 * 10 - 1000);
    EXPECT_EQ(first->colour, MakeRgb(0, 125, 0));
    const PagePrimitive* last = LineAtX(page, 2596, 4);  // column 619 at 259.6 mm
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->y2, 4 * 179 - 1000);
    EXPECT_EQ(LineAtX(page, 4 * 330, 4)->y2, 4 * 193 - 1000);
    int bars = static_cast<int>(
        std::count_if(page.begin(), page.end(), [](const PagePrimitive& p) { return p.penWidth == 4; }));
    EXPECT_EQ(bars, 620);
    const PagePrimitive& cursor = page.back();  // drawn last, over the bars
    EXPECT_EQ(cursor.kind, PrimitiveKind::Line);
    EXPECT_TRUE(cursor.dashed);
    EXPECT_EQ(cursor.penWidth, 1);
    EXPECT_EQ(cursor.x1, 4 * 310 + 120);
    EXPECT_EQ(cursor.y1, -1000);
    EXPECT_EQ(cursor.y2, -225);
    EXPECT_EQ(cursor.colour, kBlack);
}

TEST(PageLayout, FramesComeFirstSoTextsStayVisible) {
    auto page = BuildPage(Sample(), 0, 0);
    ASSERT_EQ(page[0].kind, PrimitiveKind::Rect);
    EXPECT_EQ(page[0].x1, 40);
    EXPECT_EQ(page[0].y1, -200);
    EXPECT_EQ(page[0].x2, 2630);
    EXPECT_EQ(page[0].y2, -1150);
    int lastRect = 0, firstValue = -1;
    for (int i = 0; i < static_cast<int>(page.size()); ++i) {
        if (page[i].kind == PrimitiveKind::Rect) lastRect = i;
        if (firstValue < 0 && page[i].kind == PrimitiveKind::Text && page[i].text == "Main St") firstValue = i;
    }
    EXPECT_LT(lastRect, firstValue);
    // The fourth notch frame.
    bool found = std::any_of(page.begin(), page.end(), [](const PagePrimitive& p) {
        return p.kind == PrimitiveKind::Rect && p.x1 == 100 + 425 * 3 && p.x2 == 475 + 425 * 3 && p.y1 == -1800 &&
               p.y2 == -1950;
    });
    EXPECT_TRUE(found);
    EXPECT_EQ(TextAt(page, 125 + 425 * 4, -1780), "Notch 5 ");
}

TEST(PageLayout, ReadoutsAndLabelsInMetricSeconds) {
    auto page = BuildPage(Sample(), 0, 0);
    EXPECT_EQ(TextAt(page, 130, -1050), "40.0");
    EXPECT_EQ(TextAt(page, 2600, -1050), "60.0");
    EXPECT_EQ(TextsAt(page, 2600, -1050)[0].align, TextAlign::Right);
    EXPECT_EQ(TextAt(page, 1355, -1050), "-0.0123");
    EXPECT_EQ(TextsAt(page, 1355, -1050)[0].fontPoints, 10);
    EXPECT_EQ(TextAt(page, 130, -1100), "Distance From Sensor 1  ");
    EXPECT_EQ(TextAt(page, 435, -1100), "(m)");
    EXPECT_EQ(TextAt(page, 1460, -1100), "(s)");
    EXPECT_EQ(TextAt(page, 180, -1575), "(m/s)");
    EXPECT_EQ(TextAt(page, 200, -100), "Main St");
    EXPECT_EQ(TextsAt(page, 200, -100)[0].fontPoints, 14);
    EXPECT_EQ(TextAt(page, 1200, -100), "08/12/26");
    EXPECT_EQ(TextAt(page, 2000, -100), "ABC");
    EXPECT_EQ(TextAt(page, 95, -110), "Title : ");
    EXPECT_EQ(TextAt(page, 2455, -1725), "100.00  Hz");
    EXPECT_EQ(TextAt(page, 2455, -1800), "OPEN");
    EXPECT_EQ(TextAt(page, 2455, -1875), "OFF");
    EXPECT_EQ(TextAt(page, 2455, -1950), "OFF");
}

TEST(PageLayout, ImperialMillisecondsUnitsAndValues) {
    auto page = BuildPage(Sample(), 1, 1);
    EXPECT_EQ(TextAt(page, 180, -1425), "(ft)");
    EXPECT_EQ(TextAt(page, 180, -1500), "(ins)");
    EXPECT_EQ(TextAt(page, 180, -1575), "(ft/ms)");
    EXPECT_EQ(TextAt(page, 435, -1100), "(ft)");
    EXPECT_EQ(TextAt(page, 2600, -1100), "(ft)");
    EXPECT_EQ(TextAt(page, 1460, -1100), "(ms)");
    EXPECT_EQ(TextAt(page, 130, -1050), "131.2");
    EXPECT_EQ(TextAt(page, 1355, -1050), "-12.3");
    EXPECT_EQ(TextAt(page, 400, -1575), "3.28");  // 1000 m/s
    EXPECT_EQ(TextAt(page, 400, -1425), "131.23");
}

TEST(PageLayout, SegmentColumns) {
    auto page = BuildPage(Sample(), 0, 0);
    EXPECT_EQ(TextAt(page, 400, -1350), "Asbestos Cem");  // cut to 12 characters
    EXPECT_EQ(TextAt(page, 640, -1350), "PVC");
    EXPECT_EQ(TextsAt(page, 880, -1350).size(), 0u);  // third column: no segment, no name
    EXPECT_EQ(TextAt(page, 880, -1425), "0.00");      // but its values
    EXPECT_EQ(TextAt(page, 400 + 240 * 9, -1275), "10");
    EXPECT_EQ(TextsAt(page, 400 + 240 * 9, -1275)[0].align, TextAlign::Centre);
    EXPECT_NE(LineAtX(page, 270, 0), nullptr);
    const PagePrimitive* ninth = LineAtX(page, 520 + 240 * 8, 0);
    ASSERT_NE(ninth, nullptr);
    EXPECT_EQ(ninth->y1, -1275);
    EXPECT_EQ(ninth->y2, -1625);
    EXPECT_EQ(LineAtX(page, 520 + 240 * 9, 0), nullptr);
}

TEST(PageLayout, NotchValues) {
    ReportValues v = Sample();
    auto page = BuildPage(v, 0, 0);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(TextAt(page, 300 + 425 * n, -1850), "NOT SET");
        EXPECT_EQ(TextAt(page, 300 + 425 * n, -1900), "NOT SET");
        EXPECT_EQ(TextAt(page, 125 + 425 * n, -1850), "Low Cutoff : ");
    }
    v.notchesInUse = 2;
    v.notches[0] = {100.0f, 200.0f};
    v.notches[1] = {310.5f, 320.25f};
    page = BuildPage(v, 0, 0);
    EXPECT_EQ(TextAt(page, 300, -1850), "100.00  Hz");
    EXPECT_EQ(TextAt(page, 725, -1900), "320.25  Hz");
    EXPECT_EQ(TextAt(page, 1150, -1850), "NOT SET");
    EXPECT_EQ(TextAt(page, 2455, -1950), "ON");
}

TEST(PageLayout, FileNamesOnThePage) {
    EXPECT_EQ(PageFileName("ABC.ked"), "ABC");
    EXPECT_EQ(PageFileName("ABC.KED"), "ABC");
    EXPECT_EQ(PageFileName("abcdefghijklmnopqrstuvwxyz.ked"), "abcdefghijklmnopqrst");
    EXPECT_EQ(PageFileName("notes.txt"), "notes.txt");  // only a .ked extension is dropped
    EXPECT_EQ(PageFileName(""), "");
    EXPECT_EQ(FirstCharacters("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
    ReportValues v = Sample();
    v.title.clear();
    auto page = BuildPage(v, 0, 0);
    EXPECT_TRUE(TextsAt(page, 200, -100).empty());  // no title, nothing printed
}

}  // namespace
