#include "config/config_record_store.h"

#include "config/config_commands.h"
#include "link/link_frame_parser.h"
#include "support/frame_recorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace crv::config {
namespace {

using link::testing::Bytes;

// Frames as the board sends them, written out byte by byte with their checks.

// 27/60: "QuadX" and five spaces, copter with fast M1-M4, alternate functions 0x1B, trims
// 1 2 3 4 -5 6 7 8, neutrals 0x0055 (M1-M4 middle), the Quad X rows of the matrix.
const Bytes kAirframeFrame = {
    0xCB, 0x59, 0x1B, 0x3C,                                     // sync, 89, type 27, sub-type 60
    0x51, 0x75, 0x61, 0x64, 0x58, 0x20, 0x20, 0x20, 0x20, 0x20, // name
    0x03, 0x1B,                                                 // flags, alternate functions
    0x01, 0x02, 0x03, 0x04, 0xFB, 0x06, 0x07, 0x08,             // trims
    0x55, 0x00,                                                 // neutrals, LE
    0x64, 0x64, 0x64, 0x9C, 0x00, 0x00, 0x00, 0x00,             // M1
    0x9C, 0x9C, 0x64, 0x9C, 0x00, 0x00, 0x00, 0x00,             // M2
    0x9C, 0x64, 0x64, 0x64, 0x00, 0x00, 0x00, 0x00,             // M3
    0x64, 0x9C, 0x64, 0x64, 0x00, 0x00, 0x00, 0x00,             // M4
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // M5
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // M6
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // M7
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,             // M8
    0x57,                                                       // check
};
// 27/69: trims -1 -2 -3 -4 5 6 7 8.
const Bytes kTrimsFrame = {0xCB, 0x0B, 0x1B, 0x45, 0xFF, 0xFE, 0xFD,
                           0xFC, 0x05, 0x06, 0x07, 0x08, 0x92};
// 27/10: both reversed, tracking on, the factory positions, speed index 3, reserved 0x5A.
const Bytes kTrackerFrame = {0xCB, 0x0E, 0x1B, 0x0A, 0x83, 0x00, 0xCE, 0x32,
                             0x19, 0x00, 0xCE, 0x32, 0x19, 0x03, 0x5A, 0x0E};
// 28/0: pan on RC6, tilt on RC7, gains 100 and -100, PTR_HEAD at 1/2.
const Bytes kGimbalControlsFrame = {0xCB, 0x07, 0x1C, 0x00, 0x11, 0x64, 0x9C, 0x11, 0x28};
// 28/2, tilt: stops -600 and 800, neutral 100, gain 0.5 inverted; LE.
const Bytes kTiltAxisFrame = {0xCB, 0x0B, 0x1C, 0x02, 0xA8, 0xFD, 0x20,
                              0x03, 0x64, 0x00, 0xF4, 0x81, 0xB9};
// 28/4: angles 12.5 and -4.0 degrees, positions 250, -80, 1000; big-endian.
const Bytes kGimbalStatusFrame = {0xCB, 0x0D, 0x1C, 0x04, 0x00, 0x7D, 0xFF, 0xD8,
                                  0x00, 0xFA, 0xFF, 0xB0, 0x03, 0xE8, 0xDA};
// 43: flags 0x09, course 270 degrees, D ldg 200 (LE), H app 20, reserved 0x5A, D arv 500,
// H arv 50, flaps 30 and 60, reserved 0xA5.
const Bytes kAtolFrame = {0xCB, 0x0E, 0x2B, 0x09, 0x87, 0xC8, 0x00, 0x14,
                          0x5A, 0xF4, 0x01, 0x32, 0x1E, 0x3C, 0xA5, 0xA6};

/// The same frame with its last payload byte cut off, its length and check made good again.
Bytes shortened(const Bytes& frame) {
    Bytes payload(frame.begin() + 3, frame.end() - 2);
    return link::testing::frameOf(frame[2], payload);
}

class ConfigRecordStoreTest : public ::testing::Test {
protected:
    ConfigRecordStoreTest() {
        store.setAirframeRefresh([this] { refreshed += "airframe "; });
        store.setTrackerRefresh([this] {
            refreshed += "tracker ";
            guardActiveOnRefresh = store.trackerEchoGuard().active();
        });
        store.setGimbalRefresh([this] { refreshed += "gimbal "; });
        store.setGimbalStatusShow([this](const GimbalStatus& shown) {
            refreshed += "status ";
            status = shown;
        });
        store.setAtolRefresh([this] { refreshed += "atol "; });
    }

    void receive(const Bytes& frame) { parser.feed(frame.data(), frame.size()); }
    /// What the write sends, as it goes to the port.
    Bytes written(const std::function<void(link::LinkFrameBuilder&)>& write) {
        sink.bytes.clear();
        write(out);
        return sink.bytes;
    }

    link::LinkCounters counters;
    link::MessageDispatcher dispatcher;
    link::LinkFrameParser parser{counters, dispatcher};
    link::testing::CollectingSink sink;
    link::LinkFrameBuilder out{counters, &sink};
    ConfigRecordStore store{dispatcher};
    std::string refreshed;
    bool guardActiveOnRefresh = false;
    GimbalStatus status;
};

TEST_F(ConfigRecordStoreTest, ReceivedRecordsAreKeptAndWrittenBackByteForByte) {
    receive(kAirframeFrame);
    receive(kTrackerFrame);
    receive(kAtolFrame);
    EXPECT_EQ(refreshed, "airframe tracker atol ");
    EXPECT_EQ(store.airframe().name(), "QuadX     ");
    EXPECT_EQ(store.airframe().trim(4), -5);
    EXPECT_EQ(store.airframe().neutral(3), 1u);
    EXPECT_EQ(store.airframe().mix(1, 3), -100);
    EXPECT_EQ(store.tracker().bytes[TrackerRecord::kReserved], 0x5A);
    EXPECT_EQ(store.atol().landingDistanceM(), 200);
    EXPECT_EQ(store.atol().arrivalDistanceM(), 500);

    // The write frames of these three are the frames that carried them in.
    BoardConfigRecord boardConfig;
    boardConfig.bytes = {0x00, 35, 100, 50, 50, 120};
    Bytes airframeThenBoard = kAirframeFrame;
    for (uint8_t byte : {0xCB, 0x08, 0x18, 0x00, 0x23, 0x64, 0x32, 0x32, 0x78, 0xE4}) {
        airframeThenBoard.push_back(byte);
    }
    EXPECT_EQ(written([&](auto& o) { sendAirframe(o, store.airframe(), boardConfig); }),
              airframeThenBoard);
    EXPECT_EQ(written([&](auto& o) { sendTracker(o, store.tracker()); }), kTrackerFrame);
    EXPECT_EQ(written([&](auto& o) { sendAtol(o, store.atol()); }), kAtolFrame)
        << "both reserved bytes go back as received";
}

TEST_F(ConfigRecordStoreTest, GimbalRecordsComeBackUnderTheirWriteSubtypes) {
    receive(kGimbalControlsFrame);
    receive(kTiltAxisFrame);
    EXPECT_EQ(refreshed, "gimbal gimbal ");
    EXPECT_EQ(store.gimbalControls().panChannel(), 1u);
    EXPECT_EQ(store.gimbalControls().tiltGain(), -100);
    EXPECT_EQ(store.gimbalAxis(1).lowStop(), -600);
    EXPECT_EQ(store.gimbalAxis(1).highStop(), 800);
    EXPECT_EQ(store.gimbalAxis(1).neutral(), 100);
    EXPECT_EQ(store.gimbalAxis(1).gainMilli(), 500u);
    EXPECT_TRUE(store.gimbalAxis(1).inverted());
    EXPECT_EQ(store.gimbalAxis(0).bytes, GimbalAxis{}.bytes) << "pan untouched";
    EXPECT_EQ(store.gimbalAxis(2).bytes, GimbalAxis{}.bytes) << "roll untouched";

    EXPECT_EQ(written([&](auto& o) { sendGimbalControls(o, store.gimbalControls()); }),
              (Bytes{0xCB, 0x07, 0x1C, 0x0A, 0x11, 0x64, 0x9C, 0x11, 0x22})); // 28/10
    EXPECT_EQ(written([&](auto& o) { sendGimbalAxis(o, 1, store.gimbalAxis(1)); }),
              (Bytes{0xCB, 0x0B, 0x1C, 0x0C, 0xA8, 0xFD, 0x20, 0x03, 0x64, 0x00, 0xF4, 0x81,
                     0xB7})); // 28/12
}

TEST_F(ConfigRecordStoreTest, GimbalStatusIsShownNotKept) {
    receive(kGimbalStatusFrame);
    EXPECT_EQ(refreshed, "status ");
    EXPECT_EQ(status.panAngleDeciDeg, 125);
    EXPECT_EQ(status.tiltAngleDeciDeg, -40);
    EXPECT_EQ(status.panPosition, 250);
    EXPECT_EQ(status.tiltPosition, -80);
    EXPECT_EQ(status.rollPosition, 1000);
    EXPECT_EQ(store.gimbalControls().bytes, GimbalControls{}.bytes);
    for (size_t axis = 0; axis < ConfigRecordStore::kGimbalAxes; ++axis) {
        EXPECT_EQ(store.gimbalAxis(axis).bytes, GimbalAxis{}.bytes);
    }
}

TEST_F(ConfigRecordStoreTest, ReceivedTrimsChangeOnlyTheTrimBytes) {
    receive(kAirframeFrame);
    receive(kTrimsFrame);
    EXPECT_EQ(refreshed, "airframe airframe ") << "the page shows the whole record again";
    Bytes expected(kAirframeFrame.begin() + 4, kAirframeFrame.end() - 1);
    const Bytes trims = {0xFF, 0xFE, 0xFD, 0xFC, 0x05, 0x06, 0x07, 0x08};
    std::copy(trims.begin(), trims.end(), expected.begin() + AirframeRecord::kTrims);
    EXPECT_EQ(Bytes(store.airframe().bytes.begin(), store.airframe().bytes.end()), expected);
    EXPECT_EQ(written([&](auto& o) { sendTrims(o, store.airframe()); }), kTrimsFrame);
}

TEST_F(ConfigRecordStoreTest, TrackerRecordArmsTheEchoGuardBeforeThePageRefreshes) {
    EXPECT_FALSE(store.trackerEchoGuard().active());
    receive(kTrackerFrame);
    EXPECT_TRUE(guardActiveOnRefresh);
    store.trackerEchoGuard().tick();
    store.trackerEchoGuard().tick();
    EXPECT_TRUE(store.trackerEchoGuard().active()) << "two ticks: 100 to 200 ms";
    store.trackerEchoGuard().tick();
    EXPECT_FALSE(store.trackerEchoGuard().active()) << "the third tick ends it";
    store.trackerEchoGuard().tick();
    EXPECT_FALSE(store.trackerEchoGuard().active());
}

// A frame one byte short of its layout is dropped whole: no half record is kept or shown.
TEST_F(ConfigRecordStoreTest, FramesShorterThanTheirLayoutAreDropped) {
    receive(kAirframeFrame);
    receive(kTrackerFrame);
    receive(kGimbalControlsFrame);
    receive(kTiltAxisFrame);
    receive(kAtolFrame);
    const auto airframe = store.airframe().bytes;
    const auto tracker = store.tracker().bytes;
    const auto controls = store.gimbalControls().bytes;
    const auto tilt = store.gimbalAxis(1).bytes;
    const auto atol = store.atol().bytes;
    while (store.trackerEchoGuard().active()) {
        store.trackerEchoGuard().tick();
    }
    refreshed.clear();

    const Bytes shortFrames[] = {
        shortened(kAirframeFrame),
        shortened(kTrimsFrame),
        shortened(kTrackerFrame),
        shortened(kGimbalControlsFrame),
        shortened(kTiltAxisFrame),
        shortened(kGimbalStatusFrame),
        shortened(kAtolFrame),
        {0xCB, 0x03, 0x1B, 0x3C, 0xEF}, // 27/60 with nothing after the sub-type
        {0xCB, 0x02, 0x2B, 0xE2},       // 43 with no payload
        {0xCB, 0x02, 0x1C, 0xD5},       // 28 without even a sub-type
    };
    for (const Bytes& frame : shortFrames) {
        const uint32_t before = counters.framesReceived;
        receive(frame);
        EXPECT_EQ(counters.framesReceived, before + 1) << "a good frame, only short";
    }
    EXPECT_EQ(refreshed, "");
    EXPECT_FALSE(store.trackerEchoGuard().active()) << "a dropped record sets no control";
    EXPECT_EQ(store.airframe().bytes, airframe);
    EXPECT_EQ(store.tracker().bytes, tracker);
    EXPECT_EQ(store.gimbalControls().bytes, controls);
    EXPECT_EQ(store.gimbalAxis(1).bytes, tilt);
    EXPECT_EQ(store.atol().bytes, atol);
}

TEST_F(ConfigRecordStoreTest, BytesPastTheLayoutAreIgnored) {
    Bytes longer(kTrackerFrame.begin() + 3, kTrackerFrame.end() - 1);
    longer.push_back(0x77);
    receive(link::testing::frameOf(27, longer));
    EXPECT_EQ(written([&](auto& o) { sendTracker(o, store.tracker()); }), kTrackerFrame);
}

TEST_F(ConfigRecordStoreTest, OtherSubtypesAreLeftToTheirOwnHandlers) {
    Bytes general;
    dispatcher.setHandler(27, [&](const link::LinkFrame& frame) {
        general.assign(frame.payload, frame.payload + frame.payloadSize);
    });
    receive({0xCB, 0x04, 0x1B, 0x5A, 0x0D, 0x83}); // 27/90
    receive(kTrackerFrame);
    EXPECT_EQ(general, (Bytes{0x5A, 0x0D})) << "the tracker record does not reach it";
    receive({0xCB, 0x03, 0x1C, 0x1E, 0xCA}); // 28/30 travels only to the board
    EXPECT_EQ(refreshed, "tracker ");
}

TEST(ConfigRecordStoreLifetime, LeavesTheDispatcherWithoutItsHandlers) {
    link::LinkCounters counters;
    link::MessageDispatcher dispatcher;
    link::LinkFrameParser parser{counters, dispatcher};
    { ConfigRecordStore store{dispatcher}; }
    for (const Bytes* frame : {&kAirframeFrame, &kTrackerFrame, &kAtolFrame, &kTiltAxisFrame}) {
        parser.feed(frame->data(), frame->size()); // would call into the store that is gone
    }
    EXPECT_EQ(counters.framesReceived, 4u);
}

} // namespace
} // namespace crv::config
