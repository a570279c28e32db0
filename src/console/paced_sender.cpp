#include "console/paced_sender.h"

#include "link/message_types.h"

#include <algorithm>

namespace crv::console {

namespace {
constexpr uint8_t kCarriageReturn = 13;
}

void PacedSender::send(const std::vector<uint8_t>& bytes, bool skipCarriageReturns) {
    const bool wasIdle = !busy();
    if (wasIdle) {
        m_queued = 0;
        m_sent = 0;
    }
    for (uint8_t byte : bytes) {
        if (!(skipCarriageReturns && byte == kCarriageReturn)) {
            m_pending.push_back(byte);
            ++m_queued;
        }
    }
    if (wasIdle) {
        sendPiece();
    }
}

void PacedSender::tick() { sendPiece(); }

void PacedSender::cancel() {
    m_pending.clear();
    m_queued = m_sent;
}

void PacedSender::sendPiece() {
    if (m_pending.empty()) {
        return;
    }
    const size_t count = std::min(kPieceBytes, m_pending.size());
    m_out.begin();
    m_out.put8(link::msg::kTerminalInput);
    for (size_t i = 0; i < count; ++i) {
        m_out.put8(m_pending.front());
        m_pending.pop_front();
    }
    m_out.finish();
    m_sent += count;
}

} // namespace crv::console
