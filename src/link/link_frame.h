#pragma once

#include <cstddef>
#include <cstdint>

namespace crv::link {

/// A received frame that passed its check, as handed to message handlers. The payload pointer
/// is valid only for the duration of the handler call.
struct LinkFrame {
    uint8_t type = 0;   ///< the type byte as received, high bit included
    uint8_t length = 0; ///< the length byte L (payload length + 2)
    const uint8_t* payload = nullptr;
    size_t payloadSize = 0;

    /// The value the dispatcher routes on: the type with the read-request bit cleared.
    uint8_t messageId() const { return type & 0x7F; }
};

} // namespace crv::link
