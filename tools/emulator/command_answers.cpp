// The board's side of the main window's commands: arming, flight modes and restoring the
// defaults. The armed state is reported once a second and at once when it changes.

#include "emulator/answer_modules.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

namespace crv::emulator {

namespace {

using link::LinkFrame;
namespace msg = link::msg;

constexpr int64_t kArmedReportMs = 1000;
constexpr uint32_t kRestoreDefaultsWord = 0x4F1D6B92;
constexpr uint8_t kLastSelectableMode = 6;

class CommandAnswers : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        board.dispatcher().setHandler(msg::kArmed, [this](const LinkFrame& frame) {
            m_board->state().armed = link::PayloadReader(frame).u8(0) != 0 ? 1 : 0;
            sendArmed();
        });
        board.dispatcher().setHandler(msg::kFlightMode, [this](const LinkFrame& frame) {
            const uint8_t mode = link::PayloadReader(frame).u8(0);
            if (mode <= kLastSelectableMode) {
                m_board->state().flightMode = mode;
            }
        });
        board.dispatcher().setHandler(msg::kRestoreDefaults, [this](const LinkFrame& frame) {
            if (link::PayloadReader(frame).u32(0) == kRestoreDefaultsWord) {
                m_board->state() = BoardState{};
            }
        });
    }

    void tick(int64_t nowMs) override {
        if (nowMs >= m_nextReportMs) {
            sendArmed();
            m_nextReportMs = nowMs + kArmedReportMs;
        }
    }

private:
    void sendArmed() { m_board->builder().send(msg::kArmed, {m_board->state().armed}); }

    BoardEmulator* m_board = nullptr;
    int64_t m_nextReportMs = 0;
};

} // namespace

std::unique_ptr<AnswerModule> makeCommandAnswers() { return std::make_unique<CommandAnswers>(); }

} // namespace crv::emulator
