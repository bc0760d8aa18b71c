// The painter maps the page's 0.1 mm units onto the device: at 254 dots per inch one unit is one
// pixel, so every primitive can be found where the page puts it, the right way up.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <memory>

#include "view/print/PagePainter.h"

using namespace vexlan;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "page_painter_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

constexpr double kOneUnitPerPixel = 254.0;

QImage Paint(const std::vector<PagePrimitive>& page) {
    QImage image(2700, 2100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPage(painter, page, kOneUnitPerPixel, kOneUnitPerPixel);
    painter.end();
    return image;
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// The bounding box of the non-white pixels inside a region.
QRect InkIn(const QImage& image, const QRect& region) {
    QRect ink;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (At(image, x, y) != 0xFFFFFF) ink |= QRect(x, y, 1, 1);
    return ink;
}

ReportValues Values() {
    ReportValues v;
    v.fileName = "ABC.ked";
    v.title = "Main St";
    v.segmentsInUse = 1;
    v.segments[0] = {40.0f, 1000.0f, 100.0f, 0};
    v.displayTrace[0] = 10;
    v.displayTrace[619] = 179;
    v.cursorColumn = 100;
    return v;
}

TEST(PagePainter, BarsCursorAndFramesStandWhereThePagePutsThem) {
    const QImage image = Paint(BuildPage(Values(), 0, 0));
    // Column 0: 4 units wide at x = 120, from 100 mm down up to 40 units above.
    EXPECT_EQ(At(image, 120, 990), 0x007D00u);
    EXPECT_EQ(At(image, 121, 961), 0x007D00u);
    EXPECT_EQ(At(image, 120, 955), 0xFFFFFFu);
    EXPECT_EQ(At(image, 120, 1005), 0xFFFFFFu);
    // Column 619 at 259.6 mm, 716 units tall.
    EXPECT_EQ(At(image, 2596, 300), 0x007D00u);
    EXPECT_EQ(At(image, 2596, 280), 0xFFFFFFu);
    // The dashed cursor at 4 × 100 + 120 runs from the baseline up to 22.5 mm from the top.
    const QRect cursor = InkIn(image, QRect(515, 215, 10, 800));
    EXPECT_EQ(cursor.left(), 520);
    EXPECT_NEAR(cursor.top(), 225, 2);
    EXPECT_NEAR(cursor.bottom(), 1000, 2);
    int gaps = 0;
    for (int y = 230; y < 990; ++y) gaps += At(image, 520, y) == 0xFFFFFFu;
    EXPECT_GT(gaps, 100);  // dashed, not solid
    // The graph frame's corners: 40, -200 to 2630, -1150.
    EXPECT_EQ(At(image, 40, 600), 0x000000u);
    EXPECT_EQ(At(image, 1300, 200), 0x000000u);
    EXPECT_EQ(At(image, 2630, 600), 0x000000u);
    EXPECT_EQ(At(image, 1300, 1150), 0x000000u);
}

TEST(PagePainter, TextsHangFromTheirPointAndAlignAroundIt) {
    const QImage image = Paint(BuildPage(Values(), 0, 0));
    // "Title : " at 95, -110 in 10 pt: its ink starts just right of and below the point.
    const QRect title = InkIn(image, QRect(80, 95, 200, 60));
    ASSERT_FALSE(title.isNull());
    EXPECT_NEAR(title.left(), 95, 6);
    EXPECT_GE(title.top(), 108);          // anti-aliased edges may touch the row above
    EXPECT_LE(title.bottom(), 110 + 36);  // 10 pt is 35.3 units high
    // "Time Delay  " is centred on 1355, the right-aligned sensor 2 label ends at 2550.
    const QRect delay = InkIn(image, QRect(1150, 1100, 285, 30));  // left of the "(s)" beside it
    ASSERT_FALSE(delay.isNull());
    const double centre = (delay.left() + delay.right()) / 2.0;
    EXPECT_LT(centre, 1355);  // its two trailing blanks shift the ink left of the point
    EXPECT_GT(centre, 1355 - 40);
    const QRect sensor2 = InkIn(image, QRect(2200, 1100, 349, 30));
    ASSERT_FALSE(sensor2.isNull());
    EXPECT_LE(sensor2.right(), 2550);
    EXPECT_GT(sensor2.right(), 2500);
    // The heading on the pipe frame's edge interrupts the frame line.
    EXPECT_EQ(At(image, 70, 1200), 0xFFFFFFu);
    EXPECT_EQ(At(image, 1000, 1200), 0x000000u);
}

}  // namespace
