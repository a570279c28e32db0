#include "telemetry/model_messages.h"

#include "link/payload_reader.h"

namespace crv::telemetry {

namespace {
constexpr size_t kNameBytes = 10;
}

CurrentModel decodeCurrentModel(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    CurrentModel model;
    model.index = payload.u8(0);
    for (size_t i = 0; i < kNameBytes && payload.u8(1 + i) != 0; ++i) {
        model.name.push_back(static_cast<char>(payload.u8(1 + i)));
    }
    return model;
}

std::string currentModelLine(const CurrentModel& model) {
    return "#" + std::to_string(model.index + 1) + " " + model.name;
}

std::array<std::string, 6> decodeModelList(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    std::array<std::string, 6> names;
    for (size_t k = 0; k < names.size(); ++k) {
        for (size_t i = 0; i < kNameBytes; ++i) {
            const uint8_t byte = payload.u8(kNameBytes * k + i);
            names[k].push_back(byte < 32 || byte > 127 ? '*' : static_cast<char>(byte));
        }
    }
    return names;
}

} // namespace crv::telemetry
