#pragma once

#include "link/link_frame.h"

#include <array>
#include <cstdint>
#include <functional>

namespace crv::link {

/// Routes each good frame to the one handler registered for its type & 0x7F.
class MessageDispatcher {
public:
    using Handler = std::function<void(const LinkFrame&)>;

    /// Registers (or, with an empty handler, removes) the handler of a message type 0 to 127;
    /// the read-request bit of type is ignored.
    void setHandler(uint8_t type, Handler handler);
    /// Calls the handler of frame.messageId(); types without one are ignored.
    void dispatch(const LinkFrame& frame) const;

private:
    std::array<Handler, 128> m_handlers;
};

} // namespace crv::link
