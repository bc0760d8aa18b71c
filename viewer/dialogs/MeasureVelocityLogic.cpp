#include "dialogs/MeasureVelocityLogic.h"
#include "res/StringIds.h"

#include "res/StringTable.h"
#include "view/Units.h"

namespace vexlan {

namespace {}  // namespace

MeasureVelocityLogic::MeasureVelocityLogic(std::vector<velocity::Segment> pipe, double delay, double columnDelay,
                                           int lengthUnit, int timeUnit)
    : pipe_(std::move(pipe)), delay_(delay), columnDelay_(columnDelay), lengthUnit_(lengthUnit), timeUnit_(timeUnit) {}

bool MeasureVelocityLogic::Compute(double& factor, std::string& message) const {
    double distance = 0;
    if (place == velocity::SourcePlace::AtDistance) {
        const FieldParse p = ParseFieldValue(distanceText, kLengthMaximum);
        if (!p.value) {
            message = p.error;
            return false;
        }
        distance = LengthFromEntry(*p.value, lengthUnit_);
    }
    const velocity::Outcome f = velocity::KnownSourceFactor(pipe_, place, distance, delay_, columnDelay_);
    if (!f.ok()) {
        message = LoadString(f.errorId);
        return false;
    }
    factor = f.value;
    return true;
}

std::string MeasureVelocityLogic::DelayText() const {
    const double shown = timeUnit_ == kMilliseconds ? delay_ * 1000 : delay_;
    return FormatNumber(timeUnit_ == kMilliseconds ? "%.2f" : "%.5f", shown) + " " + TimeUnitText(timeUnit_);
}

std::string MeasureVelocityLogic::VelocityText() const {
    double factor = 0;
    std::string message;
    if (pipe_.empty() || !Compute(factor, message)) return {};
    const float v = VelocityForDisplay(float(pipe_.front().velocity * factor), lengthUnit_, timeUnit_);
    return FormatFloatField(v) + " " + VelocityUnitText(lengthUnit_) + " " + TimeUnitText(timeUnit_);
}

std::string MeasureVelocityLogic::FactorText() const {
    double factor = 0;
    std::string message;
    if (pipe_.size() < 2 || !Compute(factor, message)) return {};
    const std::string text = FormatString(string_id::kVelocityFactorText, factor, int(pipe_.size()));
    return text;
}

std::string MeasureVelocityLogic::LengthUnitText() const { return vexlan::LengthUnitText(lengthUnit_); }

}  // namespace vexlan
