#include "link/link_frame_parser.h"

#include <algorithm>
#include <cstring>

namespace crv::link {

namespace {

// XOR of count bytes, eight at a time and the rest in at most three steps: frames are short,
// and a plain byte loop would cost a step per byte.
[[gnu::always_inline]] inline uint8_t xorOf(const uint8_t* data, size_t count) {
    uint64_t words = 0;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        words ^= word;
    }
    if (i + 4 <= count) {
        uint32_t word;
        std::memcpy(&word, data + i, 4);
        words ^= word;
        i += 4;
    }
    if (i + 2 <= count) {
        uint16_t word;
        std::memcpy(&word, data + i, 2);
        words ^= word;
        i += 2;
    }
    if (i < count) {
        words ^= data[i];
    }
    words ^= words >> 32;
    words ^= words >> 16;
    words ^= words >> 8;
    return static_cast<uint8_t>(words);
}

// L counts the length byte, the type and the payload; 0 and 1 carry no payload.
size_t payloadSizeFor(uint8_t length) { return length > 2 ? length - 2u : 0u; }

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
    const uint8_t* at = span.data;
    const uint8_t* const end = at + span.size;
    bool complete = false;
    while (at < end && !complete) {
        if (m_position == 0) {
            if (*at != kSync) { // frames mostly follow each other without a gap
                at = static_cast<const uint8_t*>(std::memchr(at, kSync, end - at));
                if (at == nullptr) {
                    at = end;
                    break;
                }
            }
            const size_t left = end - at;
            // The common case: the whole frame is here and is checked and handed out in place.
            // Lengths 0 and 1 put the check byte at position 2; the stored path takes them.
            const size_t total = left >= 2 && at[1] <= kMaxLength ? at[1] + 2u : 0;
            if (total >= 4 && left >= total) {
                if (xorOf(at, total) == 0) {
                    frame = {at[2], at[1], at + 3, total - 4};
                    complete = true;
                }
                at += total;
                continue;
            }
            m_frame[0] = kSync;
            m_check = kSync;
            m_position = 1;
            ++at;
        } else if (m_position == 1) {
            takeLength(*at++);
        } else if (takeFrameBytes(at, end)) {
            frame = storedFrame(copy);
            complete = true;
        }
    }
    span.size -= at - span.data;
    span.data = at;
    return complete;
}

// A length above the limit abandons the frame; hunting goes on with the next byte.
void LinkFrameParser::takeLength(uint8_t length) {
    m_frame[1] = length;
    m_check ^= length;
    m_end = length + 2u;
    m_position = length <= kMaxLength ? 2 : 0;
}

// Stores type and payload bytes of a frame that arrives in pieces, then takes its check byte.
// True when the check byte matched; the frame is finished before any handler can run.
bool LinkFrameParser::takeFrameBytes(const uint8_t*& at, const uint8_t* end) {
    const size_t checkPosition = std::max<size_t>(m_end - 1, 2);
    const size_t count = std::min<size_t>(checkPosition - m_position, end - at);
    std::memcpy(m_frame.data() + m_position, at, count);
    m_check ^= xorOf(at, count);
    m_position += count;
    at += count;
    if (at == end) {
        return false;
    }
    const uint8_t check = *at++;
    m_frame[m_position] = check;
    m_position = 0;
    return check == m_check;
}

LinkFrame LinkFrameParser::storedFrame(FrameStore& copy) const {
    const uint8_t length = m_frame[1];
    const size_t total = length < 2 ? 3u : length + 2u;
    std::memcpy(copy.data(), m_frame.data(), total);
    return {copy[2], length, copy.data() + 3, payloadSizeFor(length)};
}

} // namespace crv::link
