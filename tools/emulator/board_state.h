#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace crv::emulator {

/// What the emulated board remembers, shared by the answer modules.
struct BoardState {
    uint16_t versionMajor = 2;
    uint16_t versionMinor = 0;
    uint16_t build = 6100;
    uint8_t armed = 0;
    uint8_t flightMode = 2; ///< Stable
    uint8_t modelIndex = 0;
    std::array<std::string, 6> modelNames = {"Trainer", "Wing", "Quad", "Hexa", "Glider", "Spare"};
    /// Reverse flags, D, RC rate, roll, pitch and yaw gains, each gain × 100.
    std::array<uint8_t, 6> boardConfig = {0x00, 35, 100, 50, 50, 120};
    /// The mission lines as they travel after their index: action, line, a, b, c, d.
    std::array<std::array<uint8_t, 14>, 201> missionLines = {{{252}}};
    uint8_t missionLine = 0; ///< the line flown in AUTO
    /// Servo outputs 1 to 8 driven by the joystick or by the simulated flight; empty while the
    /// board flies its own circle.
    std::optional<std::array<uint16_t, 8>> servoOutputs;
};

} // namespace crv::emulator
