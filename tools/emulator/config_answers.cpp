// The board's configuration store: one payload image per block, answered on every read and
// replaced by every write, so what the ground station writes it reads back.

#include "emulator/answer_modules.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace crv::emulator {

namespace {

using link::LinkFrame;
using Bytes = std::vector<uint8_t>;
namespace msg = link::msg;

constexpr uint8_t kGimbalCommand = 15;
constexpr uint8_t kGimbalReport = 55;
constexpr uint8_t kGimbalWriteOffset = 10; ///< writes 10 to 13 store what reads 0 to 3 return

// Plausible factory contents, after the sub-type byte.
std::map<uint8_t, Bytes> factoryBlocks() {
    Bytes general = {60, 80, 0,  0,  0x0F, 1,    2,    0,  0,  12, 100,
                     1,  1,  90, 30, 110,  0x0B, 0xB8, 45, 30, 30};
    Bytes airframe(86, 0);
    const char name[] = "Wing      ";
    std::copy(name, name + 10, airframe.begin());
    return {
        {2, general},
        {3, {4}},
        {10,
         {0x80, 0, static_cast<uint8_t>(-50), 50, 25, 0, static_cast<uint8_t>(-50), 50, 25, 0, 0}},
        {60, airframe},
        {69, Bytes(8, 0)},
        {70, {0xFE, 0x3F, 0x83, 0x21, 0x42, 0x63}},
        {80, {0x88, 0x01}},
        {90, {0x0F}},
    };
}

/// A write replaces the stored block up to its size; a short one leaves the rest as it was.
void overwrite(Bytes& stored, const uint8_t* data, size_t count) {
    std::copy_n(data, std::min(count, stored.size()), stored.begin());
}

class ConfigAnswers : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        m_blocks = factoryBlocks();
        m_atol = {0, 45, 200, 0, 30, 0, 150, 0, 20, 30, 60, 0};
        m_gimbal = {{0, Bytes(4, 0)}, {1, Bytes(8, 0)}, {2, Bytes(8, 0)}, {3, Bytes(8, 0)}};
        board.dispatcher().setHandler(msg::kConfigBlock, [this](const LinkFrame& frame) {
            const link::PayloadReader payload(frame);
            if ((frame.type & msg::kReadRequest) != 0) {
                answerBlock(payload.u8(0));
            } else if (frame.payloadSize > 0 && m_blocks.count(payload.u8(0)) != 0) {
                overwrite(m_blocks[payload.u8(0)], frame.payload + 1, frame.payloadSize - 1);
                if (payload.u8(0) == 60 && frame.payloadSize > 13) { // the airframe holds the trims
                    overwrite(m_blocks[69], frame.payload + 13, frame.payloadSize - 13);
                }
            }
        });
        board.dispatcher().setHandler(msg::kAtol, [this](const LinkFrame& frame) {
            if ((frame.type & msg::kReadRequest) != 0) {
                send(msg::kAtol, std::nullopt, m_atol);
            } else {
                overwrite(m_atol, frame.payload, frame.payloadSize);
            }
        });
        board.dispatcher().setHandler(msg::kGimbal, [this](const LinkFrame& frame) {
            const link::PayloadReader payload(frame);
            const uint8_t subtype = payload.u8(0);
            if (subtype == kGimbalCommand && payload.u8(1) == kGimbalReport) {
                for (const auto& [record, bytes] : m_gimbal) {
                    send(msg::kGimbal, record, bytes);
                }
                send(msg::kGimbal, 4, Bytes(10, 0));
            } else if (frame.payloadSize > 0 && m_gimbal.count(subtype - kGimbalWriteOffset) != 0) {
                overwrite(m_gimbal[subtype - kGimbalWriteOffset], frame.payload + 1,
                          frame.payloadSize - 1);
            }
        });
    }

private:
    void answerBlock(uint8_t subtype) {
        const auto stored = m_blocks.find(subtype);
        if (stored != m_blocks.end()) {
            send(msg::kConfigBlock, subtype, stored->second);
        }
    }

    void send(uint8_t type, std::optional<uint8_t> subtype, const Bytes& bytes) {
        auto& out = m_board->builder();
        out.begin();
        out.put8(type);
        if (subtype) {
            out.put8(*subtype);
        }
        out.putBytes(bytes.data(), bytes.size());
        out.finish();
    }

    BoardEmulator* m_board = nullptr;
    std::map<uint8_t, Bytes> m_blocks;
    Bytes m_atol;
    std::map<uint8_t, Bytes> m_gimbal;
};

} // namespace

std::unique_ptr<AnswerModule> makeConfigAnswers() { return std::make_unique<ConfigAnswers>(); }

} // namespace crv::emulator
