// The system's joysticks through SDL2, with a virtual joystick of SDL's own standing in for a
// device; SDL needs no display for it.

#include "joystick/sdl_joysticks.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace crv::joystick {
namespace {

class SdlJoysticksTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        before = joysticks.count();
        device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 4, 0, 0);
        ASSERT_GE(device, 0) << SDL_GetError();
        stick = SDL_JoystickOpen(device);
        ASSERT_NE(stick, nullptr) << SDL_GetError();
    }
    void TearDown() override {
        if (stick != nullptr) {
            SDL_JoystickClose(stick);
        }
        SDL_JoystickDetachVirtual(device);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    void move(Sint16 x, Sint16 y, Sint16 z, Sint16 r) {
        const Sint16 values[] = {x, y, z, r};
        for (int axis = 0; axis < 4; ++axis) {
            ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick, axis, values[axis]), 0) << SDL_GetError();
        }
    }

    SdlJoysticks joysticks;
    int before = 0;
    int device = -1;
    SDL_Joystick* stick = nullptr;
};

TEST_F(SdlJoysticksTest, ReadsTheAxesFromZeroTo65535) {
    EXPECT_EQ(joysticks.count(), before + 1);
    move(32767, -32768, 0, -1);
    const std::optional<JoystickAxes> axes = joysticks.read(device);
    ASSERT_TRUE(axes);
    EXPECT_EQ(axes->x, 65535);
    EXPECT_EQ(axes->y, 0);
    EXPECT_EQ(axes->z, 32768);
    EXPECT_EQ(axes->r, 32767);
    move(100, 200, 300, 400);
    const std::optional<JoystickAxes> moved = joysticks.read(device);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->x, 32868);
    EXPECT_EQ(moved->r, 33168);
}

TEST_F(SdlJoysticksTest, AnUnpluggedJoystickReadsNothingUntilItIsBack) {
    ASSERT_TRUE(joysticks.read(device));
    SDL_JoystickClose(stick);
    stick = nullptr;
    ASSERT_EQ(SDL_JoystickDetachVirtual(device), 0);
    EXPECT_FALSE(joysticks.read(device));
    EXPECT_EQ(joysticks.count(), before);
    EXPECT_FALSE(joysticks.read(before + 5)) << "no such joystick";

    device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 4, 0, 0);
    ASSERT_GE(device, 0);
    stick = SDL_JoystickOpen(device);
    move(-32768, 0, 0, 0);
    const std::optional<JoystickAxes> back = joysticks.read(device);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->x, 0);
}

} // namespace
} // namespace crv::joystick
