#pragma once

#include "link/frame_sink.h"
#include "link/link_frame.h"

#include <cstdint>
#include <vector>

namespace crv::link::testing {

using Bytes = std::vector<uint8_t>;

/// A received frame, copied out of the handler call.
struct SeenFrame {
    uint8_t type;
    uint8_t length;
    Bytes payload;
    bool operator==(const SeenFrame&) const = default;
};

inline SeenFrame seen(const LinkFrame& frame) {
    return {frame.type, frame.length, Bytes(frame.payload, frame.payload + frame.payloadSize)};
}

/// Collects every frame handed to it, back to back.
class CollectingSink : public FrameSink {
public:
    void sendFrame(const uint8_t* frame, size_t size) override {
        bytes.insert(bytes.end(), frame, frame + size);
        ++frames;
    }
    Bytes bytes;
    int frames = 0;
};

} // namespace crv::link::testing
