// Loads arbitrary bytes as a mission file, then does with the mission what the window does:
// lists every line, walks the path, checks the altitudes and saves it again.

#include "mission/mission.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    crv::mission::MissionList mission;
    crv::mission::loadMissionFile(mission, std::vector<uint8_t>(data, data + size));
    size_t sink = 0;
    for (size_t i = 0; i < mission.count; ++i) {
        sink += crv::mission::listingText(i, mission.items[i]).size();
    }
    const auto path = crv::mission::walkMission(mission, {55.02, 73.43});
    sink += crv::mission::totalsText(path).size();
    sink += crv::mission::lowAltitudeWarning(mission) ? 1 : 0;
    sink += crv::mission::saveMissionFile(mission).size();
    return sink == 0 ? 0 : 0;
}
