#include "picture_tools/angle_measurement.hpp"

#include <cmath>

#include "core/cross_fix.hpp"
#include "core/number_text.hpp"

namespace vantrel::picture_tools {

double PointerAngle(double dx, double dy) {
    if (dy == 0) {
        return dx > 0 ? 90 : 270;
    }
    double angle = std::atan(dx / (-dy)) * 180 / core::kPi15;
    if (dy > 0) {
        angle = angle + 180;
    } else if (dx < 0) {
        angle = angle + 360;
    }
    return angle;
}

std::string AngleText(double angle, char decimalSeparator) {
    return core::FormatPattern(angle, "##0.00", decimalSeparator);
}

void AngleMeasurement::Press(float x, float y) {
    if (angleIdle_) {
        refX_ = x;
        refY_ = y;
        angleIdle_ = false;
        firstMove_ = true;
    } else {
        angleIdle_ = true;
    }
}

AngleMeasurement::MoveResult AngleMeasurement::Move(float x, float y) {
    MoveResult result;
    if (angleIdle_) {
        return result;
    }
    if (firstMove_) {
        result.xorLines.push_back({refX_, refY_, x, y});
        firstMove_ = false;
    } else {
        result.xorLines.push_back({refX_, refY_, lastX_, lastY_});
        result.xorLines.push_back({refX_, refY_, x, y});
        // The differences are taken in single precision, like the coordinates themselves.
        const float dx = x - refX_;
        const float dy = y - refY_;
        measuredAngle_ = PointerAngle(dx, dy);
        result.angle = measuredAngle_;
    }
    lastX_ = x;
    lastY_ = y;
    return result;
}

}  // namespace vantrel::picture_tools
