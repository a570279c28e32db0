#include "console/terminal_buffer.h"

#include <algorithm>

namespace crv::console {

void TerminalBuffer::append(const uint8_t* bytes, size_t count) {
    if (count >= kKeepBytes) {
        m_bytes.assign(reinterpret_cast<const char*>(bytes + count - kKeepBytes), kKeepBytes);
        return;
    }
    // Dropping a quarter at a time keeps the copying rare: the cost per byte stays constant.
    if (m_bytes.size() + count > kKeepBytes) {
        m_bytes.erase(0, m_bytes.size() + count - kKeepBytes + kKeepBytes / 4);
    }
    if (m_bytes.capacity() < kKeepBytes) {
        m_bytes.reserve(std::min(kKeepBytes, std::max(m_bytes.size() + count, 2 * m_bytes.size())));
    }
    m_bytes.append(reinterpret_cast<const char*>(bytes), count);
}

std::string_view TerminalBuffer::displayed() const {
    const std::string_view all(m_bytes);
    return all.size() > kDisplayBytes ? all.substr(all.size() - kDisplayBytes) : all;
}

} // namespace crv::console
