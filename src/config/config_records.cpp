#include "config/config_records.h"

#include <algorithm>

namespace crv::config {

void AirframeRecord::setName(const std::string& name) {
    for (size_t i = 0; i < kNameSize; ++i) {
        bytes[i] = i < name.size() ? static_cast<uint8_t>(name[i]) : ' ';
    }
}

TrackerRecord TrackerRecord::factory() {
    TrackerRecord record;
    const int8_t positions[kPositions] = {0, -50, 50, 25, 0, -50, 50, 25};
    record.bytes[0] = kTrackingEnabled;
    for (size_t i = 0; i < kPositions; ++i) {
        record.bytes[1 + i] = static_cast<uint8_t>(positions[i]);
    }
    return record;
}

void GimbalAxis::setStops(int16_t low, int16_t high, int16_t neutralPosition) {
    setLe16(0, static_cast<uint16_t>(low));
    setLe16(2, static_cast<uint16_t>(high));
    setLe16(4, static_cast<uint16_t>(neutralPosition));
}

void GimbalAxis::setGain(unsigned gainMilli, bool isInverted) {
    setLe16(6, static_cast<uint16_t>((gainMilli & 0x7FFFu) | (isInverted ? 0x8000u : 0u)));
}

std::optional<GimbalStatus> decodeGimbalStatus(const link::PayloadReader& payload) {
    if (payload.size() < 1 + GimbalStatus::kSize) {
        return std::nullopt;
    }
    return GimbalStatus{payload.s16(1), payload.s16(3), payload.s16(5), payload.s16(7),
                        payload.s16(9)};
}

} // namespace crv::config
