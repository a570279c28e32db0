#include "link/link_session.h"

#include "link/message_types.h"

#include <algorithm>
#include <array>
#include <utility>

namespace crv::link {

LinkSession::LinkSession(SerialPort& port, LinkFrameParser& parser, LinkCounters& counters)
    : m_port(port), m_parser(parser), m_counters(counters) {
    m_port.setListener(this);
}

Status LinkSession::connect(const std::string& portName) {
    if (m_linkOpen) {
        return Status::success();
    }
    Status opened = m_port.open(portName);
    if (!opened.ok()) {
        return opened;
    }
    m_port.purge();
    m_boardIdentified = false;
    m_linkOpen = true;
    return Status::success();
}

void LinkSession::disconnect() {
    if (!m_linkOpen) {
        return;
    }
    m_port.close();
    // boardIdentified keeps its value; the next connect clears it.
    m_linkOpen = false;
}

void LinkSession::shutdown() {
    if (m_linkOpen) {
        m_port.purge();
    }
    disconnect();
}

void LinkSession::setLinkLostHandler(std::function<void(const std::string&)> handler) {
    m_linkLost = std::move(handler);
}

LinkReport LinkSession::takeReport() {
    LinkReport report;
    report.bitrate = "Bitrate " + std::to_string(uint64_t{m_counters.bytesReceived} * 8) + " bps";
    m_counters.bytesReceived = 0;
    const uint32_t in = m_counters.framesReceived - m_lastFramesReceived;
    const uint32_t out = m_counters.framesSent - m_lastFramesSent;
    report.frameRate = "IN " + std::to_string(in) + "pps OUT " + std::to_string(out) + "pps";
    m_lastFramesReceived = m_counters.framesReceived;
    m_lastFramesSent = m_counters.framesSent;
    return report;
}

void LinkSession::pollIdentification(LinkFrameBuilder& builder, const StreamRateCodes& rates) {
    if (!m_linkOpen || m_boardIdentified) {
        return;
    }
    builder.sendReadRequest(msg::kModel);
    builder.sendReadRequest(msg::kBoardConfig);
    builder.sendReadRequest(msg::kFirmwareVersion);
    for (size_t i = 0; i < rates.size(); ++i) {
        if (rates[i]) {
            builder.begin();
            builder.put8(kStreamRateTypes[i]);
            builder.put8(*rates[i]);
            builder.finish();
        }
    }
    builder.begin();
    builder.put8(msg::kModelList);
    builder.finish();
}

void LinkSession::sendFrame(const uint8_t* frame, size_t size) {
    if (m_linkOpen) {
        m_port.write(frame, size);
    }
}

void LinkSession::bytesWaiting(size_t count) {
    std::array<uint8_t, kReadChunk> chunk;
    size_t done = 0;
    while (done < count && m_linkOpen) {
        const size_t got = m_port.read(chunk.data(), std::min(chunk.size(), count - done));
        if (got == 0) {
            break;
        }
        done += got;
        if (m_parser.recorderState() != RecorderState::Playing) {
            m_parser.feed(chunk.data(), got);
        }
    }
}

void LinkSession::portFailed(const std::string& reason) {
    if (!m_linkOpen) {
        return;
    }
    // A broken device stays broken: close as Disconnect does instead of retrying into it.
    disconnect();
    if (m_linkLost) {
        m_linkLost(reason);
    }
}

} // namespace crv::link
