#include "telemetry/telemetry_decoders.h"

#include "link/payload_reader.h"
#include "telemetry/number_format.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace crv::telemetry {

namespace {

using link::PayloadReader;

constexpr int kChannelCentre = 3000;

std::string tenths(int value) { return formatScaled(value * 0.1); }

} // namespace

std::optional<std::string> flightModeText(uint8_t mode) {
    static constexpr std::array<const char*, 10> kTexts = {
        "Manual", "Acro", "Stable",  "Alt hold", "Pos hold",
        "RETURN", "AUTO", "Thermal", "Takeoff",  "Land"};
    if (mode >= kTexts.size()) {
        return std::nullopt;
    }
    return kTexts[mode];
}

void applyArmed(VehicleState& state, const link::LinkFrame& frame) {
    state.armed = PayloadReader(frame).u8(0);
}

std::array<int, 8> decodeChannels(const link::LinkFrame& frame) {
    const PayloadReader payload(frame);
    std::array<int, 8> bars{};
    for (size_t k = 0; k < bars.size(); ++k) {
        bars[k] = payload.u16(2 * k) - kChannelCentre;
    }
    return bars;
}

AttitudeView applyAttitude(VehicleState& state, const link::LinkFrame& frame) {
    const PayloadReader payload(frame);
    return setAttitude(state, payload.s16(0), payload.s16(2), payload.s16(4), payload.u16(6));
}

AttitudeView setAttitude(VehicleState& state, int16_t rollDeciDeg, int16_t pitchDeciDeg,
                         int16_t headingDeciDeg, uint16_t aux) {
    state.rollDeciDeg = rollDeciDeg;
    state.pitchDeciDeg = pitchDeciDeg;
    state.headingDeciDeg = headingDeciDeg;
    state.attitudeAux = aux;
    state.headingDeg = static_cast<float>(state.headingDeciDeg * 0.1);
    return {tenths(state.rollDeciDeg), tenths(state.pitchDeciDeg), tenths(state.headingDeciDeg),
            std::to_string(state.attitudeAux), state.headingDeciDeg};
}

NavigationView applyNavigation(VehicleState& state, const link::LinkFrame& frame) {
    const PayloadReader payload(frame);
    const int16_t groundSpeed = payload.s16(0);
    state.gpsSpeed = groundSpeed;
    state.flightMode = payload.u8(9);
    state.waypointIndex = payload.s8(10);
    return {std::to_string(groundSpeed), tenths(payload.s32(2)), std::to_string(payload.s8(6)),
            std::to_string(payload.s16(7)), flightModeText(state.flightMode)};
}

GpsView applyGps(VehicleState& state, const link::LinkFrame& frame) {
    const PayloadReader payload(frame);
    const uint8_t fix = payload.u8(0);
    state.gpsFixValid = fix != 0 && fix != 255;
    const double latitude = payload.s32(3) * 1e-7;
    const double longitude = payload.s32(7) * 1e-7;
    state.latitude = static_cast<float>(latitude);
    state.longitude = static_cast<float>(longitude);
    state.latitudeD = state.latitude;
    state.longitudeD = state.longitude;
    return {fix == 0     ? "No"
            : fix == 255 ? "No GPS"
                         : "OK",
            std::to_string(payload.u8(1)),
            std::to_string(payload.u8(2)),
            formatScaled(latitude),
            formatScaled(longitude),
            std::to_string(payload.s16(11))};
}

MagnetometerView applyMagnetometer(VehicleState& state, const link::LinkFrame& frame) {
    const PayloadReader payload(frame);
    MagnetometerView view;
    for (size_t axis = 0; axis < 3; ++axis) {
        const int16_t value = payload.s16(2 * axis);
        state.mag[axis] = value;
        if (value > state.magMax[axis]) {
            state.magMax[axis] = value;
        }
        if (value < state.magMin[axis]) {
            state.magMin[axis] = value;
        }
        const int high = state.magMax[axis];
        const int low = state.magMin[axis];
        state.magOffset[axis] = static_cast<int16_t>((high + low) / 2);
        if (high != low) {
            const auto gain = static_cast<int64_t>(600.0 / std::abs(high - low) * 1000);
            state.magGain[axis] = static_cast<int16_t>(static_cast<uint16_t>(gain));
        }
        view.reading[axis] = std::to_string(value);
        view.offset[axis] = std::to_string(state.magOffset[axis]);
    }
    return view;
}

PowerView decodePower(const link::LinkFrame& frame) {
    const PayloadReader payload(frame);
    return {tenths(payload.s16(0)) + "V", tenths(payload.s16(2)) + "A",
            std::to_string(payload.s16(4)), tenths(payload.s16(6)) + "V",
            std::to_string(payload.s16(8)) + "%"};
}

} // namespace crv::telemetry
