#pragma once

#include "link/link_frame.h"
#include "telemetry/vehicle_state.h"

#include <array>
#include <optional>
#include <string>

namespace crv::telemetry {

// One decoder per downlink message: each stores what the vehicle state keeps and returns the
// texts and values its displays show. Fields past the end of a short payload read as zero.

/// Type 3.
void applyArmed(VehicleState& state, const link::LinkFrame& frame);

/// Types 30 and 31: the eight channel gauges, each the channel value less 3000.
std::array<int, 8> decodeChannels(const link::LinkFrame& frame);

struct AttitudeView {
    std::string roll, pitch, heading, aux;
    int headingPie = 0;
};
/// Type 32.
AttitudeView applyAttitude(VehicleState& state, const link::LinkFrame& frame);
/// The attitude values as type 32 carries them, from the board or from the simulator.
AttitudeView setAttitude(VehicleState& state, int16_t rollDeciDeg, int16_t pitchDeciDeg,
                         int16_t headingDeciDeg, uint16_t aux);

struct NavigationView {
    std::string groundSpeed, altitude, temperature, airSpeed;
    std::optional<std::string> mode; ///< empty for unknown modes: the text stays as it was
};
/// Type 33.
NavigationView applyNavigation(VehicleState& state, const link::LinkFrame& frame);

struct GpsView {
    std::string fix, satellites, hdop, latitude, longitude, altitude;
};
/// Type 34.
GpsView applyGps(VehicleState& state, const link::LinkFrame& frame);

struct MagnetometerView {
    std::array<std::string, 3> reading, offset;
};
/// Type 35: also keeps the running extremes and the centre and gain per axis.
MagnetometerView applyMagnetometer(VehicleState& state, const link::LinkFrame& frame);

struct PowerView {
    std::string battery1, current, chargeUsed, battery2, rssi;
};
/// Type 36; nothing is stored.
PowerView decodePower(const link::LinkFrame& frame);

} // namespace crv::telemetry
