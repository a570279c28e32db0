#pragma once

#include "common/status.h"
#include "link/link_frame.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace crv::config {

/// The board configuration record (message type 24), kept as the 6-byte image the board sends:
/// reverse flags, then D, RC rate, roll, pitch and yaw gains, each gain × 100.
struct BoardConfigRecord {
    static constexpr uint8_t kRollReverse = 1 << 0;
    static constexpr uint8_t kPitchReverse = 1 << 1;
    static constexpr uint8_t kYawReverse = 1 << 3;
    static constexpr size_t kGains = 5;

    std::array<uint8_t, 6> bytes{};

    uint8_t flags() const { return bytes[0]; }
    uint8_t gain(size_t index) const { return bytes[1 + index]; }
};

/// Copies a received record; missing bytes read as zero.
BoardConfigRecord decodeBoardConfig(const link::LinkFrame& frame);

/// A gain byte as shown: byte × 0.01 in general format (25 shows as 0.25).
std::string gainText(uint8_t gain);

/// A typed gain as its byte: the decimal value × 100 truncated toward zero, kept in its low
/// 8 bits (3 gives 44). The hundredths come from the typed digits, not from a binary double, so
/// 0.29 gives 29 and 0.2899999999 gives 28. Text that is not a number gives the message
/// "'text' is not a valid floating point value".
struct GainParse {
    std::optional<uint8_t> gain;
    std::string error;
};
GainParse parseGain(const std::string& text);

} // namespace crv::config
