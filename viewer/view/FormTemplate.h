#pragma once
// The layout of the main form: every control with its id, kind, place in dialog units, and
// whether it has a text; the texts themselves are in the string table.
// Widgets carry the object name ControlObjectName(id), e.g. "IDC_1015", by which tests find them.

#include <string>

namespace vexlan {

enum class ControlKind { GroupBox, Picture, Text, Edit, Slider, Button, IconButton, DropList, Radio };

enum ControlFlags : unsigned {
    kNone = 0,
    kAlignCentre = 1u << 0,
    kAlignRight = 1u << 1,
    kSunken = 1u << 2,
    kBordered = 1u << 3,
    kReadOnly = 1u << 4,
    kUpperCase = 1u << 5,
    kDisabled = 1u << 6,
    kFirstOfGroup = 1u << 7,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    bool hasText;             // ControlText(id) gives the text the control starts with
    int x, y, width, height;  // dialog units
    unsigned flags;
};

constexpr int kFormWidthDu = 511;
constexpr int kFormHeightDu = 287;

const ControlTemplate* FormControls(int& count);
const ControlTemplate* FindControl(int id);

// Not in the template: the small button that opens the velocity calculator, in the room the
// Velocity label leaves before its box. Its caption and tool tip are plain strings.
constexpr ControlTemplate kVelocityCalculatorButton = {1179, ControlKind::Button, false, 50, 262, 14, 12, kNone};

// Dialog units of the 8-point form font to pixels.
constexpr int DuToPixelsX(int du) { return du * 6 / 4; }
constexpr int DuToPixelsY(int du) { return du * 13 / 8; }

// The starting text of a control, "" for a control without one.
const char* ControlText(int id);

std::string ControlObjectName(int id);

// Control ids the view refers to by name.
namespace idc {
constexpr int kGraph = 1015, kSensor1Picture = 1018, kSensor2Picture = 1017;
constexpr int kDistance1 = 1049, kDistance2 = 1050, kWarning1 = 1151, kWarning2 = 1152;
constexpr int kTimeDelay = 1072, kTimeDelayUnit = 1122, kSlider = 1009, kScaleBar = 1177;
constexpr int kLeftArrow = 1175, kRightArrow = 1176;
constexpr int kSegment = 1029, kKey = 1178, kMaterial = 1028;
constexpr int kLength = 1030, kLengthUnit = 1045, kDiameter = 1031, kDiameterUnit = 1044;
constexpr int kVelocity = 1032, kVelocityUnit = 1047, kVelocityTimeUnit = 1048;
constexpr int kMetric = 1035, kImperial = 1036, kSeconds = 1037, kMilliseconds = 1038;
constexpr int kLowCut = 1066, kHighCut = 1067, kAutoFilter = 1069, kNotchFilter = 1068, kModify = 1060;
constexpr int kFileName = 1041, kDateCreated = 1043;
constexpr int kSetStartPoint = 1156, kRemove = 1003;
constexpr int kVelocityCalculator = kVelocityCalculatorButton.id;
}  // namespace idc

}  // namespace vexlan
