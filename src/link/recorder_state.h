#pragma once

#include <cstddef>
#include <cstdint>

namespace crv::link {

/// The flight data recorder's state, as far as the receive path is concerned.
enum class RecorderState {
    Idle,      ///< port bytes are parsed
    Playing,   ///< port bytes are discarded; the recorder feeds recorded bytes instead
    Recording, ///< port bytes are parsed and also handed to the recording tap
};

/// Receives every byte that reaches the parser while recording, in arrival order.
class RecordingTap {
public:
    virtual ~RecordingTap() = default;
    virtual void recordBytes(const uint8_t* data, size_t count) = 0;
};

} // namespace crv::link
