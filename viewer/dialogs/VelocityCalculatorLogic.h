#pragma once
// The Velocity Calculator dialog without its widgets: the wall materials it offers, what the user
// typed, and the speed of sound those give, shown in the form's units.

#include <string>
#include <vector>

#include "correlation/Velocity.h"

namespace vexlan {

enum class WallEntry { Thickness, Sdr };

class VelocityCalculatorLogic {
public:
    VelocityCalculatorLogic(velocity::MaterialList list, int lengthUnit, int timeUnit);

    // The materials as the form names them where it knows them ("Ductile Iron"), else as listed.
    const std::vector<std::string>& MaterialNames() const { return names_; }
    // Starts from a segment: its material when the list has it, its diameter as the outside one.
    void StartFrom(const std::string& materialName, float diameterMm);

    int material = -1;  // index into MaterialNames()
    std::string diameterText;
    std::string wallText;
    std::string sdrText;
    WallEntry wallEntry = WallEntry::Thickness;

    // The velocity in m/s, or the message saying what is wrong with the entries.
    bool Compute(double& metresPerSecond, std::string& message) const;
    // The velocity as the form's Velocity box would show it, "" while the entries give none.
    std::string VelocityText() const;
    std::string VelocityUnitText() const;
    // The chosen material's modulus and where it comes from.
    std::string ModulusText() const;

private:
    velocity::MaterialList list_;
    std::vector<std::string> names_;
    int lengthUnit_;
    int timeUnit_;
};

}  // namespace vexlan
