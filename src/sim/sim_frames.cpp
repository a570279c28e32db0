#include "sim/sim_frames.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

#include <charconv>

namespace crv::sim {

namespace {

namespace msg = link::msg;

constexpr uint8_t kSimGpsFix = 1;
constexpr uint8_t kSimSatellites = 9;

void put16(link::LinkFrameBuilder& builder, int16_t value) {
    builder.put16(static_cast<uint16_t>(value));
}

std::string charsOf(double value, std::chars_format format, int precision) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, format, precision);
    return std::string(text, result.ptr);
}

} // namespace

void sendSimFrames(link::LinkFrameBuilder& builder, const SimState& state) {
    builder.begin();
    builder.put8(msg::kSimImu);
    put16(builder, state.accelX);
    put16(builder, static_cast<int16_t>(-state.accelY));
    put16(builder, static_cast<int16_t>(-state.accelZ));
    put16(builder, state.rollDeciDeg);
    put16(builder, state.pitchDeciDeg);
    put16(builder, state.headingDeciDeg);
    builder.finish();

    builder.begin();
    builder.put8(msg::kSimGps);
    builder.put8(kSimGpsFix);
    builder.put8(kSimSatellites);
    builder.put32(static_cast<uint32_t>(state.latitudeE7));
    builder.put32(static_cast<uint32_t>(state.longitudeE7));
    put16(builder, state.altitudeM);
    builder.finish();

    builder.begin();
    builder.put8(msg::kSimAirData);
    put16(builder, state.airSpeed);
    put16(builder, state.altitudeM);
    put16(builder, state.groundSpeed);
    put16(builder, state.climbDeciMps);
    builder.finish();
}

void forwardSimFrame(link::LinkFrameBuilder& builder, const uint8_t* data, size_t size) {
    const link::PayloadReader datagram(data, size);
    uint8_t payload[15];
    for (size_t k = 0; k < 3; ++k) {
        payload[k] = datagram.u8(4 + k);
    }
    // Each field least significant byte first in the datagram, most significant first on the link.
    struct Field {
        size_t from, to, width;
    };
    constexpr Field kFields[] = {{9, 3, 4}, {13, 7, 4}, {17, 11, 2}, {19, 13, 2}};
    for (const Field& field : kFields) {
        for (size_t k = 0; k < field.width; ++k) {
            payload[field.to + k] = datagram.u8(field.from + field.width - 1 - k);
        }
    }
    builder.begin();
    builder.put8(datagram.u8(3));
    builder.putBytes(payload, sizeof payload);
    builder.finish();
}

std::string generalText(double value, int significantDigits) {
    return charsOf(value, std::chars_format::general, significantDigits);
}

std::string fixedText(double value, int decimals) {
    return charsOf(value, std::chars_format::fixed, decimals);
}

std::string simControlLine(const std::array<int, 4>& servoGauges,
                           const std::array<int16_t, 3>& aux) {
    const double general[] = {servoGauges[0] / 1200.0, -servoGauges[1] / 1200.0,
                              servoGauges[2] / 2400.0 + 0.5, servoGauges[3] / 1200.0};
    std::string line;
    for (double value : general) {
        line += generalText(value, 3) + ";";
    }
    const int fixed[] = {aux[0], aux[1], -aux[2]};
    for (int value : fixed) {
        line += fixedText(value * 0.1, 1) + ";";
    }
    return line + "\n";
}

} // namespace crv::sim
