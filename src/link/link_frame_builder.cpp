#include "link/link_frame_builder.h"

#include "link/message_types.h"

namespace crv::link {

namespace {
constexpr uint8_t kSync = 0xCB;
}

void LinkFrameBuilder::begin() {
    m_buffer[0] = kSync;
    m_length = 2;
    m_check = kSync;
    m_overflow = false;
}

void LinkFrameBuilder::put8(uint8_t value) {
    // The last buffer byte is kept for the check byte.
    if (m_length == 0 || m_length >= kCapacity - 1) {
        m_overflow = true;
        return;
    }
    m_buffer[m_length++] = value;
    m_check ^= value;
}

void LinkFrameBuilder::put16(uint16_t value) {
    put8(static_cast<uint8_t>(value >> 8));
    put8(static_cast<uint8_t>(value));
}

void LinkFrameBuilder::put32(uint32_t value) {
    put16(static_cast<uint16_t>(value >> 16));
    put16(static_cast<uint16_t>(value));
}

void LinkFrameBuilder::putBytes(const void* data, size_t count) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < count; ++i) {
        put8(bytes[i]);
    }
}

bool LinkFrameBuilder::finish() {
    const bool usable = m_length > 2 && !m_overflow;
    const size_t length = m_length;
    m_length = 0;
    if (!usable) {
        return false;
    }
    const auto lengthByte = static_cast<uint8_t>(length - 1);
    m_buffer[1] = lengthByte;
    m_buffer[length] = m_check ^ lengthByte;
    if (m_sink != nullptr) {
        m_sink->sendFrame(m_buffer.data(), length + 1);
    }
    ++m_counters.framesSent;
    return true;
}

bool LinkFrameBuilder::send(uint8_t type, std::initializer_list<uint8_t> payload) {
    begin();
    put8(type);
    for (uint8_t byte : payload) {
        put8(byte);
    }
    return finish();
}

bool LinkFrameBuilder::sendReadRequest(uint8_t type) {
    begin();
    put8(msg::readRequest(type));
    return finish();
}

bool LinkFrameBuilder::sendReadRequest(uint8_t type, uint8_t selector) {
    return send(msg::readRequest(type), {selector});
}

} // namespace crv::link
