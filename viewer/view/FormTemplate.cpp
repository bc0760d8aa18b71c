#include "view/FormTemplate.h"

#include "res/StringTable.h"

namespace vexlan {
namespace {

using K = ControlKind;
constexpr unsigned kDisplayEdit = kBordered | kReadOnly | kAlignCentre | kUpperCase;
constexpr unsigned kValueEdit = kBordered;
// Whether the template gives the control a text (kept in the string table under its id).
constexpr bool kCaptioned = true, kBlank = false;

constexpr ControlTemplate kControls[] = {
    {1000, K::GroupBox, kCaptioned, 7, 7, 497, 174, kNone},
    {1015, K::Picture, kBlank, 47, 18, 418, 120, kBordered},
    {1018, K::Picture, kBlank, 13, 133, 27, 31, kNone},
    {1017, K::Picture, kBlank, 472, 133, 27, 31, kNone},
    {1049, K::Text, kBlank, 9, 164, 35, 15, kAlignCentre | kSunken | kBordered},
    {1050, K::Text, kBlank, 467, 164, 35, 15, kAlignCentre | kSunken | kBordered},
    {1151, K::Text, kBlank, 48, 143, 138, 11, kNone},
    {1152, K::Text, kBlank, 322, 143, 138, 11, kAlignRight},
    {1121, K::Text, kCaptioned, 140, 145, 89, 8, kAlignRight},
    {1072, K::Edit, kBlank, 233, 143, 60, 12, kDisplayEdit},
    {1122, K::Text, kCaptioned, 296, 145, 12, 8, kNone},
    {1009, K::Slider, kBlank, 40, 154, 430, 15, kDisabled},
    {1177, K::Picture, kBlank, 48, 170, 417, 7, kNone},
    {1175, K::IconButton, kBlank, 12, 84, 30, 25, kNone},
    {1176, K::IconButton, kBlank, 470, 84, 30, 25, kNone},
    {1001, K::GroupBox, kCaptioned, 7, 183, 242, 102, kNone},
    {1021, K::Text, kCaptioned, 14, 197, 51, 13, kNone},
    {1029, K::DropList, kBlank, 66, 197, 74, 40, kNone},
    {1022, K::Text, kCaptioned, 14, 210, 51, 13, kNone},
    {1178, K::Picture, kBlank, 66, 210, 73, 12, kNone},
    {1023, K::Text, kCaptioned, 14, 223, 51, 13, kNone},
    {1028, K::DropList, kBlank, 66, 223, 74, 73, kDisabled},
    {1024, K::Text, kCaptioned, 14, 236, 51, 13, kNone},
    {1030, K::Edit, kBlank, 66, 236, 74, 12, kValueEdit},
    {1045, K::Text, kCaptioned, 143, 239, 8, 8, kNone},
    {1025, K::Text, kCaptioned, 14, 249, 51, 13, kNone},
    {1031, K::Edit, kBlank, 66, 249, 74, 12, kValueEdit | kDisabled},
    {1044, K::Text, kCaptioned, 143, 251, 22, 8, kNone},
    {1026, K::Text, kCaptioned, 14, 262, 51, 13, kNone},
    {1032, K::Edit, kBlank, 66, 262, 74, 12, kValueEdit},
    {1047, K::Text, kCaptioned, 143, 265, 12, 8, kNone},
    {1048, K::Text, kCaptioned, 158, 265, 11, 8, kNone},
    {1033, K::GroupBox, kCaptioned, 169, 190, 75, 44, kNone},
    {1035, K::Radio, kCaptioned, 176, 204, 64, 10, kFirstOfGroup},
    {1036, K::Radio, kCaptioned, 176, 217, 63, 10, kNone},
    {1034, K::GroupBox, kCaptioned, 169, 235, 75, 45, kNone},
    {1037, K::Radio, kCaptioned, 177, 251, 63, 10, kFirstOfGroup},
    {1038, K::Radio, kCaptioned, 177, 264, 63, 10, kNone},
    {1002, K::GroupBox, kCaptioned, 252, 183, 116, 102, kNone},
    {1061, K::Text, kCaptioned, 256, 196, 53, 12, kNone},
    {1066, K::Edit, kBlank, 313, 197, 39, 12, kDisplayEdit},
    {1065, K::Text, kCaptioned, 353, 197, 12, 12, kNone},
    {1062, K::Text, kCaptioned, 256, 213, 54, 12, kNone},
    {1067, K::Edit, kBlank, 313, 214, 39, 12, kDisplayEdit},
    {1070, K::Text, kCaptioned, 353, 216, 11, 12, kNone},
    {1063, K::Text, kCaptioned, 255, 230, 55, 12, kNone},
    {1069, K::Edit, kBlank, 313, 231, 39, 12, kDisplayEdit},
    {1064, K::Text, kCaptioned, 257, 248, 54, 12, kNone},
    {1068, K::Edit, kBlank, 313, 248, 39, 12, kDisplayEdit},
    {1060, K::Button, kCaptioned, 290, 267, 45, 13, kNone},
    {1004, K::GroupBox, kCaptioned, 371, 183, 133, 62, kNone},
    {1039, K::Text, kCaptioned, 382, 192, 114, 8, kNone},
    {1041, K::Text, kBlank, 382, 201, 114, 12, kSunken},
    {1042, K::Text, kCaptioned, 382, 217, 114, 8, kNone},
    {1043, K::Text, kBlank, 382, 225, 114, 12, kSunken},
    {1157, K::GroupBox, kCaptioned, 371, 248, 134, 37, kNone},
    {1156, K::Button, kCaptioned, 376, 262, 71, 15, kNone},
    {1003, K::Button, kCaptioned, 453, 262, 46, 15, kNone},
};

}  // namespace

const ControlTemplate* FormControls(int& count) {
    count = static_cast<int>(sizeof kControls / sizeof kControls[0]);
    return kControls;
}

const ControlTemplate* FindControl(int id) {
    for (const ControlTemplate& c : kControls)
        if (c.id == id) return &c;
    return nullptr;
}

const char* ControlText(int id) { return LoadResourceText(resource::kFormTemplate, id); }

std::string ControlObjectName(int id) { return "IDC_" + std::to_string(id); }

}  // namespace vexlan
