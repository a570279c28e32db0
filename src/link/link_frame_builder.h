#pragma once

#include "link/frame_sink.h"
#include "link/link_counters.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace crv::link {

/// Assembles one outgoing frame at a time: begin, put8 of the type, the payload, finish.
class LinkFrameBuilder {
public:
    static constexpr size_t kCapacity = 250;
    /// The largest payload that fits: capacity less sync, length, type and check.
    static constexpr size_t kMaxPayload = kCapacity - 4;

    LinkFrameBuilder(LinkCounters& counters, FrameSink* sink)
        : m_counters(counters), m_sink(sink) {}

    void begin();
    void put8(uint8_t value);
    void put16(uint16_t value);
    void put32(uint32_t value);
    void putBytes(const void* data, size_t count);
    /// Completes the frame and hands it to the sink. Returns false, writing and counting
    /// nothing, when the frame outgrew the buffer or was not begun.
    bool finish();

    /// Shorthand for a whole frame whose payload is a few bytes: begin, type, payload, finish.
    bool send(uint8_t type, std::initializer_list<uint8_t> payload);
    /// Shorthand for a read request: begin, put8(0x80 | type), finish.
    bool sendReadRequest(uint8_t type);
    /// Shorthand for a read request with one selector byte (block or item number).
    bool sendReadRequest(uint8_t type, uint8_t selector);

private:
    LinkCounters& m_counters;
    FrameSink* m_sink;
    std::array<uint8_t, kCapacity> m_buffer{};
    size_t m_length = 0; ///< bytes placed so far, sync and length position included; 0 = not begun
    uint8_t m_check = 0;
    bool m_overflow = false;
};

} // namespace crv::link
