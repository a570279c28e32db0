#pragma once

#include "emulator/board_emulator.h"

#include <memory>

namespace crv::emulator {

// Each factory lives in the file of the subsystem whose answers it gives.
std::unique_ptr<AnswerModule> makeIdentityAnswers();
std::unique_ptr<AnswerModule> makeTelemetryStream();
std::unique_ptr<AnswerModule> makeCommandAnswers();
std::unique_ptr<AnswerModule> makeConfigAnswers();
std::unique_ptr<AnswerModule> makeMissionAnswers();
std::unique_ptr<AnswerModule> makeSimulatorAnswers();
std::unique_ptr<AnswerModule> makeConsoleAnswers();

} // namespace crv::emulator
