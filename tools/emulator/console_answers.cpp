// The board's console tools: a command line that echoes what it is sent and answers a few
// commands (it runs no scripts), the OSD capture sent in pieces while it is switched on, and
// the flash stores of the voice pack and the script pack with their block transfers. Output
// leaves at the link's speed, as a board's would.

#include "emulator/answer_modules.h"
#include "emulator/osd_picture.h"

#include "link/message_types.h"
#include "link/payload_reader.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace crv::emulator {

namespace {

using link::LinkFrame;
using Bytes = std::vector<uint8_t>;
namespace msg = link::msg;

constexpr uint32_t kFlashWriteWord = 0x5AC3A55C;
constexpr size_t kBlockBytes = 128;
constexpr uint16_t kNoBlock = 0xFFFF;
constexpr size_t kOutputPieceBytes = 200;
constexpr int64_t kBytesPerSecond = 5760; ///< 57600 baud, 8N1
constexpr int64_t kOsdPeriodMs = 1000;
constexpr uint8_t kOsdCommand = 95;
constexpr size_t kOsdPieceBytes = 180;
constexpr size_t kMaxLine = 256;

std::string helpText() {
    return "Commands: help, ver, list, run, flood KB, term\r\n";
}

/// One of the two flash packages: stored bytes and the transfer that replaces or reads them.
struct FlashStore {
    Bytes stored;
    Bytes incoming; ///< blocks of a write in progress, kept only once its end arrives
    bool writing = false;
};

class ConsoleAnswers : public AnswerModule {
public:
    void attach(BoardEmulator& board) override {
        m_board = &board;
        const std::string script = "10 PRINT \"HELLO\"\r\n20 GOTO 10\r\n";
        m_stores[msg::kScriptPack].stored = {0x08};
        m_stores[msg::kScriptPack].stored.insert(m_stores[msg::kScriptPack].stored.end(),
                                                 script.begin(), script.end());
        m_stores[msg::kScriptPack].stored.insert(m_stores[msg::kScriptPack].stored.end(), {0, 0});
        m_stores[msg::kVoicePack].stored = factoryVoicePack();
        auto& dispatcher = board.dispatcher();
        dispatcher.setHandler(msg::kTerminalInput,
                              [this](const LinkFrame& frame) { typed(frame); });
        dispatcher.setSubtypeHandler(msg::kConfigBlock, kOsdCommand, [this](const LinkFrame& f) {
            m_osdOn = link::PayloadReader(f).u8(1) != 0;
            m_nextOsdMs = 0;
        });
        for (uint8_t type : {msg::kVoicePack, msg::kScriptPack}) {
            dispatcher.setHandler(type, [this, type](const LinkFrame& f) { package(type, f); });
        }
    }

    void tick(int64_t nowMs) override {
        if (m_osdOn && nowMs >= m_nextOsdMs) {
            m_nextOsdMs = nowMs + kOsdPeriodMs;
            sendOsdCapture(nowMs);
        }
        if (m_lastOutputMs == 0) {
            m_lastOutputMs = nowMs;
        }
        m_outputAllowance += (nowMs - m_lastOutputMs) * kBytesPerSecond / 1000;
        m_lastOutputMs = nowMs;
        while (!m_output.empty() && m_outputAllowance > 0) {
            const size_t count = std::min(kOutputPieceBytes, m_output.size());
            Bytes piece(m_output.begin(), m_output.begin() + static_cast<std::ptrdiff_t>(count));
            m_output.erase(m_output.begin(), m_output.begin() + static_cast<std::ptrdiff_t>(count));
            sendBytes(msg::kTerminalOutput, piece);
            m_outputAllowance -= static_cast<int64_t>(count);
        }
        if (m_output.empty()) {
            m_outputAllowance = std::min<int64_t>(m_outputAllowance, kOutputPieceBytes);
        }
    }

private:
    static Bytes factoryVoicePack() {
        Bytes pack(1000);
        for (size_t i = 0; i < pack.size(); ++i) {
            pack[i] = static_cast<uint8_t>(i * 13 + 5);
        }
        return pack;
    }

    void print(const std::string& text) { m_output.insert(m_output.end(), text.begin(), text.end()); }

    // Echoes every byte; a line feed or carriage return ends a command.
    void typed(const LinkFrame& frame) {
        std::string echo;
        for (size_t i = 0; i < frame.payloadSize; ++i) {
            const char c = static_cast<char>(frame.payload[i]);
            if (c == '\r' || c == '\n') {
                if (!(c == '\n' && m_lastWasReturn)) { // CR LF ends one line, not two
                    print(echo + "\r\n");
                    echo.clear();
                    command(m_line);
                }
                m_line.clear();
            } else if (c != 0) {
                echo.push_back(c);
                if (m_line.size() < kMaxLine) {
                    m_line.push_back(c);
                }
            }
            m_lastWasReturn = c == '\r';
        }
        print(echo);
    }

    void command(const std::string& line) {
        const size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos) {
            print("> ");
            return;
        }
        const std::string word = line.substr(first, line.find(' ', first) - first);
        if (word == "help") {
            print(helpText());
        } else if (word == "ver") {
            print("Corvane X ver 2.0 build 6100\r\n");
        } else if (word == "list") {
            const Bytes& image = m_stores[msg::kScriptPack].stored;
            const auto end = std::find(image.begin() + 1, image.end(), uint8_t{0});
            print(std::string(image.begin() + 1, end));
        } else if (word == "run") {
            print("Scripts do not run on this board\r\n");
        } else if (word == "flood") {
            flood(std::atoi(line.c_str() + first + word.size()));
        } else if (word == "term") {
            m_board->builder().send(msg::kOpenTerminal, {});
        } else if (word[0] >= '0' && word[0] <= '9') {
            // A numbered line is taken into the program, as the board's editor does.
        } else {
            print("Unknown command: " + word + "\r\n");
        }
        print("> ");
    }

    /// kilobytes of numbered lines, for measuring the ground station's terminal.
    void flood(int kilobytes) {
        const size_t bytes = static_cast<size_t>(std::clamp(kilobytes, 1, 4096)) * 1024;
        for (size_t line = 0; m_output.size() < bytes; ++line) {
            print("line " + std::to_string(line) + " the quick brown fox jumps over the dog\r\n");
        }
    }

    void sendOsdCapture(int64_t nowMs) {
        const int altitude = static_cast<int>((nowMs / 1000) % 500);
        const Bytes coded = encodeOsdCapture(drawOsdPicture(static_cast<int16_t>(150), altitude));
        for (size_t at = 0; at < coded.size(); at += kOsdPieceBytes) {
            auto& out = m_board->builder();
            out.begin();
            out.put8(msg::kOsdCapture);
            out.put16(static_cast<uint16_t>(at));
            out.putBytes(coded.data() + at, std::min(kOsdPieceBytes, coded.size() - at));
            out.finish();
        }
    }

    void package(uint8_t type, const LinkFrame& frame) {
        const link::PayloadReader payload(frame);
        FlashStore& store = m_stores[type];
        switch (payload.u8(0)) {
        case 0:
            report(type);
            break;
        case 1:
            if (payload.u32(1) == kFlashWriteWord) {
                store.incoming.clear();
                store.writing = true;
                sendBytes(type, {129});
            }
            break;
        case 2:
            if (!store.writing) {
                break;
            }
            if (payload.u16(1) == kNoBlock) {
                store.stored = store.incoming;
                store.writing = false;
                report(type);
            } else {
                const size_t at = size_t{payload.u16(1)} * kBlockBytes;
                store.incoming.resize(std::max(store.incoming.size(), at + kBlockBytes), 0xFF);
                payload.bytes(3, store.incoming.data() + at, kBlockBytes);
                sendBytes(type, {130});
            }
            break;
        case 3:
            readBlock(type, payload.u16(1));
            break;
        case 5:
            print("Restarting script...\r\n> ");
            break;
        default:
            break;
        }
    }

    void readBlock(uint8_t type, uint16_t number) {
        const Bytes& stored = m_stores[type].stored;
        const size_t blocks = (stored.size() + kBlockBytes - 1) / kBlockBytes;
        auto& out = m_board->builder();
        out.begin();
        out.put8(type);
        out.put8(131);
        if (number == kNoBlock) {
            out.put16(kNoBlock);
            out.put16(static_cast<uint16_t>(blocks == 0 ? 0 : blocks - 1));
        } else {
            out.put16(number);
            for (size_t i = 0; i < kBlockBytes; ++i) {
                const size_t at = size_t{number} * kBlockBytes + i;
                out.put8(at < stored.size() ? stored[at] : 0xFF);
            }
        }
        out.finish();
    }

    void report(uint8_t type) {
        const Bytes& stored = m_stores[type].stored;
        if (stored.empty()) {
            sendBytes(type, {128, 255});
        } else if (type == msg::kVoicePack) {
            Bytes answer = {128, 1, static_cast<uint8_t>(stored.size() % 10)};
            const std::string name = "Voice " + std::to_string(stored.size() / 1024) + "k";
            answer.insert(answer.end(), name.begin(), name.end());
            answer.push_back(0);
            sendBytes(type, answer);
        } else {
            const auto end = std::find(stored.begin() + 1, stored.end(), uint8_t{0});
            const uint32_t size = static_cast<uint32_t>(end - stored.begin() - 1);
            sendBytes(type, {128, static_cast<uint8_t>(size >> 24), static_cast<uint8_t>(size >> 16),
                             static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size)});
        }
    }

    void sendBytes(uint8_t type, const Bytes& payload) {
        auto& out = m_board->builder();
        out.begin();
        out.put8(type);
        out.putBytes(payload.data(), payload.size());
        out.finish();
    }

    BoardEmulator* m_board = nullptr;
    std::string m_line;
    bool m_lastWasReturn = false;
    std::deque<uint8_t> m_output;
    int64_t m_outputAllowance = 0;
    int64_t m_lastOutputMs = 0;
    bool m_osdOn = false;
    int64_t m_nextOsdMs = 0;
    std::map<uint8_t, FlashStore> m_stores;
};

} // namespace

std::unique_ptr<AnswerModule> makeConsoleAnswers() { return std::make_unique<ConsoleAnswers>(); }

} // namespace crv::emulator
