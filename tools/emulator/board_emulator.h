#pragma once

#include "emulator/board_state.h"
#include "link/link_counters.h"
#include "link/link_frame_builder.h"
#include "link/link_frame_parser.h"
#include "link/message_dispatcher.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace crv::emulator {

class BoardEmulator;

/// One subsystem's share of the board's answers.
class AnswerModule {
public:
    virtual ~AnswerModule() = default;
    /// Registers the module's handlers on the board's dispatcher.
    virtual void attach(BoardEmulator& board) = 0;
    /// Called regularly with the board's clock in milliseconds, for what the board sends unasked.
    virtual void tick(int64_t /*nowMs*/) {}
};

/// A board as the ground station sees it: frames in, frames out. The clock is the caller's.
class BoardEmulator : public link::FrameSink {
public:
    using Output = std::function<void(const uint8_t* bytes, size_t count)>;

    /// Builds a board with every answer module.
    explicit BoardEmulator(Output output);

    void receive(const uint8_t* bytes, size_t count) { m_parser.feed(bytes, count); }
    void tick(int64_t nowMs);

    link::MessageDispatcher& dispatcher() { return m_dispatcher; }
    link::LinkFrameBuilder& builder() { return m_builder; }
    BoardState& state() { return m_state; }
    /// The time of the last tick; answers sent from handlers use it.
    int64_t nowMs() const { return m_nowMs; }

    void sendFrame(const uint8_t* frame, size_t size) override { m_output(frame, size); }

private:
    Output m_output;
    BoardState m_state;
    link::LinkCounters m_counters;
    link::MessageDispatcher m_dispatcher;
    link::LinkFrameParser m_parser{m_counters, m_dispatcher};
    link::LinkFrameBuilder m_builder{m_counters, this};
    std::vector<std::unique_ptr<AnswerModule>> m_modules;
    int64_t m_nowMs = 0;
};

} // namespace crv::emulator
