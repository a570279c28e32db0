#pragma once

#include <cstdint>

namespace crv::link {

/// Process-wide traffic counters, read and partly reset once per second by the session report.
struct LinkCounters {
    uint32_t bytesReceived = 0;  ///< every byte handed to the parser, from the port or playback
    uint32_t framesReceived = 0; ///< every frame whose check byte matched, after its dispatch
    uint32_t framesSent = 0;     ///< every frame finished by the builder, link open or not
};

} // namespace crv::link
