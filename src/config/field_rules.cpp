#include "config/field_rules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace crv::config {

uint8_t safeAltitudeByte(int32_t typed) {
    const auto value = static_cast<uint16_t>(typed);
    return static_cast<uint8_t>(value > 200 || value < 50 ? 50 : value);
}

uint8_t throttleMaxByte(int32_t typed) {
    uint16_t value = static_cast<uint16_t>(typed);
    if (value > 100) {
        value = 100;
    }
    if (value < 50) {
        value = 50;
    }
    return static_cast<uint8_t>(value);
}

uint8_t angleLimitByte(int32_t typed) { return static_cast<uint8_t>(std::clamp(typed, 5, 80)); }

const std::vector<std::string>& customCategories() {
    static const std::vector<std::string> kCategories = {"=off=", "Climb", "Flight", "Sens", "Nav"};
    return kCategories;
}

const std::vector<std::string>& customItems(int category) {
    static const std::array<std::vector<std::string>, 5> kItems = {{
        {"=off="},
        {"Cost: W/m/s", "Cost: mAh/km", "Proj. height: m", "Glide ratio: m/m", "Glide length: m",
         "Glide time: h:m:s"},
        {"Cost: W/km/h", "Cost: mAh/km", "Rem. length: km", "Odometer: km", "Rem time: h:m:s",
         "Power: W", "Odo.total: km"},
        {"gx", "gy", "gz", "ax", "ay", "az", "mx", "my", "mz", "bias gx", "bias gy", "bias gz",
         "bias mx", "bias my", "bias mz"},
        {"Roll: deg", "Pitch: deg", "Yaw: deg", "Hdg hold error: deg", "Path error: m",
         "Wind speed: m/s", "Wind hdg: deg"},
    }};
    return category >= 0 && category < static_cast<int>(kItems.size()) ? kItems[category]
                                                                       : kItems[0];
}

uint8_t customLineByte(int category, int item) {
    return static_cast<uint8_t>(category * 32 + item);
}

int keptItemIndex(int remembered, int listSize) {
    return remembered >= 0 && remembered < listSize ? remembered : 0;
}

const std::vector<std::string>& channelNames() {
    static const std::vector<std::string> kChannels = {"RC5", "RC6", "RC7", "RC8", "C9",
                                                       "C10", "C11", "C12", "C13", "C14",
                                                       "C15", "C16", "S17", "S18"};
    return kChannels;
}

} // namespace crv::config
