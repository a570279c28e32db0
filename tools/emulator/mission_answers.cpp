// The board's mission store: every received line is kept at its index, and each request for a
// line is answered with it. A fresh board holds the one end line of an empty mission; the
// telemetry stream flies the stored lines in AUTO.

#include "emulator/answer_modules.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

#include <array>

namespace crv::emulator {

namespace {

using link::LinkFrame;
namespace msg = link::msg;

constexpr size_t kLines = 201;
constexpr size_t kLineBytes = 14; ///< a line on the link after its index byte

class MissionAnswers : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        board.dispatcher().setHandler(msg::kMissionItem, [this](const LinkFrame& frame) {
            const link::PayloadReader payload(frame);
            const uint8_t index = payload.u8(0);
            if (index >= kLines) {
                return;
            }
            if ((frame.type & msg::kReadRequest) != 0) {
                sendLine(index);
            } else {
                payload.bytes(1, m_board->state().missionLines[index].data(), kLineBytes);
            }
        });
    }

private:
    void sendLine(uint8_t index) {
        auto& out = m_board->builder();
        out.begin();
        out.put8(msg::kMissionItem);
        out.put8(index);
        out.putBytes(m_board->state().missionLines[index].data(), kLineBytes);
        out.finish();
    }

    BoardEmulator* m_board = nullptr;
};

} // namespace

std::unique_ptr<AnswerModule> makeMissionAnswers() { return std::make_unique<MissionAnswers>(); }

} // namespace crv::emulator
