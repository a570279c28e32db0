// Feeds the frame parser and every handler the ground station registers with arbitrary bytes.
// Random bytes rarely pass the XOR check, so half of the inputs are read as a list of frames
// that get a correct check byte; handlers also feed the parser again, as a modal box does.

#include "config/board_config_record.h"
#include "config/config_blocks.h"
#include "config/config_record_store.h"
#include "link/link_frame_parser.h"
#include "link/payload_reader.h"
#include "telemetry/firmware_version.h"
#include "telemetry/model_messages.h"
#include "telemetry/telemetry_decoders.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
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
        registerDecoders();
        // Last, so its handlers of 27/10, 27/60, 27/69, 28 and 43 are the ones that run.
        store.emplace(dispatcher);
        store->setAirframeRefresh([this] { sink ^= store->airframe().bytes[85]; });
        store->setGimbalStatusShow(
            [this](const crv::config::GimbalStatus& status) { sink ^= status.rollPosition; });
    }

    // The decoders the ground station's windows run on each message.
    void registerDecoders() {
        namespace t = crv::telemetry;
        namespace c = crv::config;
        on(3, [this](const LinkFrame& f) { t::applyArmed(vehicle, f); });
        on(24, [this](const LinkFrame& f) {
            sink ^= c::gainText(c::decodeBoardConfig(f).gain(4)).size();
        });
        on(27, [this](const LinkFrame& f) {
            sink ^= static_cast<size_t>(c::decodeGeneralSettings(f).batteryCapacityMah +
                                        c::decodeOsdSettings(f).customLine3 +
                                        c::decodeSwitchMode(f).mode);
        });
        on(30,
           [this](const LinkFrame& f) { sink ^= static_cast<size_t>(t::decodeChannels(f)[7]); });
        on(32, [this](const LinkFrame& f) { sink ^= t::applyAttitude(vehicle, f).heading.size(); });
        on(33,
           [this](const LinkFrame& f) { sink ^= t::applyNavigation(vehicle, f).altitude.size(); });
        on(34, [this](const LinkFrame& f) { sink ^= t::applyGps(vehicle, f).latitude.size(); });
        on(35, [this](const LinkFrame& f) {
            sink ^= t::applyMagnetometer(vehicle, f).offset[2].size();
        });
        on(36, [this](const LinkFrame& f) { sink ^= t::decodePower(f).rssi.size(); });
        on(40, [this](const LinkFrame& f) {
            sink ^= t::currentModelLine(t::decodeCurrentModel(f)).size();
        });
        on(42, [this](const LinkFrame& f) { sink ^= t::decodeModelList(f)[5].size(); });
    }

    void on(uint8_t type, crv::link::MessageDispatcher::Handler decode) {
        dispatcher.setHandler(type, [this, decode = std::move(decode)](const LinkFrame& frame) {
            readEveryField(frame);
            decode(frame);
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
    crv::telemetry::VehicleState vehicle;
    std::optional<crv::config::ConfigRecordStore> store;
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
