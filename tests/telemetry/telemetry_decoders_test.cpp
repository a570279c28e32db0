#include "telemetry/number_format.h"
#include "telemetry/telemetry_decoders.h"

#include <gtest/gtest.h>

#include <vector>

namespace crv::telemetry {
namespace {

using Bytes = std::vector<uint8_t>;

/// A frame of the given type over payload, which must outlive it.
link::LinkFrame frameOf(uint8_t type, const Bytes& payload) {
    return {type, static_cast<uint8_t>(payload.size() + 2), payload.data(), payload.size()};
}

TEST(NumberFormatTest, GeneralFormatWithSevenDigitsAndAPoint) {
    EXPECT_EQ(formatScaled(115 * 0.1), "11.5");
    EXPECT_EQ(formatScaled(120 * 0.1), "12");
    EXPECT_EQ(formatScaled(550228614 * 1e-7), "55.02286");
    EXPECT_EQ(formatScaled(-305 * 0.1), "-30.5");
    EXPECT_EQ(formatScaled(0), "0");
}

TEST(TelemetryDecodersTest, Attitude) {
    VehicleState state;
    const Bytes payload = {0x01, 0x31, 0xFF, 0x9C, 0x0E, 0x0F, 0xFF, 0xFF};
    const AttitudeView view = applyAttitude(state, frameOf(32, payload));
    EXPECT_EQ(view.roll, "30.5");
    EXPECT_EQ(view.pitch, "-10");
    EXPECT_EQ(view.heading, "359.9");
    EXPECT_EQ(view.aux, "65535");
    EXPECT_EQ(view.headingPie, 3599);
    EXPECT_EQ(state.rollDeciDeg, 305);
    EXPECT_EQ(state.pitchDeciDeg, -100);
    EXPECT_FLOAT_EQ(state.headingDeg, 359.9f);
}

TEST(TelemetryDecodersTest, ShortPayloadReadsZeros) {
    VehicleState state;
    const Bytes payload = {0x01, 0x31};
    const AttitudeView view = applyAttitude(state, frameOf(32, payload));
    EXPECT_EQ(view.roll, "30.5");
    EXPECT_EQ(view.heading, "0");
    const PowerView power = decodePower(frameOf(36, {}));
    EXPECT_EQ(power.battery1, "0V");
}

TEST(TelemetryDecodersTest, ChannelGaugesAreCentredOn3000) {
    const Bytes payload = {0x07, 0x08, 0x10, 0x68, 0x0B, 0xB8, 0, 0, 0xFF, 0xFF};
    const auto bars = decodeChannels(frameOf(30, payload));
    EXPECT_EQ(bars[0], -1200); // 1800
    EXPECT_EQ(bars[1], 1200);  // 4200
    EXPECT_EQ(bars[2], 0);     // 3000
    EXPECT_EQ(bars[3], -3000);
    EXPECT_EQ(bars[4], 65535 - 3000);
    EXPECT_EQ(bars[7], -3000) << "missing channels read as zero";
}

TEST(TelemetryDecodersTest, Navigation) {
    VehicleState state;
    const Bytes payload = {0x00, 0x39, 0x00, 0x00, 0x30, 0x39, 0xFB, 0x00, 0x3C, 0x06, 0xFF};
    const NavigationView view = applyNavigation(state, frameOf(33, payload));
    EXPECT_EQ(view.groundSpeed, "57");
    EXPECT_EQ(view.altitude, "1234.5");
    EXPECT_EQ(view.temperature, "-5");
    EXPECT_EQ(view.airSpeed, "60");
    EXPECT_EQ(view.mode, "AUTO");
    EXPECT_EQ(state.waypointIndex, -1);
    EXPECT_FLOAT_EQ(state.gpsSpeed, 57);
}

TEST(TelemetryDecodersTest, UnknownFlightModeIsStoredButHasNoText) {
    VehicleState state;
    const Bytes payload = {0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0};
    EXPECT_FALSE(applyNavigation(state, frameOf(33, payload)).mode);
    EXPECT_EQ(state.flightMode, 12);
    EXPECT_EQ(flightModeText(9), "Land");
    EXPECT_EQ(flightModeText(3), "Alt hold");
}

TEST(TelemetryDecodersTest, GpsFixStatesAndPosition) {
    struct Row {
        uint8_t fix;
        const char* text;
        bool valid;
    };
    for (const Row& row : {Row{0, "No", false}, Row{255, "No GPS", false}, Row{3, "OK", true}}) {
        VehicleState state;
        const Bytes payload = {row.fix, 9,    12,   0x20, 0xCB, 0xD2, 0x86,
                               0x2B,    0xC4, 0x33, 0xA0, 0x00, 0x79};
        const GpsView view = applyGps(state, frameOf(34, payload));
        EXPECT_EQ(view.fix, row.text);
        EXPECT_EQ(state.gpsFixValid, row.valid);
        EXPECT_EQ(view.satellites, "9");
        EXPECT_EQ(view.hdop, "12");
        EXPECT_EQ(view.latitude, "55.02286");
        EXPECT_EQ(view.longitude, "73.42786");
        EXPECT_EQ(view.altitude, "121");
        EXPECT_FLOAT_EQ(state.latitude, 55.0228614f);
        EXPECT_EQ(state.latitudeD, static_cast<double>(state.latitude));
    }
}

TEST(TelemetryDecodersTest, MagnetometerCentresAndGains) {
    VehicleState state;
    const Bytes first = {0x00, 0x64, 0xFF, 0xCE, 0x01, 0x2C};  // 100, -50, 300
    const Bytes second = {0x01, 0x2C, 0x00, 0x96, 0x00, 0x64}; // 300, 150, 100
    applyMagnetometer(state, frameOf(35, first));
    EXPECT_EQ(state.magGain, (std::array<int16_t, 3>{0, 0, 0})) << "one reading gives no span";
    const MagnetometerView view = applyMagnetometer(state, frameOf(35, second));
    EXPECT_EQ(state.magOffset, (std::array<int16_t, 3>{200, 50, 200}));
    EXPECT_EQ(state.magGain, (std::array<int16_t, 3>{3000, 3000, 3000}));
    EXPECT_EQ(view.reading[0], "300");
    EXPECT_EQ(view.offset[1], "50");

    // A span of one keeps only the low 16 bits of 600000.
    VehicleState narrow;
    applyMagnetometer(narrow, frameOf(35, {0, 1, 0, 1, 0, 1}));
    applyMagnetometer(narrow, frameOf(35, {0, 2, 0, 2, 0, 2}));
    EXPECT_EQ(narrow.magGain[0], static_cast<int16_t>(600000 & 0xFFFF));
    EXPECT_EQ(narrow.magOffset[0], 1) << "(2 + 1) / 2 truncates";
}

TEST(TelemetryDecodersTest, Power) {
    const Bytes payload = {0x00, 0x73, 0x00, 0x0F, 0x04, 0xB0, 0x00, 0x78, 0x00, 0x55};
    const PowerView view = decodePower(frameOf(36, payload));
    EXPECT_EQ(view.battery1, "11.5V");
    EXPECT_EQ(view.current, "1.5A");
    EXPECT_EQ(view.chargeUsed, "1200");
    EXPECT_EQ(view.battery2, "12V");
    EXPECT_EQ(view.rssi, "85%");
}

TEST(TelemetryDecodersTest, Armed) {
    VehicleState state;
    applyArmed(state, frameOf(3, {7}));
    EXPECT_EQ(state.armed, 7);
    applyArmed(state, frameOf(3, {0}));
    EXPECT_EQ(state.armed, 0);
}

} // namespace
} // namespace crv::telemetry
