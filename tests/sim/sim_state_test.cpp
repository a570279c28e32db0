#include "sim/sim_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace crv::sim {
namespace {

TEST(SimStateLine, ScalesEachFieldAndTruncatesTowardZero) {
    SimState state;
    const std::string line = "$FD,1,1,-1,-0.5,12.34,359.99,55.0228614,-73.4278569,1234.9,"
                             "88.8,-7.9,-1.25\n";
    ASSERT_EQ(parseSimStateLine(line, state), LineParse::Complete);
    EXPECT_EQ(state.accelX, 823);
    EXPECT_EQ(state.accelY, 823);
    EXPECT_EQ(state.accelZ, -823);
    EXPECT_EQ(state.rollDeciDeg, -5);
    EXPECT_EQ(state.pitchDeciDeg, 123);
    EXPECT_EQ(state.headingDeciDeg, 3599);
    EXPECT_EQ(state.latitudeE7, 550228614);
    EXPECT_EQ(state.longitudeE7, -734278569);
    EXPECT_EQ(state.altitudeM, 1234);
    EXPECT_EQ(state.airSpeed, 88);
    EXPECT_EQ(state.groundSpeed, -7);
    EXPECT_EQ(state.climbDeciMps, -12);
}

TEST(SimStateLine, SixteenBitFieldsKeepTheLowBits) {
    struct Case {
        const char* value;
        int16_t roll;
    };
    const Case cases[] = {
        {"3276.7", 32767}, {"3276.8", -32768}, {"6553.6", 0}, {"-3276.9", 32767},
        {"1e20", static_cast<int16_t>(0)}, // 10^21 is a multiple of 2^16
        {"-0.09", 0},
    };
    for (const Case& c : cases) {
        SimState state;
        const std::string line = std::string("$FD,0,0,0,") + c.value + "\n";
        ASSERT_EQ(parseSimStateLine(line, state), LineParse::Complete) << c.value;
        EXPECT_EQ(state.rollDeciDeg, c.roll) << c.value;
    }
    SimState state;
    ASSERT_EQ(parseSimStateLine("$FD,0,0,0,0,0,0,300\n", state), LineParse::Complete);
    EXPECT_EQ(state.latitudeE7, -1294967296) << "3 000 000 000 less 2^32";
}

TEST(SimStateLine, LeavesUnreachedAndUnterminatedFieldsAsTheyWere) {
    SimState state;
    state.pitchDeciDeg = 77;
    state.climbDeciMps = 5;
    ASSERT_EQ(parseSimStateLine("$FD,1,2,3,4,5", state), LineParse::Complete);
    EXPECT_EQ(state.rollDeciDeg, 40);
    EXPECT_EQ(state.pitchDeciDeg, 77) << "the field without a separator after it";
    ASSERT_EQ(parseSimStateLine("$FD,0,0,0,0,0,0,0,0,0,0,0,0,junk,9\n", state),
              LineParse::Complete)
        << "fields after the twelfth are skipped";
    EXPECT_EQ(state.climbDeciMps, 0);
}

TEST(SimStateLine, AMalformedFieldStopsWithTheFieldsBeforeItTaken) {
    const std::vector<std::string> bad = {
        "", " 1", "1 ", "abc", "1.2.3", "nan", "NaN", "inf", "-infinity", "0x10", "1e", "+",
        "-", ".", "1e400", "\x01", "1e308", // the last overflows once scaled
    };
    for (const std::string& field : bad) {
        SimState state;
        state.pitchDeciDeg = 9;
        const std::string line = "$FD,0,0,0,1," + field + ",2\n";
        EXPECT_EQ(parseSimStateLine(line, state), LineParse::Malformed) << field;
        EXPECT_EQ(state.rollDeciDeg, 10) << field;
        EXPECT_EQ(state.pitchDeciDeg, 9) << field;
        EXPECT_EQ(state.headingDeciDeg, 0) << field;
    }
}

TEST(SimStateLine, AcceptsTheDecimalForms) {
    for (const char* field : {"+1", "1.", ".5", "-0", "1E1", "2e-1", "007"}) {
        SimState state;
        EXPECT_EQ(parseSimStateLine(std::string("$FD,") + field + ",", state),
                  LineParse::Complete)
            << field;
    }
}

TEST(DatagramText, StopsAtTheFirstZeroAndAfter1024Bytes) {
    const uint8_t withZero[] = {'$', 'F', 'D', 0, '1'};
    EXPECT_EQ(datagramText(withZero, sizeof withZero), "$FD");
    const std::vector<uint8_t> big(65507, 'x');
    EXPECT_EQ(datagramText(big.data(), big.size()).size(), 1024u);
    EXPECT_EQ(datagramText(nullptr, 0).size(), 0u);
}

} // namespace
} // namespace crv::sim
