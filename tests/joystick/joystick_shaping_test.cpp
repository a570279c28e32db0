#include "joystick/expo_curve.h"
#include "joystick/joystick_shaping.h"

#include "support/frame_recorder.h"

#include <gtest/gtest.h>

namespace crv::joystick {
namespace {

TEST(ExpoCurve, FollowsItsCurveClampedAndOdd) {
    struct Case {
        double x;
        int percent;
        double expected;
    };
    const Case cases[] = {
        {0.5, 50, 0.24025307335204216},  // k = 10: (sqrt(10) - 1) / 9
        {-0.5, 50, -0.24025307335204216},
        {0.5, 10, 0.4061787762479334},   // k about 2.14
        {0.5, 90, 0.02959619791984154},  // k about 1075
        {0.25, 20, 0.16512758397326044},
        {0.99, 50, 0.9747080232842341},
        {1.0, 50, 0.9747080232842341},   // x held at 0.99
        {-3.0, 50, -0.9747080232842341},
        {0.5, 99, 0.013944924608652681},
        {0.5, 150, 0.013944924608652681}, // E held at 99
        {0.0, 40, 0.0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(ExpoCurve(c.x, c.percent), c.expected, 1e-12) << c.x << " at " << c.percent;
    }
    EXPECT_LT(ExpoCurve(0.99, 10), 1.0);
}

struct ShapeCase {
    const char* what;
    JoystickAxes axes;
    JoystickSettings settings;
    std::array<int, 4> gauges;        // roll, pitch, throttle, yaw
    std::array<uint16_t, 4> channels; // roll, pitch, throttle, yaw
};

constexpr uint16_t kC = 32768;
constexpr uint16_t kThrottleCentre = 32767; // 65535 - 32767 = 32768

class ShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeTest, GivesTheGaugesAndChannels) {
    const ShapeCase& c = GetParam();
    const JoystickOutput out = shapeJoystick(c.axes, c.settings);
    EXPECT_EQ(out.gauges, c.gauges) << c.what;
    EXPECT_EQ(out.channels, c.channels) << c.what;
}

JoystickSettings expo(int percent, std::array<int, 4> trim = {}) {
    return {percent, {}, trim};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShapeTest,
    ::testing::Values(
        ShapeCase{"centred, lin", {kC, kC, kThrottleCentre, kC}, {},
                  {kC, kC, kC, kC}, {3000, 3000, 3000, 3000}},
        ShapeCase{"full right", {65535, kC, kThrottleCentre, kC}, {},
                  {65535, kC, kC, kC}, {4199, 3000, 3000, 3000}},
        ShapeCase{"full left, full throttle", {0, kC, 0, kC}, {},
                  {0, kC, 65535, kC}, {1800, 3000, 4199, 3000}},
        ShapeCase{"lin ignores trims", {kC, kC, kThrottleCentre, kC}, expo(0, {3000, -3000, 0, 3000}),
                  {kC, kC, kC, kC}, {3000, 3000, 3000, 3000}},
        ShapeCase{"roll trim with a curve", {kC, kC, kThrottleCentre, kC}, expo(10, {3000, 0, 0, 0}),
                  {26214, kC, kC, kC}, {2759, 3000, 3000, 3000}},
        ShapeCase{"half deflection at 50%", {49152, 49152, kThrottleCentre, 16384}, expo(50),
                  {40640, 40640, kC, 24895}, {3288, 3288, 3000, 2711}},
        ShapeCase{"trim beyond full deflection", {65535, kC, kThrottleCentre, kC},
                  expo(30, {-3000, 0, 0, 0}), {71502, kC, kC, kC}, {4418, 3000, 3000, 3000}},
        ShapeCase{"reversed", {65535, 0, 0, kC},
                  {0, {true, true, true, true}, {}}, {0, 65535, 0, 32767},
                  {1800, 4199, 1800, 2999}}));

TEST(JoystickFrame, IsTypeSixteenRollPitchThrottleYaw) {
    link::LinkCounters counters;
    link::testing::CollectingSink sink;
    link::LinkFrameBuilder builder(counters, &sink);
    sendJoystickFrame(builder, {4199, 1800, 3000, 0x0102});
    EXPECT_EQ(sink.bytes, link::testing::frameOf(16, {0x10, 0x67, 0x07, 0x08, 0x0B, 0xB8, 0x01,
                                                      0x02}));
}

} // namespace
} // namespace crv::joystick
