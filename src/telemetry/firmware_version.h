#pragma once

#include "link/link_frame.h"

#include <cstdint>
#include <optional>
#include <string>

namespace crv::telemetry {

/// The board's firmware version message (type 1).
struct FirmwareVersion {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t build = 0; ///< shown unsigned, compared as signed 16-bit
};

FirmwareVersion decodeFirmwareVersion(const link::LinkFrame& frame);

/// "Corvane X ver 2.0 build 6100".
std::string versionLine(const FirmwareVersion& version);

/// What a version message does to the identification of the board.
struct Identification {
    bool identified = false;            ///< the new value of boardIdentified
    std::optional<std::string> warning; ///< the outdated-firmware text to show, if any
};

/// Builds above 3000 identify the board; the first identification of a build from 3001 to 6087
/// warns that it is outdated. Builds of 3000 or less (32768 and up count as negative) leave the
/// board unidentified, so the poll goes on.
Identification identify(bool wasIdentified, const FirmwareVersion& version);

} // namespace crv::telemetry
