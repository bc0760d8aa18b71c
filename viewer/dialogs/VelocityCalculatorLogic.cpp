#include "dialogs/VelocityCalculatorLogic.h"
#include "res/StringIds.h"

#include "res/StringTable.h"
#include "view/Units.h"

namespace vexlan {

namespace {

// A number typed into a box, or the message the form gives for a box it cannot read.
bool ReadNumber(const std::string& text, double& value, std::string& message) {
    const FieldParse p = ParseFieldValue(text, kDiameterMaximum);
    if (!p.value) {
        message = p.error;
        return false;
    }
    value = *p.value;
    return true;
}

}  // namespace

VelocityCalculatorLogic::VelocityCalculatorLogic(velocity::MaterialList list, int lengthUnit, int timeUnit)
    : list_(std::move(list)), lengthUnit_(lengthUnit), timeUnit_(timeUnit) {
    for (const velocity::WallMaterial& m : list_.materials) {
        std::string name = m.name;
        for (int i = 0; i < string_id::kMaterialCount; ++i) {
            const char* formName = LoadString(string_id::kMaterialNameBase + i);
            if (list_.Find(formName) == &m) {
                name = formName;
                break;
            }
        }
        names_.push_back(name);
    }
    if (!names_.empty()) material = 0;
}

void VelocityCalculatorLogic::StartFrom(const std::string& materialName, float diameterMm) {
    if (const velocity::WallMaterial* m = list_.Find(materialName)) material = int(m - list_.materials.data());
    if (diameterMm > 0) diameterText = FormatFloatField(diameterMm);
}

bool VelocityCalculatorLogic::Compute(double& metresPerSecond, std::string& message) const {
    if (material < 0 || material >= int(list_.materials.size())) {
        message = LoadString(string_id::kMsgBadModulus);
        return false;
    }
    double diameter = 0, wall = 0;
    if (!ReadNumber(diameterText, diameter, message)) return false;
    if (wallEntry == WallEntry::Sdr) {
        double sdr = 0;
        if (!ReadNumber(sdrText, sdr, message)) {
            message = LoadString(string_id::kMsgBadSdr);
            return false;
        }
        const velocity::Outcome w = velocity::WallFromSdr(diameter, sdr);
        if (!w.ok()) {
            message = LoadString(w.errorId);
            return false;
        }
        wall = w.value;
    } else if (!ReadNumber(wallText, wall, message)) {
        return false;
    }
    const velocity::Outcome c =
        velocity::WaveSpeed(list_.water, list_.materials[std::size_t(material)].modulusPa, diameter, wall);
    if (!c.ok()) {
        message = LoadString(c.errorId);
        return false;
    }
    metresPerSecond = c.value;
    return true;
}

std::string VelocityCalculatorLogic::VelocityText() const {
    double v = 0;
    std::string message;
    if (!Compute(v, message)) return {};
    return FormatFloatField(VelocityForDisplay(float(v), lengthUnit_, timeUnit_));
}

std::string VelocityCalculatorLogic::VelocityUnitText() const {
    return std::string(vexlan::VelocityUnitText(lengthUnit_)) + " " + TimeUnitText(timeUnit_);
}

std::string VelocityCalculatorLogic::ModulusText() const {
    if (material < 0 || material >= int(list_.materials.size())) return {};
    const velocity::WallMaterial& m = list_.materials[std::size_t(material)];
    const std::string text = FormatString(string_id::kModulusText, m.modulusPa / 1e9, m.source.c_str());
    return text;
}

}  // namespace vexlan
