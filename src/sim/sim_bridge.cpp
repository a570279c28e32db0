#include "sim/sim_bridge.h"

#include "link/payload_reader.h"
#include "sim/sim_frames.h"

namespace crv::sim {

namespace {

// The fourth attitude value while the simulator flies, so the board's own value is not shown.
constexpr uint16_t kSimulatedAttitudeAux = 300;

} // namespace

DatagramResult SimBridge::handleDatagram(const uint8_t* data, size_t size,
                                         const BridgeInputs& inputs,
                                         telemetry::VehicleState& vehicle) {
    const std::string_view text = datagramText(data, size);
    DatagramResult result;
    if (text.find("$FD") == std::string_view::npos) {
        if (text.find("$MP") != std::string_view::npos) {
            result.kind = DatagramKind::FrameDatagram;
            forwardSimFrame(m_builder, data, size < 1024 ? size : 1024);
        }
        return result;
    }
    ++m_linesThisSecond;
    if (parseSimStateLine(text, m_state) == LineParse::Malformed) {
        result.kind = DatagramKind::MalformedStateLine;
        return result;
    }
    result.kind = DatagramKind::StateLine;
    if (!inputs.simulationEnabled) {
        return result;
    }
    result.attitude = telemetry::setAttitude(vehicle, m_state.rollDeciDeg, m_state.pitchDeciDeg,
                                             m_state.headingDeciDeg, kSimulatedAttitudeAux);
    if (inputs.linkOpen && ++m_pacing > 1) {
        m_pacing = 0;
        sendSimFrames(m_builder, m_state);
    }
    result.controlLine = simControlLine(inputs.servoGauges, m_aux);
    result.auxLine = fixedText(m_aux[0] * 0.1, 1) + ";";
    return result;
}

void SimBridge::auxReceived(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    m_aux = {payload.s16(0), payload.s16(2), payload.s16(4)};
}

std::string SimBridge::takeLinkDisplay() {
    const int lines = m_linesThisSecond;
    m_linesThisSecond = 0;
    return lines > 0 ? "Link " + std::to_string(lines) + " pps" : "No Link";
}

} // namespace crv::sim
