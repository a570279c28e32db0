#pragma once

#include <array>
#include <cstdint>

namespace crv::link {

/// Rate codes of the six telemetry streams in the order the identification poll sends them:
/// attitude, RC inputs, servo outputs, navigation, GPS, power.
using StreamRateCodes = std::array<uint8_t, 6>;

/// The message types of those streams, in the same order.
inline constexpr std::array<uint8_t, 6> kStreamRateTypes = {32, 30, 31, 33, 34, 36};

/// The rate code stopping a stream; code c otherwise means 10 / (c + 1) messages a second.
inline constexpr uint8_t kStreamOff = 20;

} // namespace crv::link
