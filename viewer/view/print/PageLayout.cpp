#include "view/print/PageLayout.h"
#include "res/StringIds.h"

#include <cstdio>

#include "res/StringTable.h"
#include "view/Units.h"

namespace vexlan {
namespace {

class PageBuilder {
public:
    explicit PageBuilder(std::vector<PagePrimitive>& out) : out_(out) {}

    void Text(int x, int y, int points, const std::string& text, TextAlign align = TextAlign::Left) {
        Text(x, y, points, text, align, 0, 0);
    }
    // A text that must stay between the page x of cellLeft and cellRight.
    void Text(int x, int y, int points, const std::string& text, TextAlign align, int cellLeft, int cellRight) {
        if (text.empty()) return;
        PagePrimitive p;
        p.kind = PrimitiveKind::Text;
        p.x1 = x;
        p.y1 = y;
        p.text = text;
        p.fontPoints = points;
        p.align = align;
        p.cellLeft = cellLeft;
        p.cellRight = cellRight;
        out_.push_back(std::move(p));
    }
    void Line(int x1, int y1, int x2, int y2, int penWidth = 0, Rgb colour = kBlack, bool dashed = false) {
        PagePrimitive p;
        p.kind = PrimitiveKind::Line;
        p.x1 = x1;
        p.y1 = y1;
        p.x2 = x2;
        p.y2 = y2;
        p.penWidth = penWidth;
        p.colour = colour;
        p.dashed = dashed;
        out_.push_back(std::move(p));
    }
    void Rect(int x1, int y1, int x2, int y2) {
        PagePrimitive p;
        p.kind = PrimitiveKind::Rect;
        p.x1 = x1;
        p.y1 = y1;
        p.x2 = x2;
        p.y2 = y2;
        out_.push_back(std::move(p));
    }

private:
    std::vector<PagePrimitive>& out_;
};

std::string Format(const char* format, double value) { return FormatNumber(format, value); }

std::string Hertz(float value) {
    return Format("%.2f", static_cast<double>(value)) + "  " + LoadString(string_id::kHertz);
}

// A unit in brackets, as the page's row and readout labels show it.
std::string Bracketed(const std::string& unit) { return "(" + unit + ")"; }

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

constexpr int kSmall = 8, kMedium = 10, kLarge = 14;
// The clear space kept between a text and the next text or line.
constexpr int kGap = 12;
constexpr int kFrameRight = 2630, kTableRule = 270;

// The span of pipe table column i (0..9) between its rules.
int ColumnLeft(int i) { return i == 0 ? kTableRule : 520 + 240 * (i - 1); }
int ColumnRight(int i) { return i == kSegmentCount - 1 ? kFrameRight : 520 + 240 * i; }

}  // namespace

std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t chars = 0; i < text.size() && chars < count; ++chars) {
        ++i;
        while (i < text.size() && IsContinuation(text[i])) ++i;
    }
    return text.substr(0, i);
}

std::string PageFileName(const std::string& fileName) {
    std::string name = fileName;
    // Only a real ".ked" extension is dropped: other names keep all their characters.
    if (name.size() >= 4) {
        std::string ext = name.substr(name.size() - 4);
        for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (ext == ".ked") name.resize(name.size() - 4);
    }
    return FirstCharacters(name, 20);
}

std::vector<PagePrimitive> BuildPage(const ReportValues& v, int lengthUnit, int timeUnit) {
    lengthUnit = lengthUnit == kImperial ? kImperial : kMetric;
    timeUnit = timeUnit == kMilliseconds ? kMilliseconds : kSeconds;
    const bool imperial = lengthUnit == kImperial, millis = timeUnit == kMilliseconds;
    std::vector<PagePrimitive> page;
    page.reserve(900);
    PageBuilder b(page);

    // 1. Frames and their headings.
    b.Rect(40, -200, 2630, -1150);
    b.Rect(40, -1200, 2630, -1650);
    b.Text(55, -1180, kSmall, LoadString(string_id::kPipeDetailsHeading));
    b.Rect(2250, -1685, 2630, -2000);
    b.Text(2275, -1665, kSmall, LoadString(string_id::kFilterSettingsHeading));
    b.Rect(40, -1725, 2225, -2000);
    b.Text(100, -1705, kSmall, LoadString(string_id::kNotchSettingsHeading));
    for (int n = 0; n < kNotchCount; ++n) {
        b.Rect(100 + 425 * n, -1800, 475 + 425 * n, -1950);
        b.Text(125 + 425 * n, -1780, kSmall, LoadString(string_id::kNotchLabelBase + n));
    }

    // 2. The pipe table: row labels, units, separators and column heads.
    const int rowY[] = {-1275, -1350, -1425, -1500, -1575};
    // Rows with a unit keep their label clear of it.
    for (int r = 0; r < 5; ++r)
        b.Text(55, rowY[r], kSmall, LoadString(string_id::kSegmentLabel + r), TextAlign::Left, 55,
               (r >= 2 ? 180 : kTableRule) - kGap);
    const std::string lengthText = Bracketed(LengthUnitText(lengthUnit));
    const std::string timeText = Bracketed(TimeUnitText(timeUnit));
    b.Text(180, -1425, kSmall, lengthText, TextAlign::Left, 180, kTableRule - kGap);
    b.Text(180, -1500, kSmall, Bracketed(DiameterUnitText(lengthUnit)), TextAlign::Left, 180, kTableRule - kGap);
    b.Text(180, -1575, kSmall, Bracketed(std::string(LengthUnitText(lengthUnit)) + "/" + TimeUnitText(timeUnit)),
           TextAlign::Left, 180, kTableRule - kGap);
    b.Line(270, -1275, 270, -1625);
    for (int i = 1; i <= kSegmentCount; ++i)
        b.Text(400 + 240 * (i - 1), -1275, kSmall, std::to_string(i), TextAlign::Centre);
    for (int i = 1; i <= kSegmentCount - 1; ++i) b.Line(520 + 240 * (i - 1), -1275, 520 + 240 * (i - 1), -1625);

    // 3. Filter labels.
    const int filterY[] = {-1725, -1800, -1875, -1950};
    for (int r = 0; r < 4; ++r)
        b.Text(2275, filterY[r], kSmall, LoadString(string_id::kLowCutoffLabel + r), TextAlign::Left, 2275,
               2455 - kGap);

    // 4. Readout labels.
    // Each label ends a gap before its unit.
    b.Text(130, -1100, kSmall, LoadString(string_id::kDistance1Label), TextAlign::Left, 130, 435 - kGap);
    b.Text(435, -1100, kSmall, lengthText, TextAlign::Left, 435, 1000);
    b.Text(2550, -1100, kSmall, LoadString(string_id::kDistance2Label), TextAlign::Right, 1800, 2550);
    b.Text(2600, -1100, kSmall, lengthText, TextAlign::Right, 2550 + kGap, kFrameRight - kGap);
    b.Text(1355, -1100, kSmall, LoadString(string_id::kTimeDelayLabel), TextAlign::Centre, 1100, 1420);
    b.Text(1460, -1100, kSmall, timeText, TextAlign::Centre, 1420 + kGap, 1600);

    // 5. File labels.
    b.Text(95, -110, kMedium, LoadString(string_id::kTitleLabel), TextAlign::Left, 95, 200 - kGap);
    b.Text(950, -110, kMedium, LoadString(string_id::kDateCreatedLabel), TextAlign::Left, 950, 1200 - kGap);
    b.Text(1800, -110, kMedium, LoadString(string_id::kFileNameLabel), TextAlign::Left, 1800, 2000 - kGap);

    // 6. Notch labels.
    for (int n = 0; n < kNotchCount; ++n) {
        b.Text(125 + 425 * n, -1850, kSmall, LoadString(string_id::kLowCutoffLabel), TextAlign::Left, 125 + 425 * n,
               300 + 425 * n - kGap);
        b.Text(125 + 425 * n, -1900, kSmall, LoadString(string_id::kHighCutoffLabel), TextAlign::Left, 125 + 425 * n,
               300 + 425 * n - kGap);
    }

    // 7. The correlation graph: one 0.4 mm bar per column, the baseline 100 mm below the top.
    for (int c = 0; c < kGraphWidth; ++c) {
        int value = v.displayTrace[c] > kGraphHeight ? kGraphHeight : v.displayTrace[c];
        b.Line(4 * (c + 30), -1000, 4 * (c + 30), 4 * value - 1000, 4, kPrintBarColour);
    }

    // 8. Segment values, all ten columns; names only for the segments in use.
    for (int i = 0; i < kSegmentCount; ++i) {
        const ReportSegment& s = v.segments[i];
        const int x = 400 + 240 * i, left = ColumnLeft(i) + kGap, right = ColumnRight(i) - kGap;
        auto cell = [&](int y, const std::string& text) { b.Text(x, y, kSmall, text, TextAlign::Centre, left, right); };
        if (i < v.segmentsInUse) cell(-1350, FirstCharacters(MaterialName(s.material), 12));
        cell(-1425, Format("%.2f", LengthForDisplay(s.length, lengthUnit)));
        cell(-1500, Format("%.2f", DiameterForDisplay(s.diameter, lengthUnit)));
        cell(-1575, Format("%.2f", VelocityForDisplay(s.velocity, lengthUnit, timeUnit)));
    }

    // 9. File texts.
    b.Text(200, -100, kLarge, v.title, TextAlign::Left, 200, 950 - kGap);
    b.Text(1200, -100, kLarge, v.createdDate, TextAlign::Left, 1200, 1800 - kGap);
    b.Text(2000, -100, kLarge, PageFileName(v.fileName), TextAlign::Left, 2000, kFrameRight);
    if (!v.methodLine.empty()) b.Text(2600, -170, kSmall, v.methodLine, TextAlign::Right, 1200, 2600);

    // 10. Filter values.
    auto filterValue = [&](int y, const std::string& text) {
        b.Text(2455, y, kSmall, text, TextAlign::Left, 2455, kFrameRight - kGap);
    };
    filterValue(-1725, v.lowCutoff != 0 ? Hertz(v.lowCutoff) : LoadString(string_id::kOpen));
    filterValue(-1800, v.highCutoff != 0 ? Hertz(v.highCutoff) : LoadString(string_id::kOpen));
    filterValue(-1875, LoadString(v.autoFilter ? string_id::kOn : string_id::kOff));
    filterValue(-1950, LoadString(v.notchesInUse > 0 ? string_id::kOn : string_id::kOff));

    // 11. Readouts, 5 mm above their labels.
    const double feet = imperial ? 3.28084 : 1.0;
    b.Text(130, -1050, kMedium, Format("%.1f", static_cast<double>(v.distanceFromSensor1) * feet), TextAlign::Left, 130,
           1100);
    b.Text(2600, -1050, kMedium, Format("%.1f", static_cast<double>(v.distanceFromSensor2) * feet), TextAlign::Right,
           1600, 2600);
    b.Text(1355, -1050, kMedium,
           millis ? Format("%.1f", static_cast<double>(v.timeDelay) * 1000.0) : Format("%.4f", v.timeDelay),
           TextAlign::Centre, 1100, 1600);

    // 12. Notch values.
    int notches = v.notchesInUse < kNotchCount ? v.notchesInUse : kNotchCount;
    for (int n = 0; n < kNotchCount; ++n) {
        bool set = n < notches;
        const int left = 300 + 425 * n, right = 475 + 425 * n - kGap;
        b.Text(left, -1850, kSmall, set ? Hertz(v.notches[n].notchStart) : LoadString(string_id::kNotSet),
               TextAlign::Left, left, right);
        b.Text(left, -1900, kSmall, set ? Hertz(v.notches[n].notchEnd) : LoadString(string_id::kNotSet),
               TextAlign::Left, left, right);
    }

    // 13. The cursor.
    b.Line(4 * v.cursorColumn + 120, -1000, 4 * v.cursorColumn + 120, -225, 1, kBlack, true);
    return page;
}

}  // namespace vexlan
