#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace crv::console {

/// The terminal's scroll-back: what the board printed since the last clear, of which the pane
/// shows the newest kDisplayBytes. It keeps at most kKeepBytes, dropping the oldest output, so
/// a session of any length holds a bounded amount of memory.
class TerminalBuffer {
public:
    static constexpr size_t kDisplayBytes = 8192;
    static constexpr size_t kKeepBytes = 1 << 20;

    void append(const uint8_t* bytes, size_t count);
    void clear() { m_bytes.clear(); }
    /// The newest kDisplayBytes (all of it when shorter), one byte a character.
    std::string_view displayed() const;
    size_t size() const { return m_bytes.size(); }
    /// Memory reserved by the buffer, for the bound's test.
    size_t capacity() const { return m_bytes.capacity(); }

private:
    std::string m_bytes;
};

} // namespace crv::console
