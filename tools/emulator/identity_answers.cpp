// The board's answers to the identification poll: model, board configuration, version and
// model list, and the writes that change them.

#include "emulator/answer_modules.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

namespace crv::emulator {

namespace {

using link::LinkFrame;
namespace msg = link::msg;

bool isReadRequest(const LinkFrame& frame) { return (frame.type & msg::kReadRequest) != 0; }

// Names travel as ten characters, padded with spaces as the board stores them.
void putName(link::LinkFrameBuilder& builder, const std::string& name) {
    for (size_t i = 0; i < 10; ++i) {
        builder.put8(i < name.size() ? static_cast<uint8_t>(name[i]) : ' ');
    }
}

class IdentityAnswers : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        board.dispatcher().setHandler(msg::kFirmwareVersion, [this](const LinkFrame& frame) {
            if (isReadRequest(frame)) {
                sendVersion();
            }
        });
        board.dispatcher().setHandler(msg::kModel, [this](const LinkFrame& frame) {
            isReadRequest(frame) ? sendCurrentModel() : selectModel(frame);
        });
        board.dispatcher().setHandler(msg::kModelList,
                                      [this](const LinkFrame&) { sendModelList(); });
        board.dispatcher().setHandler(msg::kBoardConfig, [this](const LinkFrame& frame) {
            isReadRequest(frame) ? sendBoardConfig() : storeBoardConfig(frame);
        });
    }

private:
    void sendVersion() {
        const BoardState& state = m_board->state();
        auto& out = m_board->builder();
        out.begin();
        out.put8(msg::kFirmwareVersion);
        out.put16(state.versionMajor);
        out.put16(state.versionMinor);
        out.put16(state.build);
        out.finish();
    }

    void sendCurrentModel() {
        const BoardState& state = m_board->state();
        auto& out = m_board->builder();
        out.begin();
        out.put8(msg::kModel);
        out.put8(state.modelIndex);
        putName(out, state.modelNames[state.modelIndex]);
        out.finish();
    }

    void selectModel(const LinkFrame& frame) {
        const uint8_t index = link::PayloadReader(frame).u8(0);
        if (index < m_board->state().modelNames.size()) {
            m_board->state().modelIndex = index;
        }
    }

    void sendModelList() {
        auto& out = m_board->builder();
        out.begin();
        out.put8(msg::kModelList);
        for (const std::string& name : m_board->state().modelNames) {
            putName(out, name);
        }
        out.finish();
    }

    void sendBoardConfig() {
        const auto& record = m_board->state().boardConfig;
        auto& out = m_board->builder();
        out.begin();
        out.put8(msg::kBoardConfig);
        out.putBytes(record.data(), record.size());
        out.finish();
    }

    void storeBoardConfig(const LinkFrame& frame) {
        auto& record = m_board->state().boardConfig;
        link::PayloadReader(frame).bytes(0, record.data(), record.size());
    }

    BoardEmulator* m_board = nullptr;
};

} // namespace

std::unique_ptr<AnswerModule> makeIdentityAnswers() { return std::make_unique<IdentityAnswers>(); }

} // namespace crv::emulator
