#include "config/board_config_record.h"

#include "common/typed_number.h"
#include "config/field_rules.h"
#include "link/payload_reader.h"

#include <charconv>
#include <cmath>

namespace crv::config {

BoardConfigRecord decodeBoardConfig(const link::LinkFrame& frame) {
    BoardConfigRecord record;
    link::PayloadReader(frame).bytes(0, record.bytes.data(), record.bytes.size());
    return record;
}

std::string gainText(uint8_t gain) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, gain * 0.01, std::chars_format::general, 7);
    return std::string(text, result.ptr);
}

GainParse parseGain(const std::string& text) {
    const NumberParse number = parseNumber(text);
    if (!number.value) {
        return {std::nullopt, number.error};
    }
    const double value = *number.value;
    // 0.29 × 100 is 28.999…; a product this close to a whole number is that number.
    double hundredths = value * 100;
    const double nearest = std::round(hundredths);
    if (std::abs(hundredths - nearest) < 1e-6 * std::max(1.0, std::abs(nearest))) {
        hundredths = nearest;
    }
    double lowByte = std::fmod(std::trunc(hundredths), 256.0);
    if (lowByte < 0) {
        lowByte += 256;
    }
    return {static_cast<uint8_t>(lowByte), ""};
}

} // namespace crv::config
