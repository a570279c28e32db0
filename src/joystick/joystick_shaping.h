#pragma once

#include "link/link_frame_builder.h"

#include <array>
#include <cstdint>

namespace crv::joystick {

/// The joystick's axes X, Y, Z and R, each 0 to 65535 with the centre at 32768.
struct JoystickAxes {
    uint16_t x = 0, y = 0, z = 0, r = 0;
};

/// Channel order of the gauges, the reverse boxes and the type 16 frame.
enum Channel { kRoll, kPitch, kThrottle, kYaw };

/// The group's settings as the poll reads them.
struct JoystickSettings {
    int exponentPercent = 0;              ///< 0 for "lin"
    std::array<bool, 4> reverse{};        ///< by Channel
    std::array<int, 4> trim{};            ///< by Channel, -3000 to 3000; throttle has none
};

/// What one poll shows and sends.
struct JoystickOutput {
    std::array<int, 4> gauges{};        ///< by Channel, for the 0 to 65535 bars (may lie outside)
    std::array<uint16_t, 4> channels{}; ///< by Channel, centre 3000, full deflection ±1200
};

/// Forms the channels from the axes (throttle is 65535 - Z), applies reverse, and for roll,
/// pitch and yaw the curve and the trims (both only when the exponent is not 0). The deflections
/// are held in single precision, the products taken from them and truncated toward zero.
JoystickOutput shapeJoystick(const JoystickAxes& axes, const JoystickSettings& settings);

/// Message type 16: roll, pitch, throttle, yaw.
void sendJoystickFrame(link::LinkFrameBuilder& builder, const std::array<uint16_t, 4>& channels);

} // namespace crv::joystick
