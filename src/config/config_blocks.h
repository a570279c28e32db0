#pragma once

#include "link/link_frame.h"
#include "link/link_frame_builder.h"

#include <cstdint>

namespace crv::config {

/// Sub-types of configuration message 27 (byte 0 of its payload).
namespace block {
inline constexpr uint8_t kGeneral = 2;
inline constexpr uint8_t kFlightModeChannel = 3;
inline constexpr uint8_t kSwitchMode = 4;
inline constexpr uint8_t kNeutral = 5;
inline constexpr uint8_t kPowerSensor = 6;
inline constexpr uint8_t kTracker = 10;
inline constexpr uint8_t kTrackerLive = 11;
inline constexpr uint8_t kTargetPosition = 50;
inline constexpr uint8_t kHomePosition = 51;
inline constexpr uint8_t kAirframe = 60;
inline constexpr uint8_t kTrims = 69;
inline constexpr uint8_t kOsd = 70;
inline constexpr uint8_t kZoomOut = 75;
inline constexpr uint8_t kZoomIn = 76;
inline constexpr uint8_t kAirspeedZero = 78;
inline constexpr uint8_t kVariometer = 80;
inline constexpr uint8_t kSoundMixer = 90;
inline constexpr uint8_t kRawSensors = 100;
inline constexpr uint8_t kThrottleMin = 101;
inline constexpr uint8_t kThrottleMax = 102;
inline constexpr uint8_t kOsdHorizonUp = 103;
inline constexpr uint8_t kOsdHorizonDown = 104;
inline constexpr uint8_t kRssiMin = 106;
inline constexpr uint8_t kRssiMax = 107;
inline constexpr uint8_t kFuelMin = 112;
inline constexpr uint8_t kFuelMax = 113;
} // namespace block

// Blocks converted straight between payload and controls. Every field is held as an integer of
// its wire width; offsets count from the sub-type byte. Short payloads read as zeros.

/// 27/2.
struct GeneralSettings {
    int32_t targetSpeedKmh = 0;
    int32_t circleRadiusM = 0;
    int32_t returnConditions = 0; ///< bits: 0 lost control, 1 jittery RC, 2 battery low,
                                  ///< 3 battery critical, 4 interrupt mission, 7 auto-land
    int32_t receiverType = 0;     ///< 0 PWM, 1 PPM, 2 iPPM, 3 S.Bus
    int32_t impactSensor = 0;     ///< 0 off, 1 3G, 2 5G, 3 8G
    int32_t pitchAdjustDeciDeg = 0;
    int32_t rollAdjustDeciDeg = 0;
    int32_t declinationDeg = 0;
    int32_t safeAltitudeM = 0;
    int32_t vibration = 0; ///< bits 0-1 level; bit 7 stop magnetometer auto-adjust
    int32_t airspeedSensor = 0;
    int32_t throttleMaxPercent = 0;
    int32_t airspeedMinKmh = 0;
    int32_t airspeedMaxKmh = 0;
    int32_t batteryCapacityMah = 0;
    int32_t rollLimitDeg = 0;
    int32_t pitchUpLimitDeg = 0;
    int32_t pitchDownLimitDeg = 0;
};
GeneralSettings decodeGeneralSettings(const link::LinkFrame& frame);
/// The reserved bytes 3 and 4 go out as zero.
void sendGeneralSettings(link::LinkFrameBuilder& out, const GeneralSettings& settings);

/// 27/3: the flight-mode input channel, 4 (RC5) to 17 (S18).
struct FlightModeChannel {
    int32_t channel = 0;
};
FlightModeChannel decodeFlightModeChannel(const link::LinkFrame& frame);
void sendFlightModeChannel(link::LinkFrameBuilder& out, const FlightModeChannel& block);

/// 27/4: the flight mode of a switch position (7 none, 8 FailSafe).
struct SwitchMode {
    int32_t position = 0;
    int32_t mode = 0;
};
SwitchMode decodeSwitchMode(const link::LinkFrame& frame);
void sendSwitchMode(link::LinkFrameBuilder& out, const SwitchMode& block);

/// 27/70: the on-screen display, as its six bytes of bits (the OSD page gives their meaning).
struct OsdSettings {
    int32_t items = 0;
    int32_t options = 0;
    int32_t mode = 0;
    int32_t customLine1 = 0;
    int32_t customLine2 = 0;
    int32_t customLine3 = 0;
};
OsdSettings decodeOsdSettings(const link::LinkFrame& frame);
void sendOsdSettings(link::LinkFrameBuilder& out, const OsdSettings& block);

/// 27/80: the audio variometer.
struct Variometer {
    int32_t settings = 0; ///< bits 3-5 range index, bit 7 enabled
    int32_t options = 0;  ///< bit 0 MS5611 barometer, bit 1 cut on throttle
};
Variometer decodeVariometer(const link::LinkFrame& frame);
void sendVariometer(link::LinkFrameBuilder& out, const Variometer& block);

/// 27/90: bits 0-1 voice volume, bits 2-3 variometer volume.
struct SoundMixer {
    int32_t volumes = 0;
};
SoundMixer decodeSoundMixer(const link::LinkFrame& frame);
void sendSoundMixer(link::LinkFrameBuilder& out, const SoundMixer& block);

} // namespace crv::config
