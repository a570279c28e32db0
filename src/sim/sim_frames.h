#pragma once

#include "link/link_frame_builder.h"
#include "sim/sim_state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace crv::sim {

/// Sends the three frames of one simulated state, types 17, 18 and 19 in that order.
void sendSimFrames(link::LinkFrameBuilder& builder, const SimState& state);

/// Sends the frame a SimFrameDatagram carries: its type at offset 3 and 15 payload bytes taken
/// from offsets 4 to 20, the little-endian fields turned big-endian. Bytes the datagram lacks
/// are sent as zero.
void forwardSimFrame(link::LinkFrameBuilder& builder, const uint8_t* data, size_t size);

/// The SimControlLine from the servo gauges rco1 to rco4 (-1200 to 1200) and the board's three
/// auxiliary values: "a;b;c;d;e;f;g;\n".
std::string simControlLine(const std::array<int, 4>& servoGauges,
                           const std::array<int16_t, 3>& aux);

/// Number texts of the control line and of the link status line.
std::string generalText(double value, int significantDigits);
std::string fixedText(double value, int decimals);

} // namespace crv::sim
