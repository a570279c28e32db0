#pragma once

#include "link/link_frame_builder.h"
#include "link/link_frame_parser.h"
#include "link/message_dispatcher.h"
#include "support/frame_recorder.h"

#include <vector>

namespace crv::console::testing {

using link::testing::Bytes;
using link::testing::SeenFrame;

/// A frame builder whose frames are parsed back, so tests read what went to the board.
class SentFrames : public link::FrameSink {
public:
    SentFrames() {
        for (int type = 0; type < 128; ++type) {
            m_dispatcher.setHandler(static_cast<uint8_t>(type), [this](const link::LinkFrame& f) {
                frames.push_back(link::testing::seen(f));
            });
        }
    }
    void sendFrame(const uint8_t* frame, size_t size) override { m_parser.feed(frame, size); }
    Bytes takePayload() {
        if (frames.empty()) {
            return {};
        }
        Bytes payload = frames.front().payload;
        frames.erase(frames.begin());
        return payload;
    }

    link::LinkCounters counters;
    link::LinkFrameBuilder builder{counters, this};
    std::vector<SeenFrame> frames;

private:
    link::MessageDispatcher m_dispatcher;
    link::LinkFrameParser m_parser{counters, m_dispatcher};
};

/// A received frame around a payload, as handlers get it.
inline link::LinkFrame frameWith(uint8_t type, const Bytes& payload) {
    return {type, static_cast<uint8_t>(payload.size() + 2), payload.data(), payload.size()};
}

} // namespace crv::console::testing
