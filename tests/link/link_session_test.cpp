#include "link/board_link.h"

#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"

#include <gtest/gtest.h>

namespace crv::link {
namespace {

using testing::Bytes;

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        link.dispatcher().setHandler(3, [this](const LinkFrame&) { ++armedFrames; });
    }
    LinkSession& session() { return link.session(); }

    testing::FakeSerialPort port;
    BoardLink link{port};
    int armedFrames = 0;
};

TEST_F(SessionTest, ConnectOpensPurgesAndStartsUnidentified) {
    session().setBoardIdentified(true);
    ASSERT_TRUE(session().connect("/dev/ttyUSB0").ok());
    EXPECT_EQ(port.openedName, "/dev/ttyUSB0");
    EXPECT_EQ(port.purges, 1);
    EXPECT_TRUE(session().linkOpen());
    EXPECT_FALSE(session().boardIdentified());
}

TEST_F(SessionTest, FailedOpenKeepsTheSessionClosedWithTheSystemText) {
    port.openError = "Permission denied";
    const Status status = session().connect("/dev/ttyUSB0");
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.message(), "Permission denied");
    EXPECT_FALSE(session().linkOpen());
}

TEST_F(SessionTest, FramesReachThePortOnlyWhileOpen) {
    link.builder().sendReadRequest(1);
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(link.counters().framesSent, 1u) << "dropped frames still count as sent";

    ASSERT_TRUE(session().connect("pty").ok());
    link.builder().sendReadRequest(1);
    EXPECT_EQ(port.written, (Bytes{0xCB, 0x02, 0x81, 0x48}));

    session().disconnect();
    EXPECT_FALSE(port.isOpen);
    link.builder().sendReadRequest(1);
    EXPECT_EQ(port.written.size(), 4u);
}

TEST_F(SessionTest, IdentificationPollSendsItsFramesInOrder) {
    ASSERT_TRUE(session().connect("pty").ok());
    // Rates 5, 2, 2, 2, 2 and 1 per second.
    session().pollIdentification(link.builder(), {1, 4, 4, 4, 4, 9});
    EXPECT_EQ(port.written, (Bytes{
                                0xCB, 0x02, 0xA8, 0x61,       // current model
                                0xCB, 0x02, 0x98, 0x51,       // board configuration record
                                0xCB, 0x02, 0x81, 0x48,       // firmware version
                                0xCB, 0x03, 0x20, 0x01, 0xE9, // attitude rate
                                0xCB, 0x03, 0x1E, 0x04, 0xD2, // RC inputs rate
                                0xCB, 0x03, 0x1F, 0x04, 0xD3, // servo outputs rate
                                0xCB, 0x03, 0x21, 0x04, 0xED, // navigation rate
                                0xCB, 0x03, 0x22, 0x04, 0xEE, // GPS rate
                                0xCB, 0x03, 0x24, 0x09, 0xE5, // power rate
                                0xCB, 0x02, 0x2A, 0xE3,       // model list request
                            }));
}

TEST_F(SessionTest, PollRunsOnlyWhileOpenAndUnidentified) {
    session().pollIdentification(link.builder(), {});
    EXPECT_EQ(link.counters().framesSent, 0u);

    ASSERT_TRUE(session().connect("pty").ok());
    session().setBoardIdentified(true);
    session().pollIdentification(link.builder(), {});
    EXPECT_TRUE(port.written.empty());

    // A reconnect to a board that was identified polls it again.
    session().disconnect();
    EXPECT_TRUE(session().boardIdentified());
    ASSERT_TRUE(session().connect("pty").ok());
    session().pollIdentification(link.builder(), {1, 4, 4, 4, 4, 9});
    EXPECT_EQ(link.counters().framesSent, 10u);
}

TEST_F(SessionTest, PollSkipsStreamsWithoutARate) {
    ASSERT_TRUE(session().connect("pty").ok());
    session().pollIdentification(
        link.builder(), {0, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    EXPECT_EQ(port.written, (Bytes{0xCB, 0x02, 0xA8, 0x61, 0xCB, 0x02, 0x98, 0x51, 0xCB, 0x02, 0x81,
                                   0x48, 0xCB, 0x03, 0x20, 0x00, 0xE8, 0xCB, 0x02, 0x2A, 0xE3}));
}

TEST(StreamRatesTest, ItemsMapToRateCodes) {
    EXPECT_EQ(rateCodeForItem(0), kStreamOff);
    EXPECT_EQ(rateCodeForItem(1), 9);
    EXPECT_EQ(rateCodeForItem(2), 4);
    EXPECT_EQ(rateCodeForItem(3), 1);
    EXPECT_EQ(rateCodeForItem(4), 0);
    EXPECT_EQ(rateCodeForItem(5), std::nullopt);
    EXPECT_EQ(rateCodeForItem(-1), std::nullopt);
}

TEST_F(SessionTest, ReportCountsSinceTheLastReport) {
    link.counters().bytesReceived = 720;
    link.counters().framesReceived = 23;
    link.counters().framesSent = 2;
    LinkReport report = session().takeReport();
    EXPECT_EQ(report.bitrate, "Bitrate 5760 bps");
    EXPECT_EQ(report.frameRate, "IN 23pps OUT 2pps");

    link.counters().framesReceived += 5;
    report = session().takeReport();
    EXPECT_EQ(report.bitrate, "Bitrate 0 bps");
    EXPECT_EQ(report.frameRate, "IN 5pps OUT 0pps");
}

TEST_F(SessionTest, ReceiveHandlerReadsInChunksOfAtMost250) {
    ASSERT_TRUE(session().connect("pty").ok());
    Bytes stream;
    for (int i = 0; i < 120; ++i) {
        stream.insert(stream.end(), {0xCB, 0x03, 0x03, 0x01, 0xCA});
    }
    port.receive(stream);
    session().bytesWaiting(stream.size());
    EXPECT_EQ(port.reads, (std::vector<size_t>{250, 250, 100}));
    EXPECT_EQ(armedFrames, 120);
    EXPECT_EQ(link.counters().bytesReceived, 600u);
}

TEST_F(SessionTest, ReceiveHandlerStopsWhenAReadYieldsNothing) {
    ASSERT_TRUE(session().connect("pty").ok());
    port.receive({0xCB, 0x03, 0x03, 0x01, 0xCA});
    session().bytesWaiting(1000); // the port announced more than it has
    EXPECT_EQ(port.reads.size(), 2u);
    EXPECT_EQ(armedFrames, 1);
}

TEST_F(SessionTest, PortBytesAreDroppedDuringPlayback) {
    ASSERT_TRUE(session().connect("pty").ok());
    link.parser().setRecorder(RecorderState::Playing, nullptr);
    port.receive({0xCB, 0x03, 0x03, 0x01, 0xCA});
    session().bytesWaiting(5);
    EXPECT_TRUE(port.input.empty()) << "the port is still drained";
    EXPECT_EQ(armedFrames, 0);
    EXPECT_EQ(link.counters().bytesReceived, 0u);
}

TEST_F(SessionTest, PortFailureClosesTheLinkOnce) {
    std::vector<std::string> reasons;
    session().setLinkLostHandler([&](const std::string& reason) { reasons.push_back(reason); });
    ASSERT_TRUE(session().connect("pty").ok());
    port.listener->portFailed("device removed");
    port.listener->portFailed("device removed");
    EXPECT_EQ(reasons, (std::vector<std::string>{"device removed"}));
    EXPECT_FALSE(session().linkOpen());
    EXPECT_FALSE(port.isOpen);
    link.builder().sendReadRequest(1);
    EXPECT_TRUE(port.written.empty()) << "nothing is written into a dead port";
}

} // namespace
} // namespace crv::link
