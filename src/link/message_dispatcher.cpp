#include "link/message_dispatcher.h"

#include <algorithm>
#include <utility>

namespace crv::link {

namespace {
// Types 126 and 127 are bootloader commands that only travel to the board.
constexpr bool isDispatchable(uint8_t id) { return id < 126; }
} // namespace

void MessageDispatcher::setHandler(uint8_t type, Handler handler) {
    m_handlers[type & 0x7F] = std::move(handler);
}

void MessageDispatcher::setSubtypeHandler(uint8_t type, uint8_t subtype, Handler handler) {
    type &= 0x7F;
    std::erase_if(m_subtypeHandlers, [&](const SubtypeHandler& entry) {
        return entry.type == type && entry.subtype == subtype;
    });
    if (handler) {
        m_subtypeHandlers.push_back({type, subtype, std::move(handler)});
    }
}

const MessageDispatcher::Handler* MessageDispatcher::subtypeHandler(const LinkFrame& frame) const {
    if (frame.payloadSize == 0) {
        return nullptr;
    }
    const auto entry = std::find_if(m_subtypeHandlers.begin(), m_subtypeHandlers.end(),
                                    [&](const SubtypeHandler& candidate) {
                                        return candidate.type == frame.messageId() &&
                                               candidate.subtype == frame.payload[0];
                                    });
    return entry == m_subtypeHandlers.end() ? nullptr : &entry->handler;
}

void MessageDispatcher::dispatch(const LinkFrame& frame) const {
    const uint8_t id = frame.messageId();
    if (!isDispatchable(id)) {
        return;
    }
    if (const Handler* handler = subtypeHandler(frame)) {
        (*handler)(frame);
    } else if (m_handlers[id]) {
        m_handlers[id](frame);
    }
}

} // namespace crv::link
