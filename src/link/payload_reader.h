#pragma once

#include "link/link_frame.h"

#include <cstddef>
#include <cstdint>

namespace crv::link {

/// Reads fields at fixed payload offsets. Handlers take their fields without comparing the
/// payload length with their layout, so every byte past the end of the payload reads as zero:
/// a short frame yields zeros for its missing fields and never a read outside the frame.
class PayloadReader {
public:
    PayloadReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit PayloadReader(const LinkFrame& frame)
        : PayloadReader(frame.payload, frame.payloadSize) {}

    size_t size() const { return m_size; }

    uint8_t u8(size_t offset) const { return offset < m_size ? m_data[offset] : 0; }
    int8_t s8(size_t offset) const { return static_cast<int8_t>(u8(offset)); }
    /// Big-endian, as every protocol field unless its message says otherwise.
    uint16_t u16(size_t offset) const;
    int16_t s16(size_t offset) const { return static_cast<int16_t>(u16(offset)); }
    uint32_t u32(size_t offset) const;
    int32_t s32(size_t offset) const { return static_cast<int32_t>(u32(offset)); }
    /// Copies count bytes from offset into out, zero-filling what lies past the payload.
    void bytes(size_t offset, uint8_t* out, size_t count) const;

private:
    const uint8_t* m_data;
    size_t m_size;
};

} // namespace crv::link
