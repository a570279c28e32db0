#include "emulator/board_emulator.h"

#include "link/link_frame_parser.h"
#include "support/frame_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace crv::emulator {
namespace {

using Bytes = std::vector<uint8_t>;

/// The ground station's side: feeds the board hand-written frames, parses what it answers.
class EmulatorTest : public ::testing::Test {
protected:
    EmulatorTest() {
        for (int type = 0; type < 128; ++type) {
            dispatcher.setHandler(static_cast<uint8_t>(type), [this](const link::LinkFrame& f) {
                answers.push_back(f.type);
                payloads[f.type] = Bytes(f.payload, f.payload + f.payloadSize);
            });
        }
    }

    void send(const Bytes& bytes) { board.receive(bytes.data(), bytes.size()); }
    int count(uint8_t type) const {
        return static_cast<int>(std::count(answers.begin(), answers.end(), type));
    }
    void runFor(int64_t fromMs, int64_t toMs) {
        for (int64_t t = fromMs; t < toMs; t += 10) {
            board.tick(t);
        }
    }

    link::LinkCounters counters;
    link::MessageDispatcher dispatcher;
    link::LinkFrameParser parser{counters, dispatcher};
    BoardEmulator board{[this](const uint8_t* bytes, size_t n) { parser.feed(bytes, n); }};
    std::vector<uint8_t> answers;
    std::map<uint8_t, Bytes> payloads;
};

TEST_F(EmulatorTest, AnswersTheIdentificationPoll) {
    send({0xCB, 0x02, 0xA8, 0x61, 0xCB, 0x02, 0x98, 0x51, 0xCB, 0x02, 0x81, 0x48, 0xCB, 0x02, 0x2A,
          0xE3});
    EXPECT_EQ(answers, (std::vector<uint8_t>{40, 24, 1, 42}));
    board.tick(0);
    EXPECT_EQ(answers.back(), 3) << "then the armed state, once a second";
    EXPECT_EQ(payloads[1], (Bytes{0x00, 0x02, 0x00, 0x00, 0x17, 0xD4}));
    EXPECT_EQ(payloads[40].size(), 11u);
    EXPECT_EQ(payloads[40][0], 0);
    EXPECT_EQ(payloads[42].size(), 60u);
    EXPECT_EQ(payloads[24].size(), 6u);
}

TEST_F(EmulatorTest, StoresBoardConfigurationAndModelSelection) {
    send({0xCB, 0x08, 0x18, 0x09, 0x23, 0x64, 0x32, 0x32, 0x78, 0xED}); // write record
    send({0xCB, 0x03, 0x28, 0x01, 0xE1});                               // select model 1
    send({0xCB, 0x02, 0x98, 0x51, 0xCB, 0x02, 0xA8, 0x61});
    EXPECT_EQ(payloads[24], (Bytes{0x09, 0x23, 0x64, 0x32, 0x32, 0x78}));
    ASSERT_EQ(payloads[40].size(), 11u);
    EXPECT_EQ(payloads[40][0], 1);
    EXPECT_EQ(std::string(payloads[40].begin() + 1, payloads[40].begin() + 5), "Wing");
}

TEST_F(EmulatorTest, StreamsAtTheRatesSet) {
    board.tick(0);
    send({0xCB, 0x03, 0x20, 0x00, 0xE8,   // attitude, code 0: 10 a second
          0xCB, 0x03, 0x1E, 0x01, 0xD7,   // RC inputs, code 1: 5
          0xCB, 0x03, 0x1F, 0x04, 0xD3,   // servo outputs, code 4: 2
          0xCB, 0x03, 0x21, 0x09, 0xE0,   // navigation, code 9: 1
          0xCB, 0x03, 0x22, 0x14, 0xFE}); // GPS, code 20: off
    runFor(0, 1000);
    EXPECT_EQ(count(32), 10);
    EXPECT_EQ(count(30), 5);
    EXPECT_EQ(count(31), 2);
    EXPECT_EQ(count(33), 1);
    EXPECT_EQ(count(34), 0);
    EXPECT_EQ(count(36), 0) << "streams start stopped";

    send({0xCB, 0x03, 0x20, 0x14, 0xFC}); // attitude off
    answers.clear();
    runFor(1000, 2000);
    EXPECT_EQ(count(32), 0);
    EXPECT_EQ(count(30), 5);
}

TEST_F(EmulatorTest, ArmsAndSwitchesModes) {
    board.tick(0);
    ASSERT_EQ(payloads[3], (Bytes{0})) << "the armed state is reported unasked";
    send({0xCB, 0x03, 0x03, 0x01, 0xCA}); // arm
    EXPECT_EQ(payloads[3], (Bytes{1}));
    send({0xCB, 0x03, 0x0A, 0x06, 0xC4,   // Auto
          0xCB, 0x03, 0x21, 0x00, 0xE9}); // navigation at 10 a second
    board.tick(10);
    ASSERT_EQ(payloads[33].size(), 11u);
    EXPECT_EQ(payloads[33][9], 6);
    send({0xCB, 0x03, 0x03, 0x00, 0xCB}); // disarm
    EXPECT_EQ(payloads[3], (Bytes{0}));
    answers.clear();
    runFor(20, 2020);
    EXPECT_EQ(count(3), 2) << "once a second";
}

TEST_F(EmulatorTest, ConfigurationReadsReturnWhatWasWritten) {
    send({0xCB, 0x03, 0x9B, 0x5A, 0x09}); // 155/90
    ASSERT_EQ(payloads[27], (Bytes{90, 0x0F}));
    send({0xCB, 0x04, 0x1B, 0x5A, 0x05, 0x8B}); // write 27/90 = 0x05
    send({0xCB, 0x03, 0x9B, 0x5A, 0x09});
    EXPECT_EQ(payloads[27], (Bytes{90, 0x05}));

    send({0xCB, 0x03, 0x9B, 0x02, 0x51}); // 155/2
    EXPECT_EQ(payloads[27].size(), 22u);
    EXPECT_EQ(payloads[27][0], 2);

    answers.clear();
    send({0xCB, 0x03, 0x9B, 0x63, 0x30}); // a block the board does not have
    EXPECT_TRUE(answers.empty());

    send({0xCB, 0x02, 0xAB, 0x62}); // 171
    EXPECT_EQ(payloads[43].size(), 12u);
    send({0xCB, 0x04, 0x1C, 0x0F, 0x37, 0xEB}); // 28/15/55
    EXPECT_EQ(count(28), 5) << "controls, three axes and the status";
}

// The trims are the airframe's bytes 12 to 19 whichever message writes or reads them.
TEST_F(EmulatorTest, TrimsAreTheAirframesOwn) {
    send({0xCB, 0x03, 0x9B, 0x3C, 0x6F}); // 155/60
    ASSERT_EQ(payloads[27].size(), 87u);
    Bytes airframe = payloads[27];

    send({0xCB, 0x0B, 0x1B, 0x45, 0xFF, 0xFE, 0xFD, 0xFC, 0x05, 0x06, 0x07, 0x08, 0x92}); // 27/69
    send({0xCB, 0x03, 0x9B, 0x3C, 0x6F});
    std::copy_n(Bytes{0xFF, 0xFE, 0xFD, 0xFC, 0x05, 0x06, 0x07, 0x08}.begin(), 8,
                airframe.begin() + 13);
    EXPECT_EQ(payloads[27], airframe) << "the rest of the airframe as it was";

    airframe[13 + 2] = 0x33;
    send(link::testing::frameOf(27, airframe)); // 27/60 with a new third trim
    send({0xCB, 0x03, 0x9B, 0x45, 0x16});       // 155/69
    EXPECT_EQ(payloads[27], (Bytes{69, 0xFF, 0xFE, 0x33, 0xFC, 0x05, 0x06, 0x07, 0x08}));
}

TEST_F(EmulatorTest, GimbalAndTakeOffRecordsAreKeptReservedBytesIncluded) {
    send({0xCB, 0x02, 0xAB, 0x62}); // 171
    Bytes atol = payloads[43];
    ASSERT_EQ(atol.size(), 12u);
    atol[1] = 10; // course 20 degrees
    send(link::testing::frameOf(43, atol));
    send({0xCB, 0x02, 0xAB, 0x62});
    EXPECT_EQ(payloads[43], atol);

    const Bytes roll = {13, 0x18, 0xFC, 0xE8, 0x03, 0x00, 0x00, 0xE8, 0x03}; // 28/13
    send(link::testing::frameOf(28, roll));
    answers.clear();
    std::vector<Bytes> report;
    dispatcher.setHandler(28, [&](const link::LinkFrame& f) {
        report.emplace_back(f.payload, f.payload + f.payloadSize);
    });
    send({0xCB, 0x04, 0x1C, 0x0F, 0x37, 0xEB}); // 28/15/55
    ASSERT_EQ(report.size(), 5u);
    EXPECT_EQ(report[3], (Bytes{3, 0x18, 0xFC, 0xE8, 0x03, 0x00, 0x00, 0xE8, 0x03}));
    EXPECT_EQ(report[4].size(), 11u) << "the status";
    EXPECT_EQ(report[4][0], 4);
}

TEST_F(EmulatorTest, MissionLinesAreStoredAndAnsweredByIndex) {
    send({0xCB, 0x03, 0x9D, 0x00, 0x55}); // 157: line 0 of a fresh board
    ASSERT_EQ(payloads[29].size(), 15u);
    EXPECT_EQ(payloads[29][0], 0);
    EXPECT_EQ(payloads[29][1], 252) << "an empty mission's end line";

    const Bytes line = {3, 2, 0, 0, 0, 0, 100, 0xFF, 0xFF, 0xFF, 0xCE, 0x00, 0x1E, 0x00, 0x00};
    send(link::testing::frameOf(29, line)); // line 3
    send({0xCB, 0x03, 0x9D, 0x03, 0x56});   // 157: line 3
    EXPECT_EQ(payloads[29], line);

    answers.clear();
    send({0xCB, 0x03, 0x9D, 0xC9, 0x9C}); // line 201: past the list, no answer
    EXPECT_TRUE(answers.empty());
}

TEST_F(EmulatorTest, TelemetryHasTheLayoutsAndMoves) {
    send({0xCB, 0x03, 0x20, 0x00, 0xE8, 0xCB, 0x03, 0x22, 0x00, 0xEA});
    board.tick(0);
    const Bytes firstGps = payloads[34];
    board.tick(5000);
    EXPECT_EQ(payloads[32].size(), 8u);
    ASSERT_EQ(payloads[34].size(), 13u);
    EXPECT_EQ(payloads[34][0], 3) << "GPS fix";
    EXPECT_NE(payloads[34], firstGps) << "the vehicle moves";
}

} // namespace
} // namespace crv::emulator

namespace crv::emulator {
namespace {

class EmulatorServoTest : public EmulatorTest {
protected:
    /// The servo outputs 1 to 4 of the next servo report.
    std::vector<int> servos(int64_t& nowMs) {
        payloads.erase(31);
        runFor(nowMs, nowMs + 200);
        nowMs += 200;
        const Bytes& p = payloads[31];
        std::vector<int> first;
        for (size_t k = 0; k < 4 && 2 * k + 1 < p.size(); ++k) {
            first.push_back(p[2 * k] << 8 | p[2 * k + 1]);
        }
        return first;
    }
};

TEST_F(EmulatorServoTest, ServoOutputsFollowTheJoystickAndTheSimulatedFlight) {
    send(link::testing::frameOf(31, {0})); // servo outputs ten times a second
    int64_t now = 0;
    send(link::testing::frameOf(16, {0x10, 0x67, 0x07, 0x08, 0x0B, 0xB8, 0x0C, 0x00}));
    EXPECT_EQ(servos(now), (std::vector<int>{4199, 1800, 3000, 3072}));
    // Rolled 10 degrees right and 5 degrees nose up: aileron left, elevator down.
    send(link::testing::frameOf(17, {0, 0, 0, 0, 0, 0, 0x00, 0x64, 0x00, 0x32, 0, 0}));
    EXPECT_EQ(servos(now), (std::vector<int>{2600, 3200, 3600, 3000}));
    send(link::testing::frameOf(17, {0, 0, 0, 0, 0, 0, 0xFC, 0x18, 0, 0, 0, 0})); // -100 degrees
    EXPECT_EQ(servos(now)[0], 4200) << "held at full deflection";
}

} // namespace
} // namespace crv::emulator
