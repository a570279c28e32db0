#pragma once

#include <cstdint>
#include <vector>

namespace crv::emulator {

/// The board's OSD as 240 x 240 one-bit pixels, 30 bytes a row, the leftmost pixel in the
/// top bit: a frame, a horizon tilted by rollDeciDeg, the centre mark and the altitude in
/// digits.
std::vector<uint8_t> drawOsdPicture(int16_t rollDeciDeg, int altitudeM);

/// Run-length codes a picture the way the board sends it, followed by its 16-bit check.
std::vector<uint8_t> encodeOsdCapture(const std::vector<uint8_t>& picture);

} // namespace crv::emulator
