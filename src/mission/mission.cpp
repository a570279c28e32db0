#include "mission/mission.h"

#include "common/typed_number.h"
#include "link/message_types.h"
#include "link/payload_reader.h"

#include <charconv>
#include <cmath>

namespace crv::mission {

namespace {

constexpr size_t kRecordSize = kFileRecordSize;
constexpr size_t kLinkLineSize = 15;
constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerMetre = 9e-6;
constexpr double kMetresPerDegree = 111111;
constexpr int kLowAltitudeM = 20;
// Enough for 200 lines repeated many times over; a mission that needs more loops for ever.
constexpr int kMaxWalkSteps = 100000;

/// The repeat lines' shared state: a walk jumps back until the count runs out.
class RepeatRule {
public:
    /// The next line to walk after the repeat line at index.
    size_t next(size_t index, const MissionItem& item, int count) {
        if (!m_active) {
            m_active = true;
            m_remaining = count;
            return item.line;
        }
        if (m_remaining < 2) {
            m_active = false;
            return index + 1;
        }
        --m_remaining;
        return item.line;
    }

private:
    bool m_active = false;
    int m_remaining = 0;
};

double cosineOf(double latitude) { return std::fabs(std::cos(latitude * kPi / 180)); }

// A point some metres north and east of origin, the longitude scaled at the new latitude.
map::GeoPoint offsetBy(const map::GeoPoint& origin, double northM, double eastM) {
    const double latitude = origin.latitude + northM * kDegreesPerMetre;
    return map::ClampLatLon(latitude,
                            origin.longitude + eastM * kDegreesPerMetre / cosineOf(latitude));
}

void putLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

uint32_t readLe(const uint8_t* data, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | data[i];
    }
    return value;
}

} // namespace

void sendMissionLine(link::LinkFrameBuilder& out, uint8_t index, const MissionItem& item) {
    out.begin();
    out.put8(link::msg::kMissionItem);
    out.put8(index);
    out.put8(item.action);
    out.put8(item.line);
    out.put32(static_cast<uint32_t>(item.a));
    out.put32(static_cast<uint32_t>(item.b));
    out.put16(static_cast<uint16_t>(item.c));
    out.put16(static_cast<uint16_t>(item.d));
    out.finish();
}

int storeMissionLine(MissionList& mission, const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    const size_t index = payload.u8(0);
    if (index >= MissionList::kSlots || frame.payloadSize < kLinkLineSize) {
        return -1; // a cut line would be stored with made-up zeros
    }
    MissionItem& item = mission.items[index];
    item.action = payload.u8(1);
    item.line = payload.u8(2);
    item.a = payload.s32(3);
    item.b = payload.s32(7);
    item.c = payload.s16(11);
    item.d = payload.s16(13);
    return static_cast<int>(index);
}

map::GeoPoint boardPosition(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    return {payload.s32(1) * 1e-7, payload.s32(5) * 1e-7};
}

std::vector<uint8_t> saveMissionFile(const MissionList& mission) {
    std::vector<uint8_t> file;
    size_t index = 0;
    while (index < MissionList::kMaxLines && !isEndLine(mission.items[index].action)) {
        ++index;
    }
    for (size_t i = 0; i <= index; ++i) {
        const MissionItem& item = mission.items[i];
        file.push_back(item.action);
        file.push_back(item.line);
        file.insert(file.end(), item.reserved.begin(), item.reserved.end());
        putLe(file, static_cast<uint32_t>(item.a), 4);
        putLe(file, static_cast<uint32_t>(item.b), 4);
        putLe(file, static_cast<uint16_t>(item.c), 2);
        putLe(file, static_cast<uint16_t>(item.d), 2);
    }
    return file;
}

std::string loadMissionFile(MissionList& mission, const std::vector<uint8_t>& file) {
    const size_t records = std::min(file.size() / kRecordSize, MissionList::kSlots);
    if (records == 0) {
        return file.empty() ? "The mission file is empty; the mission is left as it was."
                            : "The mission file holds no whole line; the mission is left as it was.";
    }
    std::string message;
    if (file.size() % kRecordSize != 0) {
        message = "The mission file ends in a cut line, which was left out.";
    } else if (file.size() > kLargestMissionFile) {
        message = "The mission file holds more than 201 lines; the rest was left out.";
    }
    MissionList loaded;
    for (size_t i = 0; i < records; ++i) {
        const uint8_t* record = file.data() + i * kRecordSize;
        MissionItem& item = loaded.items[i];
        item.action = record[0];
        item.line = record[1];
        item.reserved = {record[2], record[3]};
        item.a = static_cast<int32_t>(readLe(record + 4, 4));
        item.b = static_cast<int32_t>(readLe(record + 8, 4));
        item.c = static_cast<int16_t>(readLe(record + 12, 2));
        item.d = static_cast<int16_t>(readLe(record + 14, 2));
    }
    // The end line is looked for among the lines the file holds, the last slot included, so a
    // full mission of 200 lines loads whole.
    size_t end = 0;
    while (end < records && !isEndLine(loaded.items[end].action)) {
        ++end;
    }
    if (end == records) {
        // No end line: the lines read stay and an end line follows them.
        end = std::min(records, MissionList::kMaxLines);
        loaded.items[end] = MissionItem{};
        loaded.items[end].action = action::kEndReturnHome;
        if (message.empty()) {
            message = "The mission file has no end line; one was added after its last line.";
        }
    }
    loaded.count = static_cast<uint8_t>(end + 1);
    mission = loaded;
    return message;
}

MissionPath walkMission(const MissionList& mission, const map::GeoPoint& home) {
    MissionPath path;
    map::GeoPoint cur = home;
    map::GeoPoint prev = home;
    RepeatRule repeat;
    int steps = 0;
    for (size_t index = 0; index < mission.count && index < MissionList::kSlots;) {
        if (++steps > kMaxWalkSteps) {
            path.cutShort = true;
            break;
        }
        const MissionItem& item = mission.items[index];
        const double heading = item.a * kPi / 18000;
        const auto add = [&](map::GeoPoint point) {
            ++path.points;
            cur = point;
            if (path.pathPoints.size() < MissionList::kMaxLines) {
                path.pathPoints.push_back(cur);
            }
        };
        size_t next = index + 1;
        switch (item.action) {
        case action::kGotoPoint:
        case action::kLandAt:
            add({item.a * 1e-7, item.b * 1e-7});
            break;
        case action::kGotoBaseHeadingDistance:
            add(offsetBy(home, std::cos(heading) * item.b, std::sin(heading) * item.b));
            break;
        case action::kGotoBaseNorthEast:
            add(offsetBy(home, item.a, item.b));
            break;
        case action::kGotoHeadingDistance:
            add(offsetBy(cur, std::cos(heading) * item.b, std::sin(heading) * item.b));
            break;
        case action::kGotoNorthEast:
            add(offsetBy(cur, item.a, item.b));
            break;
        case action::kRepeat:
            next = repeat.next(index, item, item.c);
            break;
        default:
            break;
        }
        const double cosine = cosineOf(cur.latitude);
        path.distanceM +=
            kMetresPerDegree * std::sqrt(std::pow(cur.latitude - prev.latitude, 2) +
                                         std::pow(cosine * (cur.longitude - prev.longitude), 2));
        prev = cur;
        index = next;
    }
    return path;
}

bool lowAltitudeWarning(const MissionList& mission) {
    int altitude = 0;
    bool warn = false;
    RepeatRule repeat;
    int steps = 0;
    for (size_t index = 0;
         index < mission.count && index < MissionList::kSlots && steps < kMaxWalkSteps; ++steps) {
        const MissionItem& item = mission.items[index];
        size_t next = index + 1;
        switch (item.action) {
        case action::kGotoPoint:
        case action::kGotoBaseHeadingDistance:
        case action::kGotoBaseNorthEast:
            altitude = item.c;
            warn = warn || item.c < kLowAltitudeM;
            break;
        case action::kGotoHeadingDistance:
        case action::kGotoNorthEast:
            altitude += item.c;
            warn = warn || altitude < kLowAltitudeM;
            break;
        case action::kRepeat:
            next = repeat.next(index, item, item.c & 0xFF);
            break;
        default:
            break;
        }
        index = next;
    }
    return mission.count != 0 && warn;
}

std::string listingText(size_t index, const MissionItem& item) {
    const std::string lat = fixedDecimals(item.a * 1e-7, 6);
    const std::string lon = fixedDecimals(item.b * 1e-7, 6);
    const std::string hdg = fixedDecimals(item.a * 0.01, 2);
    const std::string a = std::to_string(item.a);
    const std::string b = std::to_string(item.b);
    const std::string c = std::to_string(item.c);
    std::string text;
    switch (item.action) {
    case action::kGotoPoint:
        text = "goto navpoint " + lat + "," + lon + " at " + c + "m";
        break;
    case action::kGotoBaseHeadingDistance:
        text = "goto " + hdg + "deg," + b + "m and " + c + "m up rel to base";
        break;
    case action::kGotoBaseNorthEast:
        text = "goto " + a + "mN," + b + "mE and " + c + "m up rel to base";
        break;
    case action::kGotoHeadingDistance:
        text = "goto " + hdg + "deg," + b + "m and " + c + "m up";
        break;
    case action::kGotoNorthEast:
        text = "goto " + a + "mN," + b + "mE and " + c + "m up";
        break;
    case action::kTakeoff:
        text = "takeoff ";
        break;
    case action::kLand:
        text = "land ";
        break;
    case action::kLandAt:
        text = "land at " + lat + "," + lon + " HDG " +
               fixedDecimals(static_cast<uint16_t>(item.c) * 0.01, 2) + "deg, bias " +
               std::to_string(item.d) + "m";
        break;
    case action::kDelay:
        text = "delay " + fixedDecimals(item.c * 0.1, 1) + "s";
        break;
    case action::kRepeat:
        text = "repeat from #" + std::to_string(item.line + 1) + " for " + c + " times";
        break;
    case action::kEndReturnHome:
        text = "==END== (return home)";
        break;
    case action::kEndRepeatMission:
        text = "==END== (repeat mission)";
        break;
    default:
        break;
    }
    return std::to_string(index + 1) + ". " + text;
}

std::string totalsText(const MissionPath& path) {
    return "Total points:" + std::to_string(path.points) +
           " Distance:" + fixedDecimals(path.distanceM + 0.5, 0) + "m";
}

} // namespace crv::mission
