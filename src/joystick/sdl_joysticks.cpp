#include "joystick/sdl_joysticks.h"

#include <SDL.h>

namespace crv::joystick {

namespace {

constexpr uint16_t kCentred = 32768;

uint16_t position(SDL_Joystick* joystick, int axis) {
    if (axis >= SDL_JoystickNumAxes(joystick)) {
        return kCentred;
    }
    return static_cast<uint16_t>(SDL_JoystickGetAxis(joystick, axis) + 32768);
}

} // namespace

SdlJoysticks::~SdlJoysticks() {
    closeOpen();
    if (m_started) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
}

bool SdlJoysticks::start() {
    if (!m_started && !m_failed) {
        // Polled from the window's timer: state changes are read whether or not a window of
        // this program has the focus, and no SDL event thread or signal handlers are wanted.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        m_started = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
        m_failed = !m_started;
    }
    if (m_started) {
        SDL_JoystickUpdate(); // also notices joysticks plugged in or out
    }
    return m_started;
}

void SdlJoysticks::closeOpen() {
    if (m_open != nullptr) {
        SDL_JoystickClose(m_open);
        m_open = nullptr;
        m_openIndex = -1;
    }
}

int SdlJoysticks::count() { return start() ? SDL_NumJoysticks() : 0; }

std::optional<JoystickAxes> SdlJoysticks::read(int index) {
    if (!start()) {
        return std::nullopt;
    }
    if (m_open != nullptr && (index != m_openIndex || !SDL_JoystickGetAttached(m_open))) {
        closeOpen();
    }
    if (m_open == nullptr) {
        if (index < 0 || index >= SDL_NumJoysticks()) {
            return std::nullopt;
        }
        m_open = SDL_JoystickOpen(index);
        if (m_open == nullptr) {
            return std::nullopt;
        }
        m_openIndex = index;
        SDL_JoystickUpdate();
    }
    return JoystickAxes{position(m_open, 0), position(m_open, 1), position(m_open, 2),
                        position(m_open, 3)};
}

} // namespace crv::joystick
