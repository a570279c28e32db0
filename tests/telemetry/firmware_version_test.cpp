#include "telemetry/firmware_version.h"

#include <gtest/gtest.h>

#include <vector>

namespace crv::telemetry {
namespace {

FirmwareVersion decode(std::vector<uint8_t> payload) {
    return decodeFirmwareVersion(
        {1, static_cast<uint8_t>(payload.size() + 2), payload.data(), payload.size()});
}

TEST(FirmwareVersionTest, DecodesAndFormatsTheVersionLine) {
    EXPECT_EQ(versionLine(decode({0x00, 0x02, 0x00, 0x00, 0x17, 0xD4})),
              "Corvane X ver 2.0 build 6100");
    EXPECT_EQ(versionLine(decode({0x00, 0x02, 0x00, 0x01, 0x9C, 0x40})),
              "Corvane X ver 2.1 build 40000");
    EXPECT_EQ(versionLine(decode({0x00, 0x03})), "Corvane X ver 3.0 build 0")
        << "missing bytes read as zero";
}

struct IdentifyRow {
    bool wasIdentified;
    uint16_t build;
    bool identified;
    bool warns;
};

TEST(FirmwareVersionTest, IdentifiesAndWarnsByBuild) {
    const IdentifyRow rows[] = {
        {false, 6100, true, false},   {false, 6088, true, false},  {false, 6087, true, true},
        {false, 5000, true, true},    {true, 5000, true, false},   {false, 3001, true, true},
        {false, 3000, false, false},  {false, 2500, false, false}, {true, 2500, false, false},
        {false, 40000, false, false},
    };
    for (const IdentifyRow& row : rows) {
        const Identification result = identify(row.wasIdentified, {2, 0, row.build});
        EXPECT_EQ(result.identified, row.identified) << row.build << " " << row.wasIdentified;
        EXPECT_EQ(result.warning.has_value(), row.warns) << row.build << " " << row.wasIdentified;
    }
}

TEST(FirmwareVersionTest, WarningTextNamesTheBuild) {
    const Identification result = identify(false, {7, 9, 5000});
    ASSERT_TRUE(result.warning);
    EXPECT_EQ(*result.warning, "WARNING!\nThe X board firmware build 2.0.5000 is outdated!\n"
                               "Some GCS features might not work properly.");
}

} // namespace
} // namespace crv::telemetry
