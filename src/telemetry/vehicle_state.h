#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace crv::telemetry {

/// The flight modes the board reports; the first seven can be chosen from the main window.
enum class FlightMode : uint8_t {
    Manual = 0,
    Acro,
    Stable,
    AltHold,
    PosHold,
    Return,
    Auto,
    Thermal,
    Takeoff,
    Land,
};

/// The text shown for a mode byte, or nothing for values outside the table.
std::optional<std::string> flightModeText(uint8_t mode);

/// The last telemetry values received; never cleared while the program runs.
struct VehicleState {
    uint8_t armed = 0;
    int16_t rollDeciDeg = 0;    ///< positive right wing down
    int16_t pitchDeciDeg = 0;   ///< positive nose up
    int16_t headingDeciDeg = 0; ///< 0 to 3600
    uint16_t attitudeAux = 0;
    float headingDeg = 0;
    float gpsSpeed = 0; ///< ground speed as the board sends it
    uint8_t flightMode = 0;
    int8_t waypointIndex = 0;
    bool gpsFixValid = false;
    float latitude = 0;   ///< degrees, north positive
    float longitude = 0;  ///< degrees, east positive
    double latitudeD = 0; ///< the single-precision latitude, widened
    double longitudeD = 0;
    std::array<int16_t, 3> mag{};
    std::array<int16_t, 3> magMin{2048, 2048, 2048};
    std::array<int16_t, 3> magMax{-2048, -2048, -2048};
    std::array<int16_t, 3> magOffset{};
    std::array<int16_t, 3> magGain{};
};

} // namespace crv::telemetry
