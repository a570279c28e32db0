#pragma once

#include "link/link_frame_builder.h"
#include "link/payload_reader.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace crv::config {

/// A record kept byte for byte as the payload that carries it. Its 16-bit fields are
/// little-endian, unlike the rest of the protocol.
template <size_t N> struct ByteImage {
    static constexpr size_t kSize = N;
    std::array<uint8_t, N> bytes{};

    /// Copies the record from payload bytes starting at offset. A payload too short to hold the
    /// whole record is refused and the image stays as it was: half a record is never kept.
    bool assign(const link::PayloadReader& payload, size_t offset) {
        if (payload.size() < offset + N) {
            return false;
        }
        payload.bytes(offset, bytes.data(), N);
        return true;
    }
    /// Appends the whole record to a frame under construction.
    void putInto(link::LinkFrameBuilder& out) const { out.putBytes(bytes.data(), N); }

    int8_t s8(size_t offset) const { return static_cast<int8_t>(bytes[offset]); }
    uint16_t le16(size_t offset) const {
        return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
    }
    int16_t sle16(size_t offset) const { return static_cast<int16_t>(le16(offset)); }
    void setLe16(size_t offset, uint16_t value) {
        bytes[offset] = static_cast<uint8_t>(value);
        bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
    }
};

} // namespace crv::config
