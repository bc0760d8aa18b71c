#include "view/Units.h"
#include "res/StringIds.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "res/StringTable.h"

namespace vexlan {
namespace {

constexpr double kMetresToFeet = 3.28084;
constexpr double kFeetToMetres = 0.3047999902464003;
constexpr double kMillimetresToInches = 0.03937;
constexpr double kInchesToMillimetres = 25.4000508001016;
constexpr double kPerSecondToPerMillisecond = 0.001;
constexpr double kPerMillisecondToPerSecond = 1000.0;

float Scaled(float value, double factor) { return static_cast<float>(static_cast<double>(value) * factor); }

std::string Printf(const char* format, double value) { return FormatNumber(format, value); }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

float LengthForDisplay(float metres, int lengthUnit) {
    return lengthUnit == kImperial ? Scaled(metres, kMetresToFeet) : metres;
}
float DiameterForDisplay(float millimetres, int lengthUnit) {
    return lengthUnit == kImperial ? Scaled(millimetres, kMillimetresToInches) : millimetres;
}
float VelocityForDisplay(float metresPerSecond, int lengthUnit, int timeUnit) {
    float v = LengthForDisplay(metresPerSecond, lengthUnit);
    return timeUnit == kMilliseconds ? Scaled(v, kPerSecondToPerMillisecond) : v;
}
float LengthFromEntry(float entered, int lengthUnit) {
    return lengthUnit == kImperial ? Scaled(entered, kFeetToMetres) : entered;
}
float DiameterFromEntry(float entered, int lengthUnit) {
    return lengthUnit == kImperial ? Scaled(entered, kInchesToMillimetres) : entered;
}
float VelocityFromEntry(float entered, int lengthUnit, int timeUnit) {
    float v = LengthFromEntry(entered, lengthUnit);
    return timeUnit == kMilliseconds ? Scaled(v, kPerMillisecondToPerSecond) : v;
}

const char* LengthUnitText(int lengthUnit) {
    return LoadString(lengthUnit == kImperial ? string_id::kFoot : string_id::kMetre);
}
const char* DiameterUnitText(int lengthUnit) {
    return LoadString(lengthUnit == kImperial ? string_id::kInch : string_id::kMillimetre);
}
const char* VelocityUnitText(int lengthUnit) {
    return LoadString(lengthUnit == kImperial ? string_id::kFootPer : string_id::kMetrePer);
}
const char* TimeUnitText(int timeUnit) {
    return LoadString(timeUnit == kMilliseconds ? string_id::kMillisecond : string_id::kSecond);
}

std::string FormatNumber(const char* format, double value) {
    if (!std::isfinite(value)) return "-";
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string FormatFloatField(float value) { return Printf("%.6g", static_cast<double>(value)); }

std::string FormatTimeDelay(float seconds, int timeUnit) {
    if (timeUnit == kMilliseconds) return Printf("%.1f", static_cast<double>(seconds) * 1000.0);
    return Printf("%.4f", static_cast<double>(seconds));
}

std::string FormatDistance(float metres, int lengthUnit) {
    double shown = lengthUnit == kImperial ? static_cast<double>(metres) * kMetresToFeet : metres;
    return Printf("%.1f", shown) + " " + LengthUnitText(lengthUnit);
}

std::string FormatCutoff(float hertz) {
    if (hertz == 0) return LoadString(string_id::kOpen);
    return Printf("%.1f", static_cast<double>(hertz));
}

FieldParse ParseFieldValue(const std::string& text, float maximum) {
    const char* const kNotANumber = LoadString(string_id::kMsgEnterNumber);
    FieldParse result;
    const char* begin = text.c_str();
    while (IsBlank(*begin)) ++begin;
    // Only plain decimal numbers: strtod would also take "nan", "inf" and hexadecimal forms.
    for (const char* p = begin; *p; ++p) {
        char c = *p;
        bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E' || IsBlank(c);
        if (!allowed) {
            result.error = kNotANumber;
            return result;
        }
    }
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(begin, &end);
    if (end == begin) {
        result.error = kNotANumber;
        return result;
    }
    while (IsBlank(*end)) ++end;
    if (*end != '\0') {
        result.error = kNotANumber;
        return result;
    }
    // The box holds a single-precision value, so the limit applies to the value as stored: "1e12"
    // rounds to exactly the float limit and is accepted, "1e39" overflows and is refused.
    const float stored = static_cast<float>(value);
    if (!std::isfinite(stored) || stored > maximum || stored < 0) {
        result.error = FormatString(string_id::kMsgEnterNumberInRange, static_cast<double>(maximum));
        return result;
    }
    result.value = stored + 0.0f;  // -0 is stored as 0
    return result;
}

}  // namespace vexlan
