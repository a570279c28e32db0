#include "telemetry/firmware_version.h"

#include "link/payload_reader.h"

namespace crv::telemetry {

namespace {
constexpr int kLastUnsupportedBuild = 3000;
constexpr int kFirstCurrentBuild = 6088;
} // namespace

FirmwareVersion decodeFirmwareVersion(const link::LinkFrame& frame) {
    const link::PayloadReader payload(frame);
    return {payload.u16(0), payload.u16(2), payload.u16(4)};
}

std::string versionLine(const FirmwareVersion& version) {
    return "Corvane X ver " + std::to_string(version.major) + "." + std::to_string(version.minor) +
           " build " + std::to_string(version.build);
}

Identification identify(bool wasIdentified, const FirmwareVersion& version) {
    const int build = static_cast<int16_t>(version.build);
    Identification result;
    result.identified = wasIdentified;
    if (!wasIdentified) {
        result.identified = true;
        if (build > kLastUnsupportedBuild && build < kFirstCurrentBuild) {
            result.warning = "WARNING!\nThe X board firmware build 2.0." + std::to_string(build) +
                             " is outdated!\nSome GCS features might not work properly.";
        }
    }
    if (build <= kLastUnsupportedBuild) {
        result.identified = false;
    }
    return result;
}

} // namespace crv::telemetry
