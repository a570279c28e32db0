#pragma once

#include "config/board_config_record.h"
#include "config/config_records.h"
#include "link/link_frame_builder.h"

#include <cstdint>
#include <functional>

namespace crv::config {

/// Sub-types of the gimbal message 28.
namespace gimbal {
inline constexpr uint8_t kControls = 0;
inline constexpr uint8_t kPanAxis = 1; ///< tilt and roll follow
inline constexpr uint8_t kStatus = 4;
inline constexpr uint8_t kWriteControls = 10;
inline constexpr uint8_t kWritePanAxis = 11; ///< tilt and roll follow
inline constexpr uint8_t kCommand = 15;
inline constexpr uint8_t kLivePosition = 30;
inline constexpr uint8_t kReportRecords = 55; ///< argument of kCommand
inline constexpr uint8_t kResetAll = 154;     ///< argument of kCommand
} // namespace gimbal

/// Power sensor commands (27/6, command byte next).
namespace power {
inline constexpr uint8_t kZeroCurrent = 5;
inline constexpr uint8_t kToggleCurrentDisplay = 12;
inline constexpr uint8_t kBattery1Volts = 21;
inline constexpr uint8_t kBattery2Volts = 22;
inline constexpr uint8_t kCurrentAmps = 23;
inline constexpr uint8_t kResetAll = 25;
inline constexpr uint8_t kCurrentRange = 26;
} // namespace power

// Requests: the board answers each with the block asked for; nothing waits for it.

/// Read request 155 with the sub-type of message 27 wanted.
void RequestConfigBlock(link::LinkFrameBuilder& out, uint8_t subtype);
/// Read request 171 for the take-off and landing record.
void RequestAtol(link::LinkFrameBuilder& out);
/// 28/15/55: the board reports its gimbal records as 28/0 to 28/4.
void RequestGimbal(link::LinkFrameBuilder& out);

/// The reads of the configuration window when it opens, in order; betweenFrames runs after
/// each frame (the window lets received frames be handled there).
void sendConfigurationReads(link::LinkFrameBuilder& out,
                            const std::function<void()>& betweenFrames);

// Writes of the kept records, each the whole image.

/// 27/60 with the airframe, then type 24 with the board configuration: a preset's two records.
void sendAirframe(link::LinkFrameBuilder& out, const AirframeRecord& airframe,
                  const BoardConfigRecord& boardConfig);
/// 27/69 with the airframe's eight trims.
void sendTrims(link::LinkFrameBuilder& out, const AirframeRecord& airframe);
void sendTracker(link::LinkFrameBuilder& out, const TrackerRecord& tracker);
void sendGimbalControls(link::LinkFrameBuilder& out, const GimbalControls& controls);
/// axis 0 pan, 1 tilt, 2 roll.
void sendGimbalAxis(link::LinkFrameBuilder& out, unsigned axis, const GimbalAxis& record);
void sendAtol(link::LinkFrameBuilder& out, const AtolRecord& atol);
void sendBoardConfig(link::LinkFrameBuilder& out, const BoardConfigRecord& record);

// One-shot commands.

/// A message 27 command without data (neutral, zoom, airspeed zero, throttle, RSSI, fuel...).
void sendConfigCommand(link::LinkFrameBuilder& out, uint8_t subtype);
/// 27/6 with a command byte and nothing more.
void sendPowerSensorCommand(link::LinkFrameBuilder& out, uint8_t command);
/// 27/6 with a measured value: the only little-endian float of message 27.
void sendPowerSensorValue(link::LinkFrameBuilder& out, uint8_t command, float value);
/// 27/6/26 with a range index 0 to 7 (30 to 200 A).
void sendCurrentRange(link::LinkFrameBuilder& out, uint8_t rangeIndex);
/// 27/11: move the tracker servos now, -110 to 110.
void sendTrackerLive(link::LinkFrameBuilder& out, int8_t pan, int8_t tilt);
/// 28/30: pan, tilt and roll live positions, -1000 to 1000, big-endian.
void sendGimbalLive(link::LinkFrameBuilder& out, int16_t pan, int16_t tilt, int16_t roll);
/// 28/15 with an argument (report the records, reset all).
void sendGimbalCommand(link::LinkFrameBuilder& out, uint8_t argument);
/// Type 44: 1 tests the take-off flap position, 2 the landing one.
void sendFlapsTest(link::LinkFrameBuilder& out, uint8_t position);

} // namespace crv::config
