#pragma once
// The Measure Velocity dialog without its widgets: where the user says the known noise was made,
// the delay measured at the cursor, and the velocity (and the factor on every segment) that put
// the noise there.

#include <string>
#include <vector>

#include "correlation/Velocity.h"

namespace vexlan {

class MeasureVelocityLogic {
public:
    // pipe: the used segments as stored; delay: the cursor's peak at the full rate (s);
    // columnDelay: one graph column (s), the shortest delay a velocity is measured from.
    MeasureVelocityLogic(std::vector<velocity::Segment> pipe, double delay, double columnDelay, int lengthUnit,
                         int timeUnit);

    velocity::SourcePlace place = velocity::SourcePlace::AtDistance;
    std::string distanceText;  // from sensor 1, in the form's length unit

    // The factor (new over stored) for every segment's velocity, or the message saying why none.
    bool Compute(double& factor, std::string& message) const;

    std::string DelayText() const;     // with its unit
    std::string VelocityText() const;  // the first segment's new velocity with its unit; "" when refused
    std::string FactorText() const;    // for several segments; "" for one or when refused
    std::string LengthUnitText() const;

private:
    std::vector<velocity::Segment> pipe_;
    double delay_;
    double columnDelay_;
    int lengthUnit_;
    int timeUnit_;
};

}  // namespace vexlan
