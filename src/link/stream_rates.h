#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace crv::link {

/// Rate codes of the six telemetry streams in the order the identification poll sends them:
/// attitude, RC inputs, servo outputs, navigation, GPS, power. A stream without a code is not
/// sent a rate.
using StreamRateCodes = std::array<std::optional<uint8_t>, 6>;

/// The message types of those streams, in the same order.
inline constexpr std::array<uint8_t, 6> kStreamRateTypes = {32, 30, 31, 33, 34, 36};

/// The rate code stopping a stream; code c otherwise means 10 / (c + 1) messages a second.
inline constexpr uint8_t kStreamOff = 20;

/// The code of an item of the rate lists "off", "1", "2", "5", "10"; none outside the list.
constexpr std::optional<uint8_t> rateCodeForItem(int index) {
    constexpr std::array<uint8_t, 5> kCodes = {kStreamOff, 9, 4, 1, 0};
    if (index < 0 || index >= static_cast<int>(kCodes.size())) {
        return std::nullopt;
    }
    return kCodes[static_cast<size_t>(index)];
}

} // namespace crv::link
