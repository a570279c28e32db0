// Feeds the simulator bridge's datagram handler arbitrary datagrams, with the simulation on or
// off and the link open or closed as the first byte says, and checks that every frame it sends
// is whole.

#include "link/link_frame_parser.h"
#include "sim/sim_bridge.h"

#include <cstdlib>
#include <vector>

namespace {

class CheckingSink : public crv::link::FrameSink {
public:
    void sendFrame(const uint8_t* frame, size_t size) override {
        // The bridge's frames: a sync byte and a length that matches what was handed over.
        if (size < 4 || frame[0] != 0xCB || frame[1] + 2u != size) {
            std::abort();
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    crv::link::LinkCounters counters;
    CheckingSink sink;
    crv::link::LinkFrameBuilder builder(counters, &sink);
    crv::sim::SimBridge bridge(builder);
    crv::telemetry::VehicleState vehicle;
    const crv::sim::BridgeInputs inputs{(data[0] & 1) != 0, (data[0] & 2) != 0,
                                        {data[0], -data[0], 1200, -1200}};
    // The same datagram twice, so the pacing counter sends frames too.
    for (int k = 0; k < 2; ++k) {
        const crv::sim::DatagramResult result =
            bridge.handleDatagram(data + 1, size - 1, inputs, vehicle);
        if (result.controlLine && result.controlLine->size() > 128) {
            std::abort();
        }
    }
    return 0;
}
