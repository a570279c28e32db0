#pragma once

#include "link/link_counters.h"
#include "link/message_dispatcher.h"
#include "link/recorder_state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace crv::link {

/// Finds, checks and dispatches incoming frames, byte stream in, handler calls out.
///
/// Handlers run inside feed() and may enter feed() again (a modal box that keeps serving the
/// port). The stream order is kept across such nesting: a nested call first parses what the
/// outer calls have not reached yet, then its own bytes, so every frame is dispatched once, in
/// arrival order, and the outer call returns as soon as its handler does.
class LinkFrameParser {
public:
    static constexpr uint8_t kSync = 0xCB;
    /// The largest length byte accepted; larger ones abandon the frame at its second byte.
    static constexpr uint8_t kMaxLength = 252;

    LinkFrameParser(LinkCounters& counters, const MessageDispatcher& dispatcher);

    /// Parses count bytes. The data must stay valid until the call returns.
    void feed(const uint8_t* data, size_t count);

    /// Set by the recorder; the tap is used while the state is Recording.
    void setRecorder(RecorderState state, RecordingTap* tap);
    RecorderState recorderState() const { return m_recorderState; }

private:
    struct Span {
        const uint8_t* data;
        size_t size;
    };
    using FrameStore = std::array<uint8_t, kMaxLength + 2>;

    bool nextFrame(Span& span, LinkFrame& frame, FrameStore& copy);
    void takeLength(uint8_t length);
    bool takeFrameBytes(const uint8_t*& at, const uint8_t* end);
    LinkFrame storedFrame(FrameStore& copy) const;

    LinkCounters& m_counters;
    const MessageDispatcher& m_dispatcher;
    RecorderState m_recorderState = RecorderState::Idle;
    RecordingTap* m_tap = nullptr;

    // Input not parsed yet, oldest first: one span per active feed() call.
    std::vector<Span> m_pending;

    // A frame that arrived in pieces is gathered here, each byte at its position in the frame.
    FrameStore m_frame{};
    size_t m_position = 0; ///< position of the next byte; 0 while hunting for a sync byte
    size_t m_end = 0;      ///< L + 2
    uint8_t m_check = 0;
};

} // namespace crv::link
