#include "joystick/expo_curve.h"

#include <algorithm>
#include <cmath>

namespace crv::joystick {

double ExpoCurve(double x, int exponentPercent) {
    x = std::clamp(x, -0.99, 0.99);
    const int e = std::clamp(exponentPercent, 0, 99);
    const double k = std::clamp(std::pow(10.0, 0.25 * std::pow(2.0, 0.04 * e)), 0.0, 5000.0);
    const double magnitude = (std::pow(k, std::fabs(x)) - 1) / (k - 1);
    return x >= 0 ? magnitude : -magnitude;
}

} // namespace crv::joystick
