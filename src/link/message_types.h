#pragma once

#include <cstdint>

namespace crv::link {

/// The board protocol's message types. A frame of type kReadRequest + t sent to the board
/// asks it for its message of type t; received frames are routed on type & 0x7F.
namespace msg {

inline constexpr uint8_t kFirmwareVersion = 1;
inline constexpr uint8_t kArmed = 3; ///< armed state (down), arm or disarm command (up)
inline constexpr uint8_t kOpenTerminal = 4;
inline constexpr uint8_t kFlightMode = 10;
inline constexpr uint8_t kSimulatorAux = 14;
inline constexpr uint8_t kJoystick = 16;
inline constexpr uint8_t kSimImu = 17;
inline constexpr uint8_t kSimGps = 18;
inline constexpr uint8_t kSimAirData = 19;
inline constexpr uint8_t kLevelReset = 20;
inline constexpr uint8_t kCompassCalibration = 22;
inline constexpr uint8_t kBoardConfig = 24;
inline constexpr uint8_t kRestoreDefaults = 25;
inline constexpr uint8_t kConfigBlock = 27; ///< sub-command or block number in payload byte 0
inline constexpr uint8_t kGimbal = 28;      ///< sub-command in payload byte 0
inline constexpr uint8_t kMissionItem = 29;
inline constexpr uint8_t kRcInputs = 30;     ///< RC inputs (down), their stream rate (up)
inline constexpr uint8_t kServoOutputs = 31; ///< servo outputs (down), their stream rate (up)
inline constexpr uint8_t kAttitude = 32;     ///< attitude (down), its stream rate (up)
inline constexpr uint8_t kNavigation = 33;   ///< navigation (down), its stream rate (up)
inline constexpr uint8_t kGps = 34;          ///< GPS (down), its stream rate (up)
inline constexpr uint8_t kMagnetometer = 35;
inline constexpr uint8_t kPower = 36; ///< power (down), its stream rate (up)
inline constexpr uint8_t kOsdCapture = 37;
inline constexpr uint8_t kModel = 40; ///< current model (down), select model (up)
inline constexpr uint8_t kLedSequences = 41;
inline constexpr uint8_t kModelList = 42; ///< model list (down), model list request (up)
inline constexpr uint8_t kAtol = 43;
inline constexpr uint8_t kFlapsTest = 44;
inline constexpr uint8_t kDebugValues = 50;
inline constexpr uint8_t kDebugSettings = 51;
inline constexpr uint8_t kTerminalOutput = 55;
inline constexpr uint8_t kTerminalInput = 56;
inline constexpr uint8_t kVoicePack = 57;  ///< sub-command in payload byte 0
inline constexpr uint8_t kScriptPack = 58; ///< sub-command in payload byte 0
inline constexpr uint8_t kBootloaderEntry = 60;
inline constexpr uint8_t kBootloaderStatus = 125;
inline constexpr uint8_t kBootloaderErase = 126;
inline constexpr uint8_t kBootloaderData = 127;

inline constexpr uint8_t kReadRequest = 0x80;

/// The read request type that asks the board for message type t.
constexpr uint8_t readRequest(uint8_t type) { return kReadRequest | type; }

} // namespace msg
} // namespace crv::link
