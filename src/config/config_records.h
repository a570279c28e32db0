#pragma once

#include "config/byte_image.h"

#include <optional>
#include <string>

namespace crv::config {

// The configuration records the ground station keeps as images and sends back whole.

/// The custom airframe, 86 bytes (27/60); with the board configuration record it makes a preset.
struct AirframeRecord : ByteImage<86> {
    static constexpr size_t kNameSize = 10;
    static constexpr size_t kFlags = 10;
    static constexpr size_t kAlternateInputs = 11;
    static constexpr size_t kTrims = 12; ///< eight signed trims, M1 to M8 (also 27/69)
    static constexpr size_t kTrimCount = 8;
    static constexpr size_t kNeutrals = 20; ///< LE, two bits an output
    static constexpr size_t kMatrix = 22;   ///< 8 rows (outputs) × 8 columns (inputs), signed
    static constexpr size_t kMatrixSide = 8;

    std::string name() const { return std::string(bytes.begin(), bytes.begin() + kNameSize); }
    /// Pads with spaces, cuts what is longer than ten characters.
    void setName(const std::string& name);
    int8_t trim(size_t output) const { return s8(kTrims + output); }
    int8_t mix(size_t output, size_t input) const {
        return s8(kMatrix + output * kMatrixSide + input);
    }
    void setMix(size_t output, size_t input, int8_t percent) {
        bytes[kMatrix + output * kMatrixSide + input] = static_cast<uint8_t>(percent);
    }
    /// 0 low, 1 middle, 2 high.
    unsigned neutral(size_t output) const { return le16(kNeutrals) >> (2 * output) & 3u; }
    /// A received 27/69: the eight trims after the sub-type byte; the rest stays as it was.
    /// Fewer than eight trims are refused, leaving the record as it was.
    bool assignTrims(const link::PayloadReader& payload) {
        if (payload.size() < 1 + kTrimCount) {
            return false;
        }
        payload.bytes(1, bytes.data() + kTrims, kTrimCount);
        return true;
    }
};

/// The active antenna tracker, 11 bytes (27/10).
struct TrackerRecord : ByteImage<11> {
    static constexpr uint8_t kPanReversed = 1 << 0;
    static constexpr uint8_t kTiltReversed = 1 << 1;
    static constexpr uint8_t kTrackingEnabled = 1 << 7;
    static constexpr size_t kPositions = 8; ///< PAN 0, MIN, MAX, 90CW, TILT 0, MIN, MAX, 90UP
    static constexpr size_t kSpeedIndex = 9;
    static constexpr size_t kReserved = 10;

    uint8_t flags() const { return bytes[0]; }
    int8_t position(size_t index) const { return s8(1 + index); }
    /// The values "AAT Reset" restores.
    static TrackerRecord factory();
};

/// Which inputs steer the camera gimbal, 4 bytes (28/0 in, 28/10 out).
struct GimbalControls : ByteImage<4> {
    unsigned panChannel() const { return bytes[0] & 7u; }
    unsigned tiltChannel() const { return bytes[0] >> 3 & 7u; }
    bool panInverted() const { return (bytes[0] & 0x40) != 0; }
    bool tiltInverted() const { return (bytes[0] & 0x80) != 0; }
    int8_t panGain() const { return s8(1); }
    int8_t tiltGain() const { return s8(2); }
    unsigned defaultMode() const { return bytes[3] & 7u; }
    unsigned differentialSpeed() const { return bytes[3] >> 4 & 3u; }
};

/// One gimbal axis, 8 bytes, all LE (28/1 to 28/3 in, 28/11 to 28/13 out).
struct GimbalAxis : ByteImage<8> {
    int16_t lowStop() const { return sle16(0); }
    int16_t highStop() const { return sle16(2); }
    int16_t neutral() const { return sle16(4); }
    /// Gain × 1000, bits 0 to 14.
    unsigned gainMilli() const { return le16(6) & 0x7FFFu; }
    bool inverted() const { return (le16(6) & 0x8000u) != 0; }

    void setStops(int16_t low, int16_t high, int16_t neutral);
    /// gainMilli is cut to 15 bits.
    void setGain(unsigned gainMilli, bool inverted);
};

/// The gimbal's report (28/4), shown and not kept. Big-endian, unlike the gimbal records.
struct GimbalStatus {
    static constexpr size_t kSize = 10;
    int16_t panAngleDeciDeg = 0;
    int16_t tiltAngleDeciDeg = 0;
    int16_t panPosition = 0; ///< servo units, as the three positions
    int16_t tiltPosition = 0;
    int16_t rollPosition = 0;
};
/// The report from the payload bytes after the sub-type; nothing when they are fewer than ten.
std::optional<GimbalStatus> decodeGimbalStatus(const link::PayloadReader& payload);

/// Automatic take-off and landing, 12 bytes (type 43).
struct AtolRecord : ByteImage<12> {
    uint8_t flags() const { return bytes[0]; }
    /// Units of 2 degrees.
    uint8_t takeoffCourse() const { return bytes[1]; }
    uint16_t landingDistanceM() const { return le16(2); }
    uint8_t approachHeightM() const { return bytes[4]; }
    uint16_t arrivalDistanceM() const { return le16(6); }
    uint8_t arrivalHeightM() const { return bytes[8]; }
    uint8_t takeoffFlapsPercent() const { return bytes[9]; }
    uint8_t landingFlapsPercent() const { return bytes[10]; }
};

} // namespace crv::config
