#include "ui/main/horizon_geometry.h"

#include <cmath>
#include <numbers>

namespace crv::ui {

HorizonGeometry horizonGeometry(int16_t rollDeciDeg, int16_t pitchDeciDeg) {
    HorizonGeometry geometry;
    const int wholeDegrees = rollDeciDeg / 10;
    geometry.angleRad = wholeDegrees * 2 * std::numbers::pi / 360;
    geometry.stripTop = static_cast<int>(0.395 * pitchDeciDeg - 500);
    const double c = std::cos(geometry.angleRad);
    const double s = std::sin(geometry.angleRad);
    // x' = m11·x + m21·y + dx, y' = m12·x + m22·y + dy
    geometry.m11 = c;
    geometry.m21 = s;
    geometry.m12 = -s;
    geometry.m22 = c;
    return geometry;
}

} // namespace crv::ui
