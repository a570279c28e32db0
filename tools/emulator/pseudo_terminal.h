#pragma once

#include "common/status.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace crv::emulator {

/// The board's end of a serial line: a pseudo-terminal whose other end the ground station
/// opens, or an existing device. Non-blocking; raw 8-bit bytes both ways.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal() { close(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    /// Creates a new pseudo-terminal; devicePath() then names the end to give the ground station.
    Status openNew();
    /// Hangs the line up, as an unplugged adapter does; openNew() makes a new one.
    void close();
    /// Uses an existing serial device or pseudo-terminal end instead.
    Status openDevice(const std::string& path);

    const std::string& devicePath() const { return m_devicePath; }
    int fd() const { return m_fd; }

    /// Reads what is waiting; 0 when nothing is.
    size_t read(uint8_t* out, size_t maxCount);
    /// Writes the bytes, dropping what the line cannot take now, as a board's UART would.
    void write(const uint8_t* data, size_t count);

private:
    int m_fd = -1;
    // Kept open so the line never hangs up while the ground station is disconnected.
    int m_peerFd = -1;
    std::string m_devicePath;
};

} // namespace crv::emulator
