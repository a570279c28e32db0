#pragma once

#include "joystick/joystick_shaping.h"

#include <optional>

struct _SDL_Joystick;

namespace crv::joystick {

/// The system's joysticks through SDL2's joystick API, polled: no window and no event loop of
/// SDL's own. SDL starts on first use and ends with the object. One thread.
class SdlJoysticks {
public:
    SdlJoysticks() = default;
    ~SdlJoysticks();
    SdlJoysticks(const SdlJoysticks&) = delete;
    SdlJoysticks& operator=(const SdlJoysticks&) = delete;

    /// The number of joysticks attached now; 0 when SDL cannot start.
    int count();
    /// The current axes of joystick index (0 the first), opening it if need be; nothing when
    /// there is no such joystick or it was unplugged. Axes it lacks read as centred.
    std::optional<JoystickAxes> read(int index);

private:
    bool start();
    void closeOpen();

    bool m_started = false;
    bool m_failed = false;
    _SDL_Joystick* m_open = nullptr;
    int m_openIndex = -1;
};

} // namespace crv::joystick
