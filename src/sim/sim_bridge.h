#pragma once

#include "link/link_frame.h"
#include "link/link_frame_builder.h"
#include "sim/sim_state.h"
#include "telemetry/telemetry_decoders.h"
#include "telemetry/vehicle_state.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace crv::sim {

/// What the window tells the bridge about itself for one datagram.
struct BridgeInputs {
    bool simulationEnabled = false; ///< "Enable Simulation"
    bool linkOpen = false;
    std::array<int, 4> servoGauges{}; ///< rco1 to rco4
};

enum class DatagramKind { Ignored, StateLine, MalformedStateLine, FrameDatagram };

/// What one datagram asks of the window.
struct DatagramResult {
    DatagramKind kind = DatagramKind::Ignored;
    std::optional<telemetry::AttitudeView> attitude; ///< the simulated attitude to show
    std::optional<std::string> controlLine;          ///< to send back to the simulator
    std::optional<std::string> auxLine;              ///< for the link status line
};

/// The simulator bridge's datagram handler and its state. All calls on one thread.
class SimBridge {
public:
    explicit SimBridge(link::LinkFrameBuilder& builder) : m_builder(builder) {}

    /// Handles one received datagram of any size and content; frames go to the builder, the
    /// simulated attitude into vehicle. Looks at no more than the first 1024 bytes.
    DatagramResult handleDatagram(const uint8_t* data, size_t size, const BridgeInputs& inputs,
                                  telemetry::VehicleState& vehicle);
    /// Message type 14: the auxiliary values of the control line.
    void auxReceived(const link::LinkFrame& frame);
    /// "Link 12 pps" for the SimStateLines counted since the last call, or "No Link"; resets.
    std::string takeLinkDisplay();

    const SimState& state() const { return m_state; }
    const std::array<int16_t, 3>& aux() const { return m_aux; }

private:
    link::LinkFrameBuilder& m_builder;
    SimState m_state;
    std::array<int16_t, 3> m_aux{};
    int m_linesThisSecond = 0;
    int8_t m_pacing = 0;
};

} // namespace crv::sim
