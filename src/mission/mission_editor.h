#pragma once

#include "link/link_frame.h"
#include "link/link_frame_builder.h"
#include "map/projection.h"
#include "mission/mission.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace crv::mission {

// The line editor of the mission control window: the action choice, the four parameter
// fields P1 to P4 and how they turn into a mission line and back.

/// The ten texts of the action choice, for actions 0 to 7, 30 and 31.
const std::vector<std::string>& actionChoices();
/// The action a choice text names: its number up to the first blank (0 without one).
uint8_t actionOfChoice(const std::string& text);
/// Which of P1 to P4 an action uses.
std::array<bool, 4> shownFields(uint8_t action);

using FieldTexts = std::array<std::string, 4>;

/// A line read from the fields by its action, or why a field was refused.
struct FieldRead {
    std::optional<MissionItem> item;
    std::string error;
};
/// The fields read into edit by edit's action; fields the action does not use are ignored.
/// Products with a power of ten are truncated toward zero; text that is no number, or a
/// value the line cannot hold, refuses the whole reading.
FieldRead readFields(const MissionItem& edit, const FieldTexts& fields);

/// What the editor shows for a line: the choice, the fields it fills (others stay as they
/// are) and where the map goes.
struct ItemView {
    int choice = -1; ///< -1 for lines the choice does not offer
    std::array<std::optional<std::string>, 4> fields;
    std::optional<map::GeoPoint> centre;
};
ItemView showItem(const MissionItem& item, const map::GeoPoint& home);

/// The mission control window's name for a flight mode the board reports, 0 to 9.
std::optional<std::string> autopilotModeName(uint8_t mode);

/// "Copy to actions": P1 and P2 for the map centre as the line's point, for actions 0, 1, 2
/// and 7; nothing for the others.
std::optional<std::array<std::string, 2>> centreAsFields(uint8_t action, const map::GeoPoint& centre,
                                                         const map::GeoPoint& home);

// Editing the list.

/// Puts a line at index, moving the lines from there one place down. False (and nothing
/// changed) when the list is full.
bool insertLine(MissionList& mission, size_t index, const MissionItem& item);
/// Removes the line at index unless it is the end line or the only line.
bool deleteLine(MissionList& mission, size_t index);

// Transfers with the board, one line per message 29.

/// Sends a mission one line per tick of the window timer, up to its end line or line 199.
class MissionUpload {
public:
    void start() {
        m_index = 0;
        m_active = true;
    }
    bool active() const { return m_active; }
    /// Sends the next line; returns the caption of "Write" for the line in flight ("3...")
    /// or "Write" once the last has gone.
    std::string tick(link::LinkFrameBuilder& out, const MissionList& mission);

private:
    bool m_active = false;
    uint8_t m_index = 0;
};

/// Reads a mission line by line: each line received asks for the next, until an end line.
class MissionDownload {
public:
    void start(link::LinkFrameBuilder& out);
    bool active() const { return m_active; }
    /// Stores a received line. True when it ended the download (the count is then set).
    bool onLine(link::LinkFrameBuilder& out, MissionList& mission, const link::LinkFrame& frame);

private:
    bool m_active = false;
};

} // namespace crv::mission
