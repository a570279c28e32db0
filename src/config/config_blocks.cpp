#include "config/config_blocks.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

#include <algorithm>
#include <array>

namespace crv::config {

namespace {

/// Where a field of a block lies: its offset from the sub-type byte, width 1 or 2 (big-endian)
/// and whether it is signed.
template <typename Block> struct Field {
    uint8_t offset;
    uint8_t width;
    bool isSigned;
    int32_t Block::*member;
};

template <typename Block, size_t N>
Block decodeBlock(const link::LinkFrame& frame, const std::array<Field<Block>, N>& layout) {
    const link::PayloadReader payload(frame);
    Block block;
    for (const Field<Block>& field : layout) {
        const int32_t value =
            field.width == 1
                ? (field.isSigned ? payload.s8(field.offset) : payload.u8(field.offset))
                : (field.isSigned ? payload.s16(field.offset) : payload.u16(field.offset));
        block.*field.member = value;
    }
    return block;
}

/// Sends the block as message 27, sub-type first, up to its last field; bytes that no field
/// covers are sent as zero.
template <typename Block, size_t N>
void sendBlock(link::LinkFrameBuilder& out, uint8_t subtype, const Block& block,
               const std::array<Field<Block>, N>& layout) {
    std::array<uint8_t, 32> payload{};
    payload[0] = subtype;
    size_t payloadSize = 1;
    for (const Field<Block>& field : layout) {
        payloadSize = std::max<size_t>(payloadSize, field.offset + field.width);
        const auto value = static_cast<uint32_t>(block.*field.member);
        if (field.width == 2) {
            payload[field.offset] = static_cast<uint8_t>(value >> 8);
            payload[field.offset + 1] = static_cast<uint8_t>(value);
        } else {
            payload[field.offset] = static_cast<uint8_t>(value);
        }
    }
    out.begin();
    out.put8(link::msg::kConfigBlock);
    out.putBytes(payload.data(), payloadSize);
    out.finish();
}

using G = GeneralSettings;
constexpr std::array<Field<G>, 18> kGeneralLayout = {{
    {1, 1, false, &G::targetSpeedKmh},
    {2, 1, false, &G::circleRadiusM},
    // 3 and 4: reserved
    {5, 1, false, &G::returnConditions},
    {6, 1, false, &G::receiverType},
    {7, 1, false, &G::impactSensor},
    {8, 1, true, &G::pitchAdjustDeciDeg},
    {9, 1, true, &G::rollAdjustDeciDeg},
    {10, 1, true, &G::declinationDeg},
    {11, 1, false, &G::safeAltitudeM},
    {12, 1, false, &G::vibration},
    {13, 1, false, &G::airspeedSensor},
    {14, 1, false, &G::throttleMaxPercent},
    {15, 1, false, &G::airspeedMinKmh},
    {16, 1, false, &G::airspeedMaxKmh},
    {17, 2, false, &G::batteryCapacityMah},
    {19, 1, false, &G::rollLimitDeg},
    {20, 1, false, &G::pitchUpLimitDeg},
    {21, 1, false, &G::pitchDownLimitDeg},
}};

constexpr std::array<Field<FlightModeChannel>, 1> kFlightModeChannelLayout = {{
    {1, 1, false, &FlightModeChannel::channel},
}};
constexpr std::array<Field<SwitchMode>, 2> kSwitchModeLayout = {{
    {1, 1, false, &SwitchMode::position},
    {2, 1, false, &SwitchMode::mode},
}};
constexpr std::array<Field<OsdSettings>, 6> kOsdLayout = {{
    {1, 1, false, &OsdSettings::items},
    {2, 1, false, &OsdSettings::options},
    {3, 1, false, &OsdSettings::mode},
    {4, 1, false, &OsdSettings::customLine1},
    {5, 1, false, &OsdSettings::customLine2},
    {6, 1, false, &OsdSettings::customLine3},
}};
constexpr std::array<Field<Variometer>, 2> kVariometerLayout = {{
    {1, 1, false, &Variometer::settings},
    {2, 1, false, &Variometer::options},
}};
constexpr std::array<Field<SoundMixer>, 1> kSoundMixerLayout = {{
    {1, 1, false, &SoundMixer::volumes},
}};

} // namespace

GeneralSettings decodeGeneralSettings(const link::LinkFrame& frame) {
    return decodeBlock(frame, kGeneralLayout);
}
void sendGeneralSettings(link::LinkFrameBuilder& out, const GeneralSettings& settings) {
    sendBlock(out, block::kGeneral, settings, kGeneralLayout);
}

FlightModeChannel decodeFlightModeChannel(const link::LinkFrame& frame) {
    return decodeBlock(frame, kFlightModeChannelLayout);
}
void sendFlightModeChannel(link::LinkFrameBuilder& out, const FlightModeChannel& channel) {
    sendBlock(out, block::kFlightModeChannel, channel, kFlightModeChannelLayout);
}

SwitchMode decodeSwitchMode(const link::LinkFrame& frame) {
    return decodeBlock(frame, kSwitchModeLayout);
}
void sendSwitchMode(link::LinkFrameBuilder& out, const SwitchMode& mode) {
    sendBlock(out, block::kSwitchMode, mode, kSwitchModeLayout);
}

OsdSettings decodeOsdSettings(const link::LinkFrame& frame) {
    return decodeBlock(frame, kOsdLayout);
}
void sendOsdSettings(link::LinkFrameBuilder& out, const OsdSettings& osd) {
    sendBlock(out, block::kOsd, osd, kOsdLayout);
}

Variometer decodeVariometer(const link::LinkFrame& frame) {
    return decodeBlock(frame, kVariometerLayout);
}
void sendVariometer(link::LinkFrameBuilder& out, const Variometer& variometer) {
    sendBlock(out, block::kVariometer, variometer, kVariometerLayout);
}

SoundMixer decodeSoundMixer(const link::LinkFrame& frame) {
    return decodeBlock(frame, kSoundMixerLayout);
}
void sendSoundMixer(link::LinkFrameBuilder& out, const SoundMixer& mixer) {
    sendBlock(out, block::kSoundMixer, mixer, kSoundMixerLayout);
}

} // namespace crv::config
