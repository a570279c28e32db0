#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace crv::config {

// How the configuration pages turn typed text into block values, and block values back into
// what their lists show.

/// "SAFE Alt": taken as unsigned 16-bit, anything outside 50 to 200 becomes 50.
uint8_t safeAltitudeByte(int32_t typed);
/// "THR max percent": taken as unsigned 16-bit, above 100 becomes 100, then below 50 becomes 50.
uint8_t throttleMaxByte(int32_t typed);
/// The angle limits: clamped to 5 to 80 degrees.
uint8_t angleLimitByte(int32_t typed);

/// The custom OSD line categories and, for each, its items. Categories past the list show
/// the "=off=" list.
const std::vector<std::string>& customCategories();
const std::vector<std::string>& customItems(int category);
/// A custom line on the wire: category × 32 + item.
uint8_t customLineByte(int category, int item);
inline int customCategoryOf(uint8_t line) { return line / 32; }
inline int customItemOf(uint8_t line) { return line & 31; }
/// The item to select after the item list was replaced: the old one while the new list has
/// it, else the first.
int keptItemIndex(int remembered, int listSize);

/// The OSD switch channels and flight-mode channels: "RC5", ... "C16", "S17", "S18".
const std::vector<std::string>& channelNames();

} // namespace crv::config
