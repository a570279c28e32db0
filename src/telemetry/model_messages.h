#pragma once

#include "link/link_frame.h"

#include <array>
#include <cstdint>
#include <string>

namespace crv::telemetry {

/// The current model message (type 40): 0-based index and the name as sent.
struct CurrentModel {
    uint8_t index = 0;
    std::string name; ///< up to 10 bytes, ended by a zero byte
};

CurrentModel decodeCurrentModel(const link::LinkFrame& frame);
/// "#2 Trainer" for index 1 and the name Trainer.
std::string currentModelLine(const CurrentModel& model);

/// The model list (type 42): six names of 10 bytes each, every byte outside 32 to 127 shown
/// as "*".
std::array<std::string, 6> decodeModelList(const link::LinkFrame& frame);

} // namespace crv::telemetry
