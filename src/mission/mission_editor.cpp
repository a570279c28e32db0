#include "mission/mission_editor.h"

#include "common/typed_number.h"
#include "link/message_types.h"
#include "link/payload_reader.h"

#include <cmath>
#include <limits>

namespace crv::mission {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerMetre = 9e-6;
constexpr double kMetresPerDegree = 111111;

/// A field read as a whole number or as a decimal times a scale, checked to fit its place.
class FieldReader {
public:
    explicit FieldReader(const FieldTexts& fields) : m_fields(fields) {}

    /// P1 to P4 as a whole number within low to high.
    std::optional<int32_t> integer(int field, int64_t low, int64_t high) {
        const IntegerParse parsed = parseInteger(m_fields[field]);
        if (!parsed.value) {
            return refuse(parsed.error);
        }
        return inRange(field, *parsed.value, low, high);
    }
    /// P1 to P4 times scale, truncated toward zero, within low to high.
    std::optional<int32_t> scaled(int field, double scale, int64_t low, int64_t high) {
        const NumberParse parsed = parseNumber(m_fields[field]);
        if (!parsed.value) {
            return refuse(parsed.error);
        }
        // Truncated, not rounded: 4.35 × 100 is 434.99999999999994 in doubles and gives 434.
        const double product = std::trunc(*parsed.value * scale);
        if (product < double(low) || product > double(high)) {
            return outOfRange(field, low / scale, high / scale);
        }
        return static_cast<int32_t>(product);
    }
    const std::string& error() const { return m_error; }

private:
    std::optional<int32_t> inRange(int field, int64_t value, int64_t low, int64_t high) {
        if (value < low || value > high) {
            return outOfRange(field, double(low), double(high));
        }
        return static_cast<int32_t>(value);
    }
    std::optional<int32_t> outOfRange(int field, double low, double high) {
        return refuse("'" + m_fields[field] + "' is out of range for P" +
                      std::to_string(field + 1) + " (" + number(low) + " to " + number(high) +
                      ")");
    }
    static std::string number(double value) {
        const std::string text = fixedDecimals(value, 7);
        const auto end = text.find_last_not_of('0');
        return text.substr(0, text[end] == '.' ? end : end + 1);
    }
    std::nullopt_t refuse(const std::string& error) {
        if (m_error.empty()) {
            m_error = error;
        }
        return std::nullopt;
    }

    const FieldTexts& m_fields;
    std::string m_error;
};

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kInt16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();
constexpr int64_t kUint16Max = std::numeric_limits<uint16_t>::max();

enum Field { P1, P2, P3, P4 };

// Every field the action uses is read first; the line changes only if all of them are good.
bool readInto(MissionItem& item, FieldReader& read) {
    switch (item.action) {
    case action::kGotoPoint:
    case action::kLandAt: {
        const auto a = read.scaled(P1, 1e7, kInt32Min, kInt32Max);
        const auto b = read.scaled(P2, 1e7, kInt32Min, kInt32Max);
        const bool landing = item.action == action::kLandAt;
        // A landing heading is kept as 16 bits, read back unsigned.
        const auto c = landing ? read.scaled(P3, 100, kInt16Min, kUint16Max)
                               : read.integer(P3, kInt16Min, kInt16Max);
        const auto d = landing ? read.integer(P4, kInt16Min, kInt16Max) : item.d;
        if (!a || !b || !c || !d) {
            return false;
        }
        item.a = *a;
        item.b = *b;
        item.c = static_cast<int16_t>(*c);
        item.d = static_cast<int16_t>(*d);
        return true;
    }
    case action::kGotoBaseHeadingDistance:
    case action::kGotoHeadingDistance:
    case action::kGotoBaseNorthEast:
    case action::kGotoNorthEast: {
        const bool heading = item.action == action::kGotoBaseHeadingDistance ||
                             item.action == action::kGotoHeadingDistance;
        const auto a = heading ? read.scaled(P1, 100, kInt32Min, kInt32Max)
                               : read.integer(P1, kInt32Min, kInt32Max);
        const auto b = read.integer(P2, kInt32Min, kInt32Max);
        const auto c = read.integer(P3, kInt16Min, kInt16Max);
        if (!a || !b || !c) {
            return false;
        }
        item.a = *a;
        item.b = *b;
        item.c = static_cast<int16_t>(*c);
        return true;
    }
    case action::kDelay: {
        const auto c = read.integer(P3, kInt16Min, kInt16Max);
        if (c) {
            item.c = static_cast<int16_t>(*c);
        }
        return c.has_value();
    }
    case action::kRepeat: {
        const auto target = read.integer(P1, 1, MissionList::kMaxLines);
        const auto c = read.integer(P3, kInt16Min, kInt16Max);
        if (!target || !c) {
            return false;
        }
        item.line = static_cast<uint8_t>(*target - 1);
        item.c = static_cast<int16_t>(*c);
        return true;
    }
    default:
        return true;
    }
}

map::GeoPoint homeMovedBy(const map::GeoPoint& home, double northM, double eastM) {
    return {home.latitude + northM * kDegreesPerMetre,
            home.longitude +
                eastM * kDegreesPerMetre / std::fabs(std::cos(home.latitude * kPi / 180))};
}

} // namespace

const std::vector<std::string>& actionChoices() {
    static const std::vector<std::string> kChoices = {
        "0 - goto navpoint: lat, lon, alt (base-rel), meters",
        "1 - goto base-relative,meters: HDG, DIS, ALT",
        "2 - goto base-relative,meters: N/S, E/W, ALT",
        "3 - goto current-relative, meters: HDG, DIS, ALT",
        "4 - goto current-relative, meters: N/S, E/W, ALT",
        "5 - takeoff",
        "6 - land",
        "7 - land at: LAT, LON, HDG, ALT bias ",
        "30 - delay x100ms (loiter here)",
        "31 - repeat from line P1 for P3 times more",
    };
    return kChoices;
}

uint8_t actionOfChoice(const std::string& text) {
    const IntegerParse parsed = parseInteger(text.substr(0, text.find(' ')));
    return parsed.value ? static_cast<uint8_t>(*parsed.value) : 0;
}

std::array<bool, 4> shownFields(uint8_t code) {
    switch (code) {
    case action::kGotoPoint:
    case action::kGotoBaseHeadingDistance:
    case action::kGotoBaseNorthEast:
    case action::kGotoHeadingDistance:
    case action::kGotoNorthEast:
        return {true, true, true, false};
    case action::kLandAt:
        return {true, true, true, true};
    case action::kDelay:
        return {false, false, true, false};
    case action::kRepeat:
        return {true, false, true, false};
    default:
        return {};
    }
}

FieldRead readFields(const MissionItem& edit, const FieldTexts& fields) {
    MissionItem item = edit;
    FieldReader reader(fields);
    if (!readInto(item, reader)) {
        return {std::nullopt, reader.error()};
    }
    return {item, ""};
}

ItemView showItem(const MissionItem& item, const map::GeoPoint& home) {
    ItemView view;
    const auto whole = [](int64_t value) { return std::to_string(value); };
    const std::string lat = fixedDecimals(item.a * 1e-7, 6);
    const std::string lon = fixedDecimals(item.b * 1e-7, 6);
    const std::string hdg = fixedDecimals(item.a * 0.01, 2);
    const double heading = item.a * kPi / 18000;
    switch (item.action) {
    case action::kGotoPoint:
        view.fields = {lat, lon, whole(item.c), std::nullopt};
        view.centre = map::GeoPoint{item.a * 1e-7, item.b * 1e-7};
        break;
    case action::kGotoBaseHeadingDistance:
        view.fields = {hdg, whole(item.b), whole(item.c), std::nullopt};
        view.centre = homeMovedBy(home, std::cos(heading) * item.b, std::sin(heading) * item.b);
        break;
    case action::kGotoBaseNorthEast:
        view.fields = {whole(item.a), whole(item.b), whole(item.c), std::nullopt};
        view.centre = homeMovedBy(home, item.a, item.b);
        break;
    case action::kGotoHeadingDistance:
        view.fields = {hdg, whole(item.b), whole(item.c), std::nullopt};
        break;
    case action::kGotoNorthEast:
        view.fields = {whole(item.a), whole(item.b), whole(item.c), std::nullopt};
        break;
    case action::kLandAt:
        view.fields = {lat, lon, fixedDecimals(static_cast<uint16_t>(item.c) * 0.01, 2),
                       whole(item.d)};
        view.centre = map::GeoPoint{item.a * 1e-7, item.b * 1e-7};
        break;
    case action::kDelay:
        view.fields[P3] = whole(item.c);
        break;
    case action::kRepeat:
        view.fields[P1] = whole(item.line + 1);
        view.fields[P3] = whole(item.c);
        break;
    default:
        break;
    }
    if (item.action <= action::kLandAt) {
        view.choice = item.action;
    } else if (item.action == action::kDelay || item.action == action::kRepeat) {
        view.choice = item.action == action::kDelay ? 8 : 9;
    }
    return view;
}

std::optional<std::string> autopilotModeName(uint8_t mode) {
    static constexpr std::array<const char*, 10> kNames = {
        "Manual", "Acro", "Stabilize", "A.Hold",  "P.Hold",
        "RETURN", "AUTO", "Thermal",   "Takeoff", "Land"};
    if (mode >= kNames.size()) {
        return std::nullopt;
    }
    return kNames[mode];
}

std::optional<std::array<std::string, 2>> centreAsFields(uint8_t code, const map::GeoPoint& centre,
                                                         const map::GeoPoint& home) {
    auto orTiny = [](float value) { return value == 0 ? 0.0001f : value; };
    const float north = orTiny(float((centre.latitude - home.latitude) * kMetresPerDegree));
    const float east = orTiny(float(std::fabs(std::cos(centre.latitude * kPi / 180)) *
                                    (centre.longitude - home.longitude) * kMetresPerDegree));
    switch (code) {
    case action::kGotoPoint:
    case action::kLandAt:
        return std::array{fixedDecimals(centre.latitude, 6), fixedDecimals(centre.longitude, 6)};
    case action::kGotoBaseHeadingDistance: {
        double heading = std::atan2(east, north) * 57.29577;
        while (heading < 0) {
            heading += 360;
        }
        const auto distance = static_cast<int64_t>(std::sqrt(north * north + east * east));
        return std::array{fixedDecimals(heading, 2), std::to_string(distance)};
    }
    case action::kGotoBaseNorthEast:
        return std::array{std::to_string(static_cast<int64_t>(north)),
                          std::to_string(static_cast<int64_t>(east))};
    default:
        return std::nullopt;
    }
}

// Slot 200 takes what line 199 held, so an end line there is never lost.
bool insertLine(MissionList& mission, size_t index, const MissionItem& item) {
    if (mission.count >= MissionList::kSlots || index >= MissionList::kSlots) {
        return false;
    }
    for (size_t slot = MissionList::kSlots - 1; slot > index; --slot) {
        mission.items[slot] = mission.items[slot - 1];
    }
    mission.items[index] = item;
    ++mission.count;
    return true;
}

bool deleteLine(MissionList& mission, size_t index) {
    if (mission.count < 2 || index >= MissionList::kSlots ||
        isEndLine(mission.items[index].action)) {
        return false;
    }
    for (size_t slot = index; slot + 1 < MissionList::kSlots; ++slot) {
        mission.items[slot] = mission.items[slot + 1];
    }
    --mission.count;
    return true;
}

std::string MissionUpload::tick(link::LinkFrameBuilder& out, const MissionList& mission) {
    if (!m_active) {
        return "Write";
    }
    const std::string caption = std::to_string(m_index) + "...";
    const MissionItem& item = mission.items[m_index];
    sendMissionLine(out, m_index, item);
    const bool last = isEndLine(item.action) || m_index >= MissionList::kMaxLines - 1;
    ++m_index;
    if (last) {
        m_active = false;
        return "Write";
    }
    return caption;
}

void MissionDownload::start(link::LinkFrameBuilder& out) {
    m_active = true;
    out.sendReadRequest(link::msg::kMissionItem, 0);
}

// Slot 200 can only be the end: a board that sends a line there that is no end line gets no
// request for a 202nd line, and the list ends with an end line as always.
bool MissionDownload::onLine(link::LinkFrameBuilder& out, MissionList& mission,
                             const link::LinkFrame& frame) {
    const int index = storeMissionLine(mission, frame);
    if (index < 0) {
        return false;
    }
    MissionItem& item = mission.items[index];
    if (!isEndLine(item.action) && index + 1 < int(MissionList::kSlots)) {
        out.sendReadRequest(link::msg::kMissionItem, static_cast<uint8_t>(index + 1));
        return false;
    }
    if (!isEndLine(item.action)) {
        item.action = action::kEndReturnHome;
    }
    m_active = false;
    mission.count = static_cast<uint8_t>(index + 1);
    return true;
}

} // namespace crv::mission
