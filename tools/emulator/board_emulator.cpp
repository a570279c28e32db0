#include "emulator/board_emulator.h"

#include "emulator/answer_modules.h"

#include <utility>

namespace crv::emulator {

BoardEmulator::BoardEmulator(Output output) : m_output(std::move(output)) {
    m_modules.push_back(makeIdentityAnswers());
    m_modules.push_back(makeTelemetryStream());
    m_modules.push_back(makeCommandAnswers());
    m_modules.push_back(makeConfigAnswers());
    m_modules.push_back(makeMissionAnswers());
    m_modules.push_back(makeSimulatorAnswers());
    m_modules.push_back(makeConsoleAnswers());
    for (auto& module : m_modules) {
        module->attach(*this);
    }
}

void BoardEmulator::tick(int64_t nowMs) {
    m_nowMs = nowMs;
    for (auto& module : m_modules) {
        module->tick(nowMs);
    }
}

} // namespace crv::emulator
