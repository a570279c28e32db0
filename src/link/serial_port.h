#pragma once

#include "common/status.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace crv::link {

/// What a serial port reports, on the user-interface thread.
class SerialPortListener {
public:
    virtual ~SerialPortListener() = default;
    /// Bytes are waiting to be read; count is how many the port holds now.
    virtual void bytesWaiting(size_t count) = 0;
    /// The port broke while open (device gone, I/O error); it reports this once.
    virtual void portFailed(const std::string& reason) = 0;
};

/// The board port: 57600 baud, 8 data bits, no parity, 1 stop bit, DTR on, RTS off, no flow
/// control. Implemented over the system's serial layer, or by a test double.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual void setListener(SerialPortListener* listener) = 0;
    /// Opens the device by name or path with the settings above; on failure the message is the
    /// system's error text.
    virtual Status open(const std::string& name) = 0;
    virtual void close() = 0;
    /// Discards whatever is queued for receiving and for sending.
    virtual void purge() = 0;
    /// Queues all bytes for sending, whole or not at all.
    virtual void write(const uint8_t* data, size_t count) = 0;
    /// Reads up to maxCount waiting bytes; returns how many were read, 0 when none wait.
    virtual size_t read(uint8_t* out, size_t maxCount) = 0;
};

} // namespace crv::link
