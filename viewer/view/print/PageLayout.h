#pragma once
// The one printed page as a list of drawing primitives in 0.1 mm units: x grows to the right from
// the left edge of the printable area, y grows upwards, so points on the page have negative y.
// Printing, the preview and the PDF export only paint this list.

#include <string>
#include <vector>

#include "raster/PixelBuffer.h"
#include "view/print/ReportModel.h"

namespace vexlan {

enum class PrimitiveKind { Text, Line, Rect };
enum class TextAlign { Left, Centre, Right };  // all texts hang from their y (top alignment)

struct PagePrimitive {
    PrimitiveKind kind = PrimitiveKind::Text;
    int x1 = 0, y1 = 0;  // text: reference point; line: start; rectangle: one corner
    int x2 = 0, y2 = 0;  // line: end; rectangle: the opposite corner
    std::string text;
    int fontPoints = 0;
    TextAlign align = TextAlign::Left;
    // Text: the span across the page it must stay inside (none when both are 0). The painter,
    // which knows the font, moves a text that crosses an edge back in and makes one that is
    // wider than the span smaller.
    int cellLeft = 0, cellRight = 0;
    int penWidth = 0;  // 0: the thinnest line the device draws (the default pen)
    Rgb colour = kBlack;
    bool dashed = false;
};

constexpr Rgb kPrintBarColour = MakeRgb(0, 125, 0);

// The page for these values and unit choices (0/1 as on the form).
std::vector<PagePrimitive> BuildPage(const ReportValues& values, int lengthUnit, int timeUnit);

// The page's file name: without its ".ked" extension, cut to 20 characters.
std::string PageFileName(const std::string& fileName);

// The first `count` characters of a UTF-8 text, never half a character.
std::string FirstCharacters(const std::string& text, std::size_t count);

}  // namespace vexlan
