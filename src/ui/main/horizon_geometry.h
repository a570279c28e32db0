#pragma once

#include <cstdint>

namespace crv::ui {

/// Where the horizon strip goes in the 250 × 250 work image for an attitude.
struct HorizonGeometry {
    double angleRad = 0; ///< the roll in whole degrees, as radians
    int stripTop = 0;    ///< the strip's top edge before rotation: 3.95 pixels per degree
    /// The work image's transform: (x, y) maps to (x·cos + y·sin + 125, −x·sin + y·cos + 125).
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 125, dy = 125;
};

/// Roll and pitch in 0.1 degree. Roll is cut to whole degrees toward zero, so 305 and 309 draw
/// alike; the strip offset is truncated toward zero.
HorizonGeometry horizonGeometry(int16_t rollDeciDeg, int16_t pitchDeciDeg);

} // namespace crv::ui
