#include "link/link_frame_parser.h"

#include <cstring>

namespace crv::link {

namespace {

uint8_t xorOf(const uint8_t* data, size_t count) {
    uint8_t check = 0;
    for (size_t i = 0; i < count; ++i) {
        check ^= data[i];
    }
    return check;
}

// L counts the length byte, the type and the payload; 0 and 1 carry no payload.
size_t payloadSizeFor(uint8_t length) { return length > 2 ? length - 2u : 0u; }

void advance(auto& span, size_t count) {
    span.data += count;
    span.size -= count;
}

} // namespace

LinkFrameParser::LinkFrameParser(LinkCounters& counters, const MessageDispatcher& dispatcher)
    : m_counters(counters), m_dispatcher(dispatcher) {
    m_pending.reserve(8);
}

void LinkFrameParser::setRecorder(RecorderState state, RecordingTap* tap) {
    m_recorderState = state;
    m_tap = tap;
}

void LinkFrameParser::feed(const uint8_t* data, size_t count) {
    if (count == 0) {
        return;
    }
    if (m_recorderState == RecorderState::Recording && m_tap != nullptr) {
        m_tap->recordBytes(data, count);
    }
    m_counters.bytesReceived += static_cast<uint32_t>(count);
    m_pending.push_back({data, count});

    // A nested call drains everything queued, so the queue is empty whenever a call returns.
    while (!m_pending.empty()) {
        Span& span = m_pending.front();
        LinkFrame frame;
        FrameStore copy; // a nested feed() may overwrite m_frame while the handler runs
        const bool complete = nextFrame(span, frame, copy);
        if (span.size == 0) {
            m_pending.erase(m_pending.begin());
        }
        if (complete) {
            m_dispatcher.dispatch(frame);
            ++m_counters.framesReceived;
        }
    }
}

// Consumes bytes of span until a good frame is complete (true) or the span is used up (false).
bool LinkFrameParser::nextFrame(Span& span, LinkFrame& frame, FrameStore& copy) {
    while (span.size > 0) {
        if (m_position == 0) {
            const void* sync = std::memchr(span.data, kSync, span.size);
            if (sync == nullptr) {
                advance(span, span.size);
                return false;
            }
            advance(span, static_cast<const uint8_t*>(sync) - span.data);
            if (span.size >= 2 && span.data[1] > kMaxLength) {
                advance(span, 2);
                continue;
            }
            // Lengths 0 and 1 put the check byte at position 2; the byte-wise path takes them.
            if (span.size >= 2 && span.data[1] >= 2 && span.size >= span.data[1] + 2u) {
                if (takeWholeFrame(span, frame)) {
                    return true;
                }
                continue;
            }
        }
        const uint8_t byte = span.data[0];
        advance(span, 1);
        if (takeByte(byte)) {
            frame = storedFrame(copy);
            return true;
        }
    }
    return false;
}

// The common case: the whole frame lies in the span and is checked and handed out in place.
bool LinkFrameParser::takeWholeFrame(Span& span, LinkFrame& frame) {
    const uint8_t* start = span.data;
    const uint8_t length = start[1];
    const size_t total = length + 2u;
    advance(span, total);
    if (xorOf(start, total - 1) != start[total - 1]) {
        return false;
    }
    frame = {start[2], length, start + 3, payloadSizeFor(length)};
    return true;
}

// The byte-wise state machine for frames that arrive in pieces; true when a good frame is done.
bool LinkFrameParser::takeByte(uint8_t byte) {
    if (m_position >= m_frame.size()) {
        m_position = 0;
    }
    m_frame[m_position] = byte;
    if (m_position == 0) {
        if (byte == kSync) {
            m_position = 1;
            m_check = kSync;
        }
        return false;
    }
    if (m_position == 1) {
        m_position = byte <= kMaxLength ? 2 : 0;
        m_check ^= byte;
        m_end = byte + 2u;
        return false;
    }
    ++m_position;
    if (m_position < m_end) {
        m_check ^= byte;
        return false;
    }
    // The check byte: the frame is finished either way, before any handler can run.
    m_position = 0;
    return byte == m_check;
}

LinkFrame LinkFrameParser::storedFrame(FrameStore& copy) const {
    const uint8_t length = m_frame[1];
    const size_t total = length < 2 ? 3u : length + 2u;
    std::memcpy(copy.data(), m_frame.data(), total);
    return {copy[2], length, copy.data() + 3, payloadSizeFor(length)};
}

} // namespace crv::link
