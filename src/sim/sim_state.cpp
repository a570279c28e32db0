#include "sim/sim_state.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace crv::sim {

namespace {

constexpr size_t kLookedAt = 1024;
constexpr int kFields = 12;
constexpr double kAccelScale = 823.63;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Only the plain decimal forms: the library would also take "inf", "nan" and hexadecimal.
bool isDecimal(std::string_view text) {
    size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    bool digits = false;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        digits = true;
    }
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && isDigit(text[at]); ++at) {
            digits = true;
        }
    }
    if (!digits) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        const size_t exponentStart = at;
        for (; at < text.size() && isDigit(text[at]); ++at) {
        }
        if (at == exponentStart) {
            return false;
        }
    }
    return at == text.size();
}

std::optional<double> number(std::string_view text) {
    if (!isDecimal(text)) {
        return std::nullopt;
    }
    if (text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt; // out of the range of a double
    }
    return value;
}

// The low 32 bits of the truncated value: fmod is exact, so this holds for any finite double.
uint32_t lowBits(double scaled) {
    const double wrapped = std::fmod(std::trunc(scaled), 4294967296.0);
    return static_cast<uint32_t>(static_cast<int64_t>(wrapped));
}

int16_t low16(double scaled) { return static_cast<int16_t>(static_cast<uint16_t>(lowBits(scaled))); }
int32_t low32(double scaled) { return static_cast<int32_t>(lowBits(scaled)); }

bool convert(int field, double value, SimState& state) {
    struct Scaled {
        double scale;
        int16_t SimState::*small;
        int32_t SimState::*large;
    };
    static const Scaled kFieldsTable[kFields] = {
        {kAccelScale, &SimState::accelX, nullptr},
        {kAccelScale, &SimState::accelY, nullptr},
        {kAccelScale, &SimState::accelZ, nullptr},
        {10, &SimState::rollDeciDeg, nullptr},
        {10, &SimState::pitchDeciDeg, nullptr},
        {10, &SimState::headingDeciDeg, nullptr},
        {1e7, nullptr, &SimState::latitudeE7},
        {1e7, nullptr, &SimState::longitudeE7},
        {1, &SimState::altitudeM, nullptr},
        {1, &SimState::airSpeed, nullptr},
        {1, &SimState::groundSpeed, nullptr},
        {10, &SimState::climbDeciMps, nullptr},
    };
    const Scaled& entry = kFieldsTable[field - 1];
    const double scaled = value * entry.scale;
    if (!std::isfinite(scaled)) {
        return false;
    }
    if (entry.small != nullptr) {
        state.*entry.small = low16(scaled);
    } else {
        state.*entry.large = low32(scaled);
    }
    return true;
}

} // namespace

std::string_view datagramText(const uint8_t* data, size_t size) {
    const size_t looked = size < kLookedAt ? size : kLookedAt;
    const auto* text = reinterpret_cast<const char*>(data);
    const void* zero = looked == 0 ? nullptr : std::memchr(text, 0, looked);
    return {text, zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - text)
                                  : looked};
}

LineParse parseSimStateLine(std::string_view text, SimState& state) {
    int field = 0;
    size_t start = 0;
    for (size_t at = 0; at < text.size() && field <= kFields; ++at) {
        if (text[at] != ',' && text[at] != '\n') {
            continue;
        }
        if (field >= 1) {
            const std::optional<double> value = number(text.substr(start, at - start));
            if (!value || !convert(field, *value, state)) {
                return LineParse::Malformed;
            }
        }
        ++field;
        start = at + 1;
    }
    return LineParse::Complete;
}

} // namespace crv::sim
