#pragma once

#include "link/link_frame.h"
#include "link/link_frame_builder.h"
#include "map/projection.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace crv::mission {

/// Action codes of a mission line; 252 and above end the mission.
namespace action {
inline constexpr uint8_t kGotoPoint = 0;
inline constexpr uint8_t kGotoBaseHeadingDistance = 1;
inline constexpr uint8_t kGotoBaseNorthEast = 2;
inline constexpr uint8_t kGotoHeadingDistance = 3;
inline constexpr uint8_t kGotoNorthEast = 4;
inline constexpr uint8_t kTakeoff = 5;
inline constexpr uint8_t kLand = 6;
inline constexpr uint8_t kLandAt = 7;
inline constexpr uint8_t kDelay = 30;
inline constexpr uint8_t kRepeat = 31;
inline constexpr uint8_t kEndReturnHome = 252;
inline constexpr uint8_t kEndRepeatMission = 254;
} // namespace action

inline constexpr bool isEndLine(uint8_t code) { return code >= action::kEndReturnHome; }

/// One mission line as held in memory and in mission files.
struct MissionItem {
    uint8_t action = 0;
    uint8_t line = 0; ///< the line a repeat jumps back to, 0-based
    std::array<uint8_t, 2> reserved{};
    int32_t a = 0;
    int32_t b = 0;
    int16_t c = 0;
    int16_t d = 0;
    bool operator==(const MissionItem&) const = default;
};

/// The mission of the mission control window: 200 lines and a last slot for an end line.
struct MissionList {
    static constexpr size_t kSlots = 201;
    static constexpr size_t kMaxLines = 200;
    MissionList() { items[0].action = action::kEndReturnHome; }
    std::array<MissionItem, kSlots> items{};
    uint8_t count = 1; ///< lines in use, the end line included
};

// The link: message 29 carries the line index and the line, 15 bytes, big-endian.

void sendMissionLine(link::LinkFrameBuilder& out, uint8_t index, const MissionItem& item);
/// Stores a received line at its index, the reserved bytes left as they were. Returns the
/// index, or -1 (nothing stored) for an index past the list or a line cut short.
int storeMissionLine(MissionList& mission, const link::LinkFrame& frame);

/// The position in the board's target (27/50) and home (27/51) messages: latitude and
/// longitude in 1e-7 degree after the sub-type byte.
map::GeoPoint boardPosition(const link::LinkFrame& frame);

// Mission files: 16-byte little-endian records, no header.

inline constexpr size_t kFileRecordSize = 16;
/// The most of a file a mission can use: one record a slot.
inline constexpr size_t kLargestMissionFile = MissionList::kSlots * kFileRecordSize;

/// The records from line 0 up to and with the first end line (or slot 200).
std::vector<uint8_t> saveMissionFile(const MissionList& mission);
/// Reads a file into the mission. Slots the file does not reach start empty, so nothing of
/// the mission before shows up as part of this one. The message says what was odd about the
/// file (empty, a cut record, extra bytes); empty means a clean load.
std::string loadMissionFile(MissionList& mission, const std::vector<uint8_t>& file);

// The mission as the map draws it.

struct MissionPath {
    int points = 0;
    double distanceM = 0;
    std::vector<map::GeoPoint> pathPoints; ///< the first 200 points
    bool cutShort = false; ///< the walk was stopped: its repeats do not come to an end
};
/// Walks the lines in flying order from home, repeats included, bounded in steps.
MissionPath walkMission(const MissionList& mission, const map::GeoPoint& home);
/// Whether an altitude below 20 m can come up during the mission.
bool lowAltitudeWarning(const MissionList& mission);

/// "3. goto 100mN,-50mE and 30m up rel to base".
std::string listingText(size_t index, const MissionItem& item);
/// "Total points:3 Distance:1234m".
std::string totalsText(const MissionPath& path);

} // namespace crv::mission
