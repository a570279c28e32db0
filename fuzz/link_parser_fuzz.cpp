// Feeds the frame parser and every handler the ground station registers with arbitrary bytes.
// Random bytes rarely pass the XOR check, so half of the inputs are read as a list of frames
// that get a correct check byte; handlers also feed the parser again, as a modal box does.

#include "link/link_frame_parser.h"
#include "link/payload_reader.h"
#include "telemetry/firmware_version.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using crv::link::LinkFrame;

struct Harness {
    Harness() : parser(counters, dispatcher) {
        for (int type = 0; type < 128; ++type) {
            dispatcher.setHandler(static_cast<uint8_t>(type),
                                  [this](const LinkFrame& frame) { readEveryField(frame); });
        }
        dispatcher.setHandler(1, [this](const LinkFrame& frame) {
            const auto version = crv::telemetry::decodeFirmwareVersion(frame);
            identified = crv::telemetry::identify(identified, version).identified;
            sink ^= crv::telemetry::versionLine(version).size();
            feedAgain();
        });
    }

    // Every offset a handler could take a field at, whatever the frame's real length.
    void readEveryField(const LinkFrame& frame) {
        const crv::link::PayloadReader payload(frame);
        for (size_t offset = 0; offset < 140; ++offset) {
            sink ^= payload.u32(offset) ^ payload.u16(offset) ^ payload.u8(offset);
        }
        if (frame.payloadSize > 0) {
            sink ^= frame.payload[frame.payloadSize - 1];
        }
    }

    // A nested feed of the input's tail, bounded so the nesting cannot go on for ever.
    void feedAgain() {
        if (depth < 3 && !nested.empty()) {
            ++depth;
            const std::vector<uint8_t> bytes = nested;
            parser.feed(bytes.data(), bytes.size());
            --depth;
        }
    }

    crv::link::LinkCounters counters;
    crv::link::MessageDispatcher dispatcher;
    crv::link::LinkFrameParser parser;
    std::vector<uint8_t> nested;
    bool identified = false;
    int depth = 0;
    size_t sink = 0;
};

// Reads the input as frames: type, length, payload; the check byte is made to match, except
// where the length byte's top bit asks for a broken one.
std::vector<uint8_t> framesFrom(const uint8_t* data, size_t size) {
    std::vector<uint8_t> stream;
    size_t at = 0;
    while (at + 2 <= size) {
        const uint8_t type = data[at];
        const uint8_t control = data[at + 1];
        at += 2;
        const size_t payload = std::min<size_t>(control & 0x7F, size - at);
        std::vector<uint8_t> frame = {0xCB, static_cast<uint8_t>(payload + 2), type};
        frame.insert(frame.end(), data + at, data + at + payload);
        at += payload;
        uint8_t check = 0;
        for (uint8_t byte : frame) {
            check ^= byte;
        }
        frame.push_back((control & 0x80) != 0 ? static_cast<uint8_t>(check + 1) : check);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    Harness harness;
    const uint8_t mode = data[0];
    const std::vector<uint8_t> stream = (mode & 1) != 0
                                            ? framesFrom(data + 1, size - 1)
                                            : std::vector<uint8_t>(data + 1, data + size);
    harness.nested.assign(stream.begin() + static_cast<std::ptrdiff_t>(stream.size() / 2),
                          stream.end());

    // Chunk sizes from the mode byte, as the serial layer hands out pieces of any size.
    const size_t chunk = 1 + (mode >> 1) % 64;
    for (size_t at = 0; at < stream.size(); at += chunk) {
        harness.parser.feed(stream.data() + at, std::min(chunk, stream.size() - at));
    }
    return 0;
}
