#include "common/typed_number.h"

#include <charconv>
#include <cmath>

namespace crv {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

IntegerParse parseInteger(const std::string& text) {
    const std::string digits = trimmed(text);
    const char* begin = digits.data();
    const char* end = begin + digits.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    int32_t value = 0;
    const auto parsed = std::from_chars(begin, end, value);
    if (digits.empty() || parsed.ec != std::errc() || parsed.ptr != end) {
        return {std::nullopt, "'" + text + "' is not a valid integer value"};
    }
    return {value, ""};
}

NumberParse parseNumber(const std::string& text) {
    const std::string digits = trimmed(text);
    const char* begin = digits.data();
    const char* end = begin + digits.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    double value = 0;
    const auto parsed = std::from_chars(begin, end, value);
    if (digits.empty() || parsed.ec != std::errc() || parsed.ptr != end || !std::isfinite(value)) {
        return {std::nullopt, "'" + text + "' is not a valid floating point value"};
    }
    return {value, ""};
}

std::string fixedDecimals(double value, int decimals) {
    char text[400];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

} // namespace crv
