#pragma once

#include "mission/mission.h"

#include <initializer_list>

namespace crv::mission {

inline MissionItem line(uint8_t code, int32_t a = 0, int32_t b = 0, int16_t c = 0, int16_t d = 0,
                 uint8_t target = 0) {
    MissionItem item;
    item.action = code;
    item.line = target;
    item.a = a;
    item.b = b;
    item.c = c;
    item.d = d;
    return item;
}

inline MissionList missionOf(std::initializer_list<MissionItem> lines) {
    MissionList mission;
    size_t index = 0;
    for (const MissionItem& item : lines) {
        mission.items[index++] = item;
    }
    mission.count = static_cast<uint8_t>(index);
    return mission;
}

} // namespace crv::mission
