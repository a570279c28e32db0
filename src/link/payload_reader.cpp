#include "link/payload_reader.h"

namespace crv::link {

uint16_t PayloadReader::u16(size_t offset) const {
    return static_cast<uint16_t>(u8(offset) << 8 | u8(offset + 1));
}

uint32_t PayloadReader::u32(size_t offset) const {
    return static_cast<uint32_t>(u16(offset)) << 16 | u16(offset + 2);
}

void PayloadReader::bytes(size_t offset, uint8_t* out, size_t count) const {
    for (size_t i = 0; i < count; ++i) {
        out[i] = u8(offset + i);
    }
}

} // namespace crv::link
