#include "config/config_commands.h"

#include "config/config_blocks.h"
#include "link/message_types.h"

#include <bit>
#include <cstring>
#include <limits>

namespace crv::config {

namespace {

namespace msg = link::msg;

template <size_t N>
void sendImage(link::LinkFrameBuilder& out, uint8_t type, uint8_t subtype,
               const ByteImage<N>& image) {
    out.begin();
    out.put8(type);
    out.put8(subtype);
    image.putInto(out);
    out.finish();
}

} // namespace

void RequestConfigBlock(link::LinkFrameBuilder& out, uint8_t subtype) {
    out.sendReadRequest(msg::kConfigBlock, subtype);
}

void RequestAtol(link::LinkFrameBuilder& out) { out.sendReadRequest(msg::kAtol); }

void RequestGimbal(link::LinkFrameBuilder& out) { sendGimbalCommand(out, gimbal::kReportRecords); }

void sendConfigurationReads(link::LinkFrameBuilder& out,
                            const std::function<void()>& betweenFrames) {
    for (uint8_t subtype : {block::kOsd, block::kVariometer, block::kSoundMixer, block::kAirframe,
                            block::kGeneral, block::kFlightModeChannel, block::kTracker}) {
        RequestConfigBlock(out, subtype);
        betweenFrames();
    }
    RequestAtol(out);
    betweenFrames();
    out.send(msg::kVoicePack, {0}); // package reports
    betweenFrames();
    out.send(msg::kScriptPack, {0});
    betweenFrames();
    RequestGimbal(out);
    betweenFrames();
}

void sendAirframe(link::LinkFrameBuilder& out, const AirframeRecord& airframe,
                  const BoardConfigRecord& boardConfig) {
    sendImage(out, msg::kConfigBlock, block::kAirframe, airframe);
    sendBoardConfig(out, boardConfig);
}

void sendTrims(link::LinkFrameBuilder& out, const AirframeRecord& airframe) {
    out.begin();
    out.put8(msg::kConfigBlock);
    out.put8(block::kTrims);
    out.putBytes(airframe.bytes.data() + AirframeRecord::kTrims, AirframeRecord::kTrimCount);
    out.finish();
}

void sendTracker(link::LinkFrameBuilder& out, const TrackerRecord& tracker) {
    sendImage(out, msg::kConfigBlock, block::kTracker, tracker);
}

void sendGimbalControls(link::LinkFrameBuilder& out, const GimbalControls& controls) {
    sendImage(out, msg::kGimbal, gimbal::kWriteControls, controls);
}

void sendGimbalAxis(link::LinkFrameBuilder& out, unsigned axis, const GimbalAxis& record) {
    sendImage(out, msg::kGimbal, static_cast<uint8_t>(gimbal::kWritePanAxis + axis), record);
}

void sendAtol(link::LinkFrameBuilder& out, const AtolRecord& atol) {
    out.begin();
    out.put8(msg::kAtol);
    atol.putInto(out);
    out.finish();
}

void sendBoardConfig(link::LinkFrameBuilder& out, const BoardConfigRecord& record) {
    out.begin();
    out.put8(msg::kBoardConfig);
    out.putBytes(record.bytes.data(), record.bytes.size());
    out.finish();
}

void sendConfigCommand(link::LinkFrameBuilder& out, uint8_t subtype) {
    out.send(msg::kConfigBlock, {subtype});
}

void sendPowerSensorCommand(link::LinkFrameBuilder& out, uint8_t command) {
    out.send(msg::kConfigBlock, {block::kPowerSensor, command});
}

void sendPowerSensorValue(link::LinkFrameBuilder& out, uint8_t command, float value) {
    static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);
    const auto bits = std::bit_cast<uint32_t>(value);
    out.send(msg::kConfigBlock, {block::kPowerSensor, command, static_cast<uint8_t>(bits),
                                 static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
                                 static_cast<uint8_t>(bits >> 24)});
}

void sendCurrentRange(link::LinkFrameBuilder& out, uint8_t rangeIndex) {
    out.send(msg::kConfigBlock, {block::kPowerSensor, power::kCurrentRange, rangeIndex});
}

void sendTrackerLive(link::LinkFrameBuilder& out, int8_t pan, int8_t tilt) {
    out.send(msg::kConfigBlock,
             {block::kTrackerLive, static_cast<uint8_t>(pan), static_cast<uint8_t>(tilt)});
}

void sendGimbalLive(link::LinkFrameBuilder& out, int16_t pan, int16_t tilt, int16_t roll) {
    out.begin();
    out.put8(msg::kGimbal);
    out.put8(gimbal::kLivePosition);
    for (int16_t position : {pan, tilt, roll}) {
        out.put16(static_cast<uint16_t>(position));
    }
    out.finish();
}

void sendGimbalCommand(link::LinkFrameBuilder& out, uint8_t argument) {
    out.send(msg::kGimbal, {gimbal::kCommand, argument});
}

void sendFlapsTest(link::LinkFrameBuilder& out, uint8_t position) {
    out.send(msg::kFlapsTest, {position});
}

} // namespace crv::config
