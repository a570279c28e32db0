// Export of a log's track as GPX and its telemetry as CSV; the GPX is read back by gpsbabel.

#include "recorder/log_export.h"
#include "recorder_test_logs.h"
#include "support/frame_recorder.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace crv::recorder {
namespace {

using link::testing::frameOf;
using testing::Bytes;

Bytes be32(int32_t value) {
    const auto v = uint32_t(value);
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

/// A GPS message: fix, satellites, HDOP, latitude and longitude in 1e-7 degree, altitude in m.
Bytes gps(uint8_t fix, int32_t lat, int32_t lon, int16_t altitude) {
    Bytes payload{fix, 9, 12};
    for (const Bytes& part : {be32(lat), be32(lon)}) {
        payload.insert(payload.end(), part.begin(), part.end());
    }
    payload.push_back(uint8_t(altitude >> 8));
    payload.push_back(uint8_t(altitude));
    return frameOf(34, payload);
}

Bytes concat(const Bytes& a, const Bytes& b) {
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

const Bytes kLog = testing::logOf({
    gps(0, 0, 0, 0), // no fix yet: a row, no track point
    concat(gps(2, 550228610, 734278560, 120), frameOf(32, {0x01, 0x2C, 0xFF, 0x9C, 0, 50, 0, 0})),
    {},
    gps(2, 550230000, 734280000, 125),
});

struct Exported {
    std::string gpx, csv;
    ExportCounts counts;
};

Exported exported(const Bytes& log) {
    const MemoryLogSource source(log);
    std::ostringstream gpx, csv;
    Exported result;
    // 2024-05-01 10:00:00 UTC
    result.counts = exportLog(source, *LogIndex::build(source), 1714557600000, "log_7", gpx, csv);
    result.gpx = gpx.str();
    result.csv = csv.str();
    return result;
}

TEST(LogExport, TheTrackHoldsEveryFixDatedByItsRecord) {
    const Exported out = exported(kLog);
    EXPECT_EQ(out.counts.trackPoints, 2u);
    EXPECT_NE(out.gpx.find("<gpx version=\"1.1\""), std::string::npos);
    EXPECT_NE(out.gpx.find("<name>log_7</name>"), std::string::npos);
    EXPECT_NE(out.gpx.find("<trkpt lat=\"55.0228615\" lon=\"73.4278564\"><ele>120</ele>"
                           "<time>2024-05-01T10:00:00.100Z</time></trkpt>"),
              std::string::npos)
        << out.gpx;
    EXPECT_NE(out.gpx.find("<time>2024-05-01T10:00:00.300Z</time>"), std::string::npos);
}

TEST(LogExport, EveryDecodedMessageIsARowUnderNamedColumns) {
    const Exported out = exported(kLog);
    EXPECT_EQ(out.counts.rows, 4u);
    std::istringstream lines(out.csv);
    std::string header, first, second, third;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    std::getline(lines, third);
    EXPECT_EQ(header.rfind("time_s,message,armed,roll_deg,pitch_deg,heading_deg,", 0), 0u);
    EXPECT_NE(header.find(",latitude,longitude,gps_altitude_m,"), std::string::npos);
    EXPECT_EQ(first.rfind("0.0,gps,", 0), 0u) << first;
    EXPECT_NE(first.find(",No,9,12,"), std::string::npos) << first;
    EXPECT_EQ(second.rfind("0.1,gps,", 0), 0u);
    EXPECT_EQ(third.rfind("0.1,attitude,,30,-10,5,0,", 0), 0u) << third;
    const auto columns = [](const std::string& line) {
        return std::count(line.begin(), line.end(), ',');
    };
    EXPECT_EQ(columns(first), columns(header));
    EXPECT_EQ(columns(third), columns(header));
}

TEST(LogExport, ALogWithoutTelemetryGivesAnEmptyTrackThatIsStillGpx) {
    const Exported out = exported(testing::logOf({{0x00, 0x01}, {}}));
    EXPECT_EQ(out.counts.rows, 0u);
    EXPECT_NE(out.gpx.find("<trkseg>\n    </trkseg>"), std::string::npos) << out.gpx;
}

std::string output(const std::string& command, int& status) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        text.append(buffer, n);
    }
    status = pipe != nullptr ? pclose(pipe) : -1;
    return text;
}

TEST(LogExport, GpsbabelReadsTheExportedTrack) {
    int status = 0;
    output("command -v gpsbabel >/dev/null 2>&1", status);
    if (status != 0) {
        GTEST_SKIP() << "gpsbabel is not installed";
    }
    const crv::testing::TestFolder folder("crv-export");
    testing::writeFile(folder.file("log_7.xlog"), kLog);
    const std::atomic<bool> cancelled{false};
    const Status done = exportLogFiles(folder.file("log_7.xlog"), folder.file("track.gpx"),
                                       folder.file("track.csv"), cancelled);
    ASSERT_TRUE(done.ok()) << done.message();
    const std::string read =
        output("gpsbabel -i gpx -f '" + folder.file("track.gpx") + "' -o csv -F - 2>&1", status);
    EXPECT_EQ(status, 0) << read;
    EXPECT_NE(read.find("55.02286"), std::string::npos) << read;
    EXPECT_NE(read.find("73.42800"), std::string::npos) << read;
    EXPECT_EQ(testing::readFile(folder.file("track.csv")).empty(), false);
}

} // namespace
} // namespace crv::recorder
