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

constexpr uint8_t kAirframe = 60;
constexpr uint8_t kTrims = 69;
constexpr size_t kTrimsAt = 12; ///< the trims are bytes 12 to 19 of the airframe
constexpr size_t kTrimCount = 8;
constexpr uint8_t kGimbalCommand = 15;
constexpr uint8_t kGimbalReport = 55;
constexpr uint8_t kGimbalStatus = 4;
constexpr uint8_t kGimbalWriteOffset = 10; ///< writes 10 to 13 store what reads 0 to 3 return

constexpr uint8_t lo(int value) { return static_cast<uint8_t>(value); }
constexpr uint8_t hi(int value) { return static_cast<uint8_t>(value >> 8); }

// Plausible factory contents, after the sub-type byte. The reserved bytes of the tracker and
// take-off records hold something, as a board's may, so that a ground station that does not
// send them back shows.
std::map<uint8_t, Bytes> factoryBlocks() {
    Bytes general = {60, 80, 0,  0,  0x0F, 1,    2,    0,  0,  12, 100,
                     1,  1,  90, 30, 110,  0x0B, 0xB8, 45, 30, 30};
    Bytes airframe(86, 0);
    const char name[] = "Wing      ";
    std::copy(name, name + 10, airframe.begin());
    airframe[22] = 50; // M1: roll 50, pitch 50
    airframe[23] = 50;
    return {
        {2, general},
        {3, {4}},
        {10, {0x80, 0, lo(-50), 50, 25, 0, lo(-50), 50, 25, 0, 0x5A}},
        {kAirframe, airframe},
        {70, {0xFE, 0x3F, 0x83, 0x21, 0x42, 0x63}},
        {80, {0x88, 0x01}},
        {90, {0x0F}},
    };
}

/// Pan on RC6 and tilt on RC7 at 100 and -100 percent, PTR_HEAD at 1/2; then the pan, tilt and
/// roll axes (stops, neutral, gain word; LE), roll inverted.
std::map<uint8_t, Bytes> factoryGimbal() {
    const auto axis = [](int low, int high, int neutral, int gainWord) {
        return Bytes{lo(low),     hi(low),     lo(high),     hi(high),
                     lo(neutral), hi(neutral), lo(gainWord), hi(gainWord)};
    };
    return {{0, {0x11, 100, lo(-100), 0x11}},
            {1, axis(-1000, 1000, 0, 1000)},
            {2, axis(-600, 800, 100, 500)},
            {3, axis(-1000, 1000, 0, 0x8000 | 1000)}};
}

/// A write replaces the stored block from offset on, up to its size; a short one leaves the
/// rest as it was.
void overwrite(Bytes& stored, size_t offset, const uint8_t* data, size_t count) {
    std::copy_n(data, std::min(count, stored.size() - offset), stored.begin() + offset);
}

class ConfigAnswers : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        m_blocks = factoryBlocks();
        m_atol = {0x08, 135, 200, 0, 20, 0x5A, lo(500), hi(500), 50, 30, 60, 0xA5};
        m_gimbal = factoryGimbal();
        board.dispatcher().setHandler(msg::kConfigBlock, [this](const LinkFrame& frame) {
            const uint8_t subtype = link::PayloadReader(frame).u8(0);
            if ((frame.type & msg::kReadRequest) != 0) {
                answerBlock(subtype);
            } else if (frame.payloadSize > 0) {
                storeBlock(subtype, frame.payload + 1, frame.payloadSize - 1);
            }
        });
        board.dispatcher().setHandler(msg::kAtol, [this](const LinkFrame& frame) {
            if ((frame.type & msg::kReadRequest) != 0) {
                send(msg::kAtol, std::nullopt, m_atol);
            } else {
                overwrite(m_atol, 0, frame.payload, frame.payloadSize);
            }
        });
        board.dispatcher().setHandler(msg::kGimbal, [this](const LinkFrame& frame) {
            const link::PayloadReader payload(frame);
            const uint8_t subtype = payload.u8(0);
            if (subtype == kGimbalCommand && payload.u8(1) == kGimbalReport) {
                for (const auto& [record, bytes] : m_gimbal) {
                    send(msg::kGimbal, record, bytes);
                }
                // Angles 12.5 and -4.0 degrees, positions 250, -80 and 0; big-endian.
                send(msg::kGimbal, kGimbalStatus,
                     {0x00, 0x7D, 0xFF, 0xD8, 0x00, 0xFA, 0xFF, 0xB0, 0x00, 0x00});
            } else if (frame.payloadSize > 0 && m_gimbal.count(subtype - kGimbalWriteOffset) != 0) {
                overwrite(m_gimbal[subtype - kGimbalWriteOffset], 0, frame.payload + 1,
                          frame.payloadSize - 1);
            }
        });
    }

private:
    // The trims have no block of their own: 27/69 reads and writes the airframe's.
    void answerBlock(uint8_t subtype) {
        if (subtype == kTrims) {
            const Bytes& airframe = m_blocks[kAirframe];
            send(msg::kConfigBlock, subtype,
                 Bytes(airframe.begin() + kTrimsAt, airframe.begin() + kTrimsAt + kTrimCount));
            return;
        }
        const auto stored = m_blocks.find(subtype);
        if (stored != m_blocks.end()) {
            send(msg::kConfigBlock, subtype, stored->second);
        }
    }

    void storeBlock(uint8_t subtype, const uint8_t* data, size_t count) {
        if (subtype == kTrims) {
            overwrite(m_blocks[kAirframe], kTrimsAt, data, std::min(count, kTrimCount));
        } else if (m_blocks.count(subtype) != 0) {
            overwrite(m_blocks[subtype], 0, data, count);
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
