#pragma once

#include "link/frame_sink.h"
#include "link/link_frame.h"

#include <algorithm>
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

/// A whole frame around a payload, its check byte computed. Tests of the codec itself use frames
/// written out by hand instead.
inline Bytes frameOf(uint8_t type, const Bytes& payload) {
    Bytes frame(payload.size() + 3);
    frame[0] = 0xCB;
    frame[1] = static_cast<uint8_t>(payload.size() + 2);
    frame[2] = type;
    std::copy(payload.begin(), payload.end(), frame.begin() + 3);
    uint8_t check = 0;
    for (uint8_t byte : frame) {
        check ^= byte;
    }
    frame.push_back(check);
    return frame;
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
