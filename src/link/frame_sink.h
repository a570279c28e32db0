#pragma once

#include <cstddef>
#include <cstdint>

namespace crv::link {

/// Where finished frames go: the board link, or a test double.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    /// Called with one whole frame, sync byte to check byte; sinks never keep the pointer.
    virtual void sendFrame(const uint8_t* frame, size_t size) = 0;
};

} // namespace crv::link
