#pragma once

#include "common/status.h"
#include "link/frame_sink.h"
#include "link/link_counters.h"
#include "link/link_frame_builder.h"
#include "link/link_frame_parser.h"
#include "link/serial_port.h"
#include "link/stream_rates.h"

#include <functional>
#include <string>

namespace crv::link {

/// The two lines of the once-per-second link report.
struct LinkReport {
    std::string bitrate;   ///< "Bitrate 5760 bps"
    std::string frameRate; ///< "IN 23pps OUT 2pps"
};

/// The board link session: the port, its open flag, the identification flag and the
/// receive path from port to parser. Frames from the builder reach the port only while open.
class LinkSession : public FrameSink, public SerialPortListener {
public:
    /// The largest piece read from the port and handed to the parser at once.
    static constexpr size_t kReadChunk = 250;

    LinkSession(SerialPort& port, LinkFrameParser& parser, LinkCounters& counters);

    /// Opens and purges the port; on success the link is open and the board unidentified.
    Status connect(const std::string& portName);
    void disconnect();
    /// At program end: discards what is still queued either way, then disconnects.
    void shutdown();

    bool linkOpen() const { return m_linkOpen; }
    bool boardIdentified() const { return m_boardIdentified; }
    void setBoardIdentified(bool identified) { m_boardIdentified = identified; }

    /// Called once with the reason when a port failure has closed the link.
    void setLinkLostHandler(std::function<void(const std::string&)> handler);

    /// Computes the report lines from the counters since the last report, and resets them.
    LinkReport takeReport();
    /// While open and unidentified, asks for model, board configuration, version, sets the
    /// stream rates that have a code and asks for the model list.
    void pollIdentification(LinkFrameBuilder& builder, const StreamRateCodes& rates);

    void sendFrame(const uint8_t* frame, size_t size) override;
    void bytesWaiting(size_t count) override;
    void portFailed(const std::string& reason) override;

private:
    SerialPort& m_port;
    LinkFrameParser& m_parser;
    LinkCounters& m_counters;
    std::function<void(const std::string&)> m_linkLost;
    bool m_linkOpen = false;
    bool m_boardIdentified = false;
    uint32_t m_lastFramesReceived = 0;
    uint32_t m_lastFramesSent = 0;
};

} // namespace crv::link
