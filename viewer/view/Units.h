#pragma once
// Unit conversions between what the record stores (m, mm, m/s, s) and what the form shows, and
// the texts of the shown values.

#include <optional>
#include <string>

namespace vexlan {

enum LengthUnit { kMetric = 0, kImperial = 1 };
enum TimeUnit { kSeconds = 0, kMilliseconds = 1 };

// Every product is formed in double precision and kept in single precision at each step.
float LengthForDisplay(float metres, int lengthUnit);
float DiameterForDisplay(float millimetres, int lengthUnit);
float VelocityForDisplay(float metresPerSecond, int lengthUnit, int timeUnit);
float LengthFromEntry(float entered, int lengthUnit);
float DiameterFromEntry(float entered, int lengthUnit);
float VelocityFromEntry(float entered, int lengthUnit, int timeUnit);

const char* LengthUnitText(int lengthUnit);    // "m" / "ft"
const char* DiameterUnitText(int lengthUnit);  // "mm" / "ins"
const char* VelocityUnitText(int lengthUnit);  // "m /" / "ft /"
const char* TimeUnitText(int timeUnit);        // "s" / "ms"

// A float as an edit box shows it: 6 significant digits, shortest form.
// One number through a printf format; a value that is not finite shows as "-", so no "inf" or
// "nan" reaches a screen, a report or a page whatever a file holds.
std::string FormatNumber(const char* format, double value);
std::string FormatFloatField(float value);
std::string FormatTimeDelay(float seconds, int timeUnit);
std::string FormatDistance(float metres, int lengthUnit);
std::string FormatCutoff(float hertz);  // "OPEN" for 0

// Reading a value box: a plain decimal number that, held as a float, lies within [0, maximum].
struct FieldParse {
    std::optional<float> value;
    std::string error;  // message for the user when value is empty
};
FieldParse ParseFieldValue(const std::string& text, float maximum);

constexpr float kLengthMaximum = 1e12f;
constexpr float kDiameterMaximum = 1e12f;
constexpr float kVelocityMaximum = 1e11f;

}  // namespace vexlan
