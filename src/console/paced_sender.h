#pragma once

#include "link/link_frame_builder.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace crv::console {

/// Sends text to the board's command line in type 56 frames of at most kPieceBytes, one piece
/// at once and then one per tick of the 100 ms timer. Sends queue up behind each other instead
/// of waiting inside the caller, so the windows stay responsive however long a send runs.
class PacedSender {
public:
    static constexpr size_t kPieceBytes = 40;

    explicit PacedSender(link::LinkFrameBuilder& out) : m_out(out) {}

    /// Queues bytes to send; with skipCarriageReturns the 13s among them are left out. The first
    /// piece goes out at once when nothing else is waiting.
    void send(const std::vector<uint8_t>& bytes, bool skipCarriageReturns);
    /// The chunk tick: sends the next piece, if any.
    void tick();
    /// Drops everything not yet sent.
    void cancel();

    bool busy() const { return m_sent < m_queued; }
    /// Bytes queued since the sender was last idle, and how many of them have gone out.
    size_t queuedBytes() const { return m_queued; }
    size_t sentBytes() const { return m_sent; }

private:
    void sendPiece();

    link::LinkFrameBuilder& m_out;
    std::deque<uint8_t> m_pending;
    size_t m_queued = 0;
    size_t m_sent = 0;
};

} // namespace crv::console
