#include "config/board_config_record.h"

#include "common/typed_number.h"
#include "link/payload_reader.h"

#include <algorithm>
#include <charconv>

namespace crv::config {

namespace {

// 10^power modulo 256; from 10^8 on it is 0, as 10^8 holds 2^8.
unsigned powerOfTenLowByte(int64_t power) {
    unsigned result = 1;
    for (int64_t i = 0; i < power && result != 0; ++i) {
        result = result * 10 % 256;
    }
    return result;
}

// The low byte of the text's value × 100 truncated toward zero, worked out from its decimal
// digits: binary floating point would put 0.29 × 100 just below 29 and a snap to the nearest
// whole number would lift 0.2899999999 to 29. text must be a number parseNumber accepts.
uint8_t hundredthsLowByte(const std::string& text) {
    std::string digits; // the mantissa's digits, the decimal point dropped
    int64_t fractionDigits = 0;
    int64_t exponent = 0;
    bool negative = false;
    bool negativeExponent = false;
    bool inFraction = false;
    bool inExponent = false;
    constexpr int64_t kExponentCap = 1'000'000; // far past any value that reaches a double
    for (const char c : text) {
        if (c == 'e' || c == 'E') {
            inExponent = true;
        } else if (c == '-') {
            (inExponent ? negativeExponent : negative) = true;
        } else if (c == '.') {
            inFraction = true;
        } else if (c >= '0' && c <= '9') {
            if (inExponent) {
                exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
            } else {
                digits += c;
                fractionDigits += inFraction ? 1 : 0;
            }
        }
    }
    // value × 100 = digits × 10^shift
    const int64_t shift = (negativeExponent ? -exponent : exponent) - fractionDigits + 2;
    // Truncation drops the digits past the point; a positive shift appends zeros instead.
    const int64_t kept =
        std::max<int64_t>(0, static_cast<int64_t>(digits.size()) + std::min<int64_t>(shift, 0));
    unsigned lowByte = 0;
    for (int64_t i = 0; i < kept; ++i) {
        lowByte =
            (lowByte * 10 + static_cast<unsigned>(digits[static_cast<size_t>(i)] - '0')) % 256;
    }
    lowByte = lowByte * powerOfTenLowByte(std::max<int64_t>(shift, 0)) % 256;
    return static_cast<uint8_t>(negative ? (256 - lowByte) % 256 : lowByte);
}

} // namespace

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
    return {hundredthsLowByte(text), ""};
}

} // namespace crv::config
