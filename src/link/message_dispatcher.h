#pragma once

#include "link/link_frame.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace crv::link {

/// Routes each good frame to the one handler registered for its type & 0x7F, or, for types
/// whose first payload byte names a sub-type, to the handler of that sub-type if it has one.
class MessageDispatcher {
public:
    using Handler = std::function<void(const LinkFrame&)>;

    /// Registers (or, with an empty handler, removes) the handler of a message type 0 to 127;
    /// the read-request bit of type is ignored.
    void setHandler(uint8_t type, Handler handler);
    /// Registers (or removes) the handler of frames of a type whose payload byte 0 is subtype;
    /// they no longer reach the type's own handler.
    void setSubtypeHandler(uint8_t type, uint8_t subtype, Handler handler);
    /// Calls the handler of frame.messageId(); types without one are ignored.
    void dispatch(const LinkFrame& frame) const;

private:
    struct SubtypeHandler {
        uint8_t type;
        uint8_t subtype;
        Handler handler;
    };
    const Handler* subtypeHandler(const LinkFrame& frame) const;

    std::array<Handler, 128> m_handlers;
    std::vector<SubtypeHandler> m_subtypeHandlers; // a few, so a scan is quickest
};

} // namespace crv::link
