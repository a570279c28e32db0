#include "config/config_blocks.h"
#include "config/config_commands.h"
#include "config/config_records.h"

#include "support/frame_recorder.h"

#include <gtest/gtest.h>

namespace crv::config {
namespace {

using link::testing::Bytes;

class ConfigCodecTest : public ::testing::Test {
protected:
    /// The payload of the only frame sent, after checking its framing.
    Bytes onlyPayload() {
        EXPECT_EQ(sink.frames, 1);
        EXPECT_GE(sink.bytes.size(), 4u);
        EXPECT_EQ(sink.bytes[1], sink.bytes.size() - 2);
        return Bytes(sink.bytes.begin() + 3, sink.bytes.end() - 1);
    }
    static link::LinkFrame frameOf(uint8_t type, const Bytes& payload) {
        return {type, static_cast<uint8_t>(payload.size() + 2), payload.data(), payload.size()};
    }

    link::LinkCounters counters;
    link::testing::CollectingSink sink;
    link::LinkFrameBuilder out{counters, &sink};
};

TEST_F(ConfigCodecTest, OpeningTheWindowReadsElevenFramesInOrder) {
    int between = 0;
    sendConfigurationReads(out, [&] { ++between; });
    EXPECT_EQ(sink.bytes, (Bytes{
                              0xCB, 0x03, 0x9B, 0x46, 0x15,       // 155/70
                              0xCB, 0x03, 0x9B, 0x50, 0x03,       // 155/80
                              0xCB, 0x03, 0x9B, 0x5A, 0x09,       // 155/90
                              0xCB, 0x03, 0x9B, 0x3C, 0x6F,       // 155/60
                              0xCB, 0x03, 0x9B, 0x02, 0x51,       // 155/2
                              0xCB, 0x03, 0x9B, 0x03, 0x50,       // 155/3
                              0xCB, 0x03, 0x9B, 0x0A, 0x59,       // 155/10
                              0xCB, 0x02, 0xAB, 0x62,             // 171
                              0xCB, 0x03, 0x39, 0x00, 0xF1,       // 57/0
                              0xCB, 0x03, 0x3A, 0x00, 0xF2,       // 58/0
                              0xCB, 0x04, 0x1C, 0x0F, 0x37, 0xEB, // 28/15/55
                          }));
    EXPECT_EQ(between, 11);
}

TEST_F(ConfigCodecTest, GeneralSettingsKeepTheirOffsetsAndZeroTheReservedBytes) {
    Bytes received(22, 0);
    received[0] = block::kGeneral;
    received[1] = 90;
    received[3] = 0x12; // reserved
    received[4] = 0x34;
    received[8] = 0xCE;  // pitch adjust -50
    received[10] = 0xF6; // declination -10
    received[17] = 0x0B; // 3000 mAh
    received[18] = 0xB8;
    received[21] = 45;
    const GeneralSettings settings = decodeGeneralSettings(frameOf(27, received));
    EXPECT_EQ(settings.targetSpeedKmh, 90);
    EXPECT_EQ(settings.pitchAdjustDeciDeg, -50);
    EXPECT_EQ(settings.declinationDeg, -10);
    EXPECT_EQ(settings.batteryCapacityMah, 3000);
    EXPECT_EQ(settings.pitchDownLimitDeg, 45);

    sendGeneralSettings(out, settings);
    Bytes expected = received;
    expected[3] = 0;
    expected[4] = 0;
    EXPECT_EQ(onlyPayload(), expected);
    EXPECT_EQ(sink.bytes[2], 27);
}

TEST_F(ConfigCodecTest, SmallDirectBlocks) {
    sendSoundMixer(out, {0x0D});
    EXPECT_EQ(sink.bytes, (Bytes{0xCB, 0x04, 0x1B, 0x5A, 0x0D, 0x83}));

    const Bytes osd = {block::kOsd, 0xFE, 0xDF, 0xBF, 0x21, 0x42, 0x63};
    EXPECT_EQ(decodeOsdSettings(frameOf(27, osd)).customLine3, 0x63);
    sink.bytes.clear();
    sink.frames = 0;
    sendOsdSettings(out, decodeOsdSettings(frameOf(27, osd)));
    EXPECT_EQ(onlyPayload(), osd);

    EXPECT_EQ(decodeFlightModeChannel(frameOf(27, {3, 17})).channel, 17);
    EXPECT_EQ(decodeSwitchMode(frameOf(27, {4, 2, 7})).mode, 7);
    EXPECT_EQ(decodeVariometer(frameOf(27, {80})).settings, 0) << "short payloads read as zero";
}

TEST_F(ConfigCodecTest, RecordsTravelAsTheirImages) {
    AtolRecord atol;
    atol.setLe16(2, 200);
    sendAtol(out, atol);
    const Bytes payload = onlyPayload();
    ASSERT_EQ(payload.size(), 12u);
    EXPECT_EQ(payload[2], 0xC8);
    EXPECT_EQ(payload[3], 0x00);
    EXPECT_EQ(sink.bytes[2], 43);
    EXPECT_EQ(atol.landingDistanceM(), 200);
}

TEST_F(ConfigCodecTest, GimbalAxisFieldsAreLittleEndian) {
    GimbalAxis axis;
    axis.setStops(-1000, 1000, -5);
    axis.setGain(1000, true);
    EXPECT_EQ(Bytes(axis.bytes.begin() + 4, axis.bytes.end()), (Bytes{0xFB, 0xFF, 0xE8, 0x83}));
    EXPECT_EQ(axis.neutral(), -5);
    EXPECT_EQ(axis.gainMilli(), 1000u);
    EXPECT_TRUE(axis.inverted());
    sendGimbalAxis(out, 1, axis);
    EXPECT_EQ(sink.bytes[3], 12) << "tilt";
}

TEST_F(ConfigCodecTest, ImagesRoundTripByteForByte) {
    Bytes payload(90);
    for (size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<uint8_t>(i * 37 + 11);
    }
    const link::PayloadReader reader(payload.data(), payload.size());
    AirframeRecord airframe;
    airframe.assign(reader, 1);
    TrackerRecord tracker;
    tracker.assign(reader, 1);
    GimbalControls controls;
    controls.assign(reader, 1);
    sendAirframe(out, airframe, BoardConfigRecord{});
    sendTracker(out, tracker);
    sendGimbalControls(out, controls);
    const auto frameBody = [&](size_t start, size_t count) {
        return Bytes(sink.bytes.begin() + static_cast<long>(start),
                     sink.bytes.begin() + static_cast<long>(start + count));
    };
    // 27/60 airframe, type 24, 27/10 tracker, 28/10 controls, each after sync, length, type, sub.
    EXPECT_EQ(frameBody(4, 86), Bytes(payload.begin() + 1, payload.begin() + 87));
    const size_t trackerAt = (4 + 86 + 1) + (3 + 6 + 1) + 4; // two whole frames, then a head
    EXPECT_EQ(sink.bytes[trackerAt - 1], block::kTracker);
    EXPECT_EQ(frameBody(trackerAt, 11), Bytes(payload.begin() + 1, payload.begin() + 12));
    EXPECT_EQ(sink.frames, 4);
}

TEST_F(ConfigCodecTest, ReceivedTrimsLeaveTheRestOfTheAirframe) {
    AirframeRecord airframe;
    airframe.setName("Wing");
    airframe.setMix(3, 2, -100);
    const Bytes trims = {block::kTrims, 1, 2, 3, 4, 0xFF, 6, 7, 8};
    airframe.assignTrims(link::PayloadReader(trims.data(), trims.size()));
    EXPECT_EQ(airframe.trim(4), -1);
    EXPECT_EQ(airframe.trim(7), 8);
    EXPECT_EQ(airframe.mix(3, 2), -100);
    EXPECT_EQ(airframe.name(), "Wing      ");
    sendTrims(out, airframe);
    EXPECT_EQ(onlyPayload(), trims);
}

TEST_F(ConfigCodecTest, PowerSensorValuesAreLittleEndianFloats) {
    sendPowerSensorValue(out, power::kBattery1Volts, 12.0f);
    EXPECT_EQ(onlyPayload(), (Bytes{6, 21, 0x00, 0x00, 0x40, 0x41}));
    EXPECT_EQ(sink.bytes[2], 27);
}

TEST_F(ConfigCodecTest, OneShotCommands) {
    sendTrackerLive(out, -110, 110);
    sendGimbalLive(out, -1000, 0, 1000);
    sendFlapsTest(out, 2);
    sendCurrentRange(out, 7);
    EXPECT_EQ(sink.bytes,
              (Bytes{
                  0xCB, 0x05, 0x1B, 0x0B, 0x92, 0x6E, 0x22, // 27/11 -110 110
                  0xCB, 0x09, 0x1C, 0x1E, 0xFC, 0x18, 0x00, 0x00, 0x03, 0xE8, 0xCF, // 28/30
                  0xCB, 0x03, 0x2C, 0x02, 0xE6,                                     // 44/2
                  0xCB, 0x05, 0x1B, 0x06, 0x1A, 0x07, 0xCE,                         // 27/6/26/7
              }));
    EXPECT_EQ(TrackerRecord::factory().bytes,
              (std::array<uint8_t, 11>{0x80, 0, 0xCE, 50, 25, 0, 0xCE, 50, 25, 0, 0}));
}

} // namespace
} // namespace crv::config
