#pragma once

#include "link/link_counters.h"
#include "link/link_frame_builder.h"
#include "link/link_frame_parser.h"
#include "link/link_session.h"
#include "link/message_dispatcher.h"
#include "link/serial_port.h"

namespace crv::link {

/// The one board link of the program: counters, dispatcher, parser, session and builder,
/// wired so that received bytes reach the handlers and built frames reach the port.
class BoardLink {
public:
    explicit BoardLink(SerialPort& port)
        : m_parser(m_counters, m_dispatcher), m_session(port, m_parser, m_counters),
          m_builder(m_counters, &m_session) {}

    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    LinkCounters& counters() { return m_counters; }
    MessageDispatcher& dispatcher() { return m_dispatcher; }
    LinkFrameParser& parser() { return m_parser; }
    LinkSession& session() { return m_session; }
    LinkFrameBuilder& builder() { return m_builder; }

private:
    LinkCounters m_counters;
    MessageDispatcher m_dispatcher;
    LinkFrameParser m_parser;
    LinkSession m_session;
    LinkFrameBuilder m_builder;
};

} // namespace crv::link
