#include "telemetry/number_format.h"

#include <charconv>

namespace crv::telemetry {

std::string formatScaled(double value) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 7);
    return std::string(text, result.ptr);
}

} // namespace crv::telemetry
