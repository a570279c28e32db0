#include "sim/sim_bridge.h"

#include "link/link_frame_parser.h"
#include "sim/sim_frames.h"
#include "support/frame_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace crv::sim {
namespace {

using link::testing::Bytes;
using link::testing::SeenFrame;

class SimBridgeTest : public ::testing::Test {
protected:
    DatagramResult datagram(const std::string& text) {
        return bridge.handleDatagram(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                                     inputs, vehicle);
    }
    DatagramResult datagram(const Bytes& bytes) {
        return bridge.handleDatagram(bytes.data(), bytes.size(), inputs, vehicle);
    }
    /// The frames the bridge sent, taken apart again.
    std::vector<SeenFrame> framesSent() {
        link::LinkCounters counters;
        link::MessageDispatcher dispatcher;
        std::vector<SeenFrame> frames;
        for (int type = 0; type < 128; ++type) {
            dispatcher.setHandler(static_cast<uint8_t>(type), [&frames](const link::LinkFrame& f) {
                frames.push_back(link::testing::seen(f));
            });
        }
        link::LinkFrameParser parser(counters, dispatcher);
        parser.feed(sink.bytes.data(), sink.bytes.size());
        return frames;
    }

    link::LinkCounters counters;
    link::testing::CollectingSink sink;
    link::LinkFrameBuilder builder{counters, &sink};
    SimBridge bridge{builder};
    BridgeInputs inputs;
    telemetry::VehicleState vehicle;
};

const std::string kLine = "$FD,0.5,1,-2,-0.5,3.25,270,55.0228614,73.4278569,120.7,61.9,58.2,"
                          "-1.55\n";

TEST_F(SimBridgeTest, WhileDisabledLinesAreParsedAndCountedOnly) {
    inputs.linkOpen = true;
    EXPECT_EQ(datagram(kLine).kind, DatagramKind::StateLine);
    const DatagramResult second = datagram(kLine);
    EXPECT_FALSE(second.controlLine);
    EXPECT_FALSE(second.attitude);
    EXPECT_EQ(bridge.state().rollDeciDeg, -5);
    EXPECT_EQ(vehicle.rollDeciDeg, 0);
    EXPECT_EQ(sink.frames, 0);
    EXPECT_EQ(bridge.takeLinkDisplay(), "Link 2 pps");
    EXPECT_EQ(bridge.takeLinkDisplay(), "No Link");
}

TEST_F(SimBridgeTest, WithTheLinkClosedControlLinesGoBackButNoFrames) {
    inputs.simulationEnabled = true;
    for (int k = 0; k < 3; ++k) {
        const DatagramResult result = datagram(kLine);
        ASSERT_TRUE(result.controlLine);
        EXPECT_EQ(*result.controlLine, "0;0;0.5;0;0.0;0.0;0.0;\n");
    }
    EXPECT_EQ(sink.frames, 0);
    EXPECT_EQ(vehicle.rollDeciDeg, -5);
    EXPECT_EQ(vehicle.pitchDeciDeg, 32);
    EXPECT_EQ(vehicle.headingDeciDeg, 2700);
    EXPECT_EQ(vehicle.attitudeAux, 300);
}

TEST_F(SimBridgeTest, EverySecondLineSendsTheThreeFrames) {
    inputs.simulationEnabled = true;
    inputs.linkOpen = true;
    for (int k = 0; k < 4; ++k) {
        datagram(kLine);
    }
    const std::vector<SeenFrame> frames = framesSent();
    ASSERT_EQ(frames.size(), 6u);
    const SeenFrame imu = {17, 14, {0x01, 0x9B, 0xFC, 0xC9, 0x06, 0x6F, 0xFF, 0xFB, 0x00, 0x20,
                                    0x0A, 0x8C}};
    // 0.5 x 823.63 = 411 (0x019B); 1 gives -823 (0xFCC9); -2 gives -1647 negated (0x066F).
    const SeenFrame gps = {18, 14, {0x01, 0x09, 0x20, 0xCB, 0xD2, 0x86, 0x2B, 0xC4, 0x33, 0xA9,
                                    0x00, 0x78}};
    const SeenFrame air = {19, 10, {0x00, 0x3D, 0x00, 0x78, 0x00, 0x3A, 0xFF, 0xF1}};
    EXPECT_EQ(frames[0], imu);
    EXPECT_EQ(frames[1], gps);
    EXPECT_EQ(frames[2], air);
    EXPECT_EQ(frames[3], imu);
    EXPECT_EQ(frames[4], gps);
    EXPECT_EQ(frames[5], air);
}

TEST_F(SimBridgeTest, ControlLineTakesTheServoGaugesAndTheBoardsAuxValues) {
    const Bytes aux = {0x00, 0x0F, 0xFF, 0xFD, 0x00, 0x14}; // 15, -3, 20
    bridge.auxReceived({14, 8, aux.data(), aux.size()});
    inputs.simulationEnabled = true;
    inputs.servoGauges = {600, 300, -1200, -1};
    const DatagramResult result = datagram(kLine);
    EXPECT_EQ(result.controlLine, "0.5;-0.25;0;-0.000833;1.5;-0.3;-2.0;\n");
    EXPECT_EQ(result.auxLine, "1.5;");
    inputs.servoGauges = {-1200, 1200, 1200, 1200};
    EXPECT_EQ(datagram(kLine).controlLine, "-1;-1;1;1;1.5;-0.3;-2.0;\n");
    EXPECT_EQ(simControlLine({1, 0, 0, 0}, {}), "0.000833;0;0.5;0;0.0;0.0;0.0;\n");
}

TEST_F(SimBridgeTest, AMalformedLineSendsNothingButCounts) {
    inputs.simulationEnabled = true;
    inputs.linkOpen = true;
    datagram(kLine);
    const DatagramResult result = datagram("$FD,1,1,1,9,nan,1,1,1,1,1,1,1\n");
    EXPECT_EQ(result.kind, DatagramKind::MalformedStateLine);
    EXPECT_FALSE(result.controlLine);
    EXPECT_FALSE(result.attitude);
    EXPECT_EQ(sink.frames, 0) << "the pacing counter did not move either";
    EXPECT_EQ(bridge.state().rollDeciDeg, 90) << "fields before the bad one are taken";
    EXPECT_EQ(bridge.state().pitchDeciDeg, 32);
    EXPECT_EQ(bridge.takeLinkDisplay(), "Link 2 pps");
    datagram(kLine);
    EXPECT_EQ(sink.frames, 3);
}

TEST_F(SimBridgeTest, FrameDatagramsAreForwardedWhetherOrNotSimulationIsOn) {
    const Bytes mp = {'$', 'M', 'P', 44,   1,    2,    3,    0xEE, 0xEE, 0x01, 0x02,
                      0x03, 0x04, 0xF0, 0xDE, 0xBC, 0x9A, 0x34, 0x12, 0xFE, 0xFF};
    for (bool enabled : {false, true}) {
        inputs.simulationEnabled = enabled;
        EXPECT_EQ(datagram(mp).kind, DatagramKind::FrameDatagram);
    }
    datagram(Bytes{'$', 'M', 'P', 9}); // what is missing goes as zero
    const std::vector<SeenFrame> frames = framesSent();
    ASSERT_EQ(frames.size(), 3u);
    const SeenFrame forwarded = {44, 17, {1, 2, 3, 0x04, 0x03, 0x02, 0x01, 0x9A, 0xBC, 0xDE,
                                          0xF0, 0x12, 0x34, 0xFF, 0xFE}};
    EXPECT_EQ(frames[0], forwarded);
    EXPECT_EQ(frames[1], forwarded);
    EXPECT_EQ(frames[2], (SeenFrame{9, 17, Bytes(15, 0)}));
    EXPECT_EQ(bridge.takeLinkDisplay(), "No Link");
}

TEST_F(SimBridgeTest, OtherDatagramsAreIgnored) {
    inputs.simulationEnabled = true;
    inputs.linkOpen = true;
    EXPECT_EQ(datagram("hello").kind, DatagramKind::Ignored);
    EXPECT_EQ(datagram(Bytes{0, '$', 'F', 'D', ',', '1', ','}).kind, DatagramKind::Ignored)
        << "text ends at the first zero";
    Bytes late(1030, ' ');
    late[1025] = '$';
    late[1026] = 'F';
    late[1027] = 'D';
    EXPECT_EQ(datagram(late).kind, DatagramKind::Ignored) << "past the bytes looked at";
    EXPECT_EQ(datagram("$MP and $FD,1\n").kind, DatagramKind::StateLine);
    EXPECT_EQ(sink.frames, 0);
}

} // namespace
} // namespace crv::sim
