// The board's side of joystick control and of hardware-in-the-loop flight: the joystick's
// channels drive the servo outputs directly, and a simulated state drives them through a
// simple wing leveller, so the outputs the board reports follow what it receives.

#include "emulator/answer_modules.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

#include <algorithm>

namespace crv::emulator {

namespace {

using link::LinkFrame;
namespace msg = link::msg;

constexpr int kCentre = 3000;
constexpr int kSwing = 1200;
constexpr int kGainPerDeciDeg = 4; // full deflection at 30 degrees off level
constexpr uint16_t kCruiseThrottle = 3600;

uint16_t servo(int value) {
    return static_cast<uint16_t>(std::clamp(value, kCentre - kSwing, kCentre + kSwing));
}

class SimulatorAnswers : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        board.dispatcher().setHandler(msg::kJoystick, [this](const LinkFrame& frame) {
            const link::PayloadReader channels(frame);
            drive({channels.u16(0), channels.u16(2), channels.u16(4), channels.u16(6)});
        });
        // Aileron against the roll, elevator against the pitch, steady throttle, rudder centred.
        board.dispatcher().setHandler(msg::kSimImu, [this](const LinkFrame& frame) {
            const link::PayloadReader imu(frame);
            drive({servo(kCentre - kGainPerDeciDeg * imu.s16(6)),
                   servo(kCentre + kGainPerDeciDeg * imu.s16(8)), kCruiseThrottle, kCentre});
        });
    }

private:
    void drive(const std::array<uint16_t, 4>& first) {
        std::array<uint16_t, 8> outputs;
        outputs.fill(kCentre);
        std::copy(first.begin(), first.end(), outputs.begin());
        m_board->state().servoOutputs = outputs;
    }

    BoardEmulator* m_board = nullptr;
};

} // namespace

std::unique_ptr<AnswerModule> makeSimulatorAnswers() {
    return std::make_unique<SimulatorAnswers>();
}

} // namespace crv::emulator
