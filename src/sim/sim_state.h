#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace crv::sim {

/// The simulated aircraft as the last SimStateLines gave it, scaled for the board. Each value
/// keeps what it had until a line converts it again.
struct SimState {
    int16_t accelX = 0;            ///< field 1, m/s² x 823.63
    int16_t accelY = 0;            ///< field 2
    int16_t accelZ = 0;            ///< field 3
    int16_t rollDeciDeg = 0;       ///< field 4
    int16_t pitchDeciDeg = 0;      ///< field 5
    int16_t headingDeciDeg = 0;    ///< field 6
    int32_t latitudeE7 = 0;        ///< field 7, degrees x 10^7
    int32_t longitudeE7 = 0;       ///< field 8
    int16_t altitudeM = 0;         ///< field 9
    int16_t airSpeed = 0;          ///< field 10
    int16_t groundSpeed = 0;       ///< field 11
    int16_t climbDeciMps = 0;      ///< field 12, x 10
};

/// The text of a datagram as it is looked at: at most the first 1024 bytes, up to the first zero.
std::string_view datagramText(const uint8_t* data, size_t size);

enum class LineParse {
    Complete,  ///< every field with a separator after it was a number
    Malformed, ///< a field was no number: the fields before it were taken, nothing more
};

/// Converts fields 1 to 12 of a SimStateLine into state as each field's separator (comma or
/// line feed) is reached. A trailing field without a separator and fields after the twelfth are
/// not converted. A number is an optional sign, digits with an optional point and an optional
/// exponent; NaN, infinity and values whose scaled result is no finite number are malformed.
/// Integer fields keep the low bits of the truncated scaled value, as two's complement.
LineParse parseSimStateLine(std::string_view text, SimState& state);

} // namespace crv::sim
