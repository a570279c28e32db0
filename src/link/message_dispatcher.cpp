#include "link/message_dispatcher.h"

#include <utility>

namespace crv::link {

namespace {
// Types 126 and 127 are bootloader commands that only travel to the board.
constexpr bool isDispatchable(uint8_t id) { return id < 126; }
} // namespace

void MessageDispatcher::setHandler(uint8_t type, Handler handler) {
    m_handlers[type & 0x7F] = std::move(handler);
}

void MessageDispatcher::dispatch(const LinkFrame& frame) const {
    const uint8_t id = frame.messageId();
    if (isDispatchable(id) && m_handlers[id]) {
        m_handlers[id](frame);
    }
}

} // namespace crv::link
