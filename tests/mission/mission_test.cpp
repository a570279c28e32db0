#include "mission/mission.h"

#include "mission_lines.h"
#include "support/frame_recorder.h"

#include <gtest/gtest.h>

namespace crv::mission {
namespace {

using link::testing::Bytes;

TEST(MissionTest, StartsAsOneEndLine) {
    const MissionList mission;
    EXPECT_EQ(mission.count, 1);
    EXPECT_EQ(listingText(0, mission.items[0]), "1. ==END== (return home)");
}

TEST(MissionTest, LinkLinesAreBigEndian) {
    link::LinkCounters counters;
    link::testing::CollectingSink sink;
    link::LinkFrameBuilder out(counters, &sink);
    sendMissionLine(out, 2, line(action::kGotoPoint, 550228614, 734278560, 120, -1));
    EXPECT_EQ(sink.bytes, (Bytes{0xCB, 0x11, 0x1D, 0x02, 0x00, 0x00, 0x20, 0xCB, 0xD2, 0x86, 0x2B,
                                 0xC4, 0x33, 0xA0, 0x00, 0x78, 0xFF, 0xFF, 0x7E}));

    MissionList mission;
    mission.items[2].reserved = {7, 8};
    const Bytes payload(sink.bytes.begin() + 3, sink.bytes.end() - 1);
    EXPECT_EQ(storeMissionLine(mission, {29, 17, payload.data(), payload.size()}), 2);
    EXPECT_EQ(mission.items[2].a, 550228614);
    EXPECT_EQ(mission.items[2].d, -1);
    EXPECT_EQ(mission.items[2].reserved, (std::array<uint8_t, 2>{7, 8})) << "kept as they were";

    Bytes beyond = payload;
    beyond[0] = 201;
    EXPECT_EQ(storeMissionLine(mission, {29, 17, beyond.data(), beyond.size()}), -1);
    Bytes cut(payload.begin(), payload.begin() + 14);
    cut[0] = 3;
    EXPECT_EQ(storeMissionLine(mission, {29, 16, cut.data(), cut.size()}), -1);
    EXPECT_EQ(mission.items[3], MissionItem{}) << "a cut line stores nothing";
}

TEST(MissionTest, ListingTexts) {
    struct Row {
        MissionItem item;
        const char* text;
    };
    const Row rows[] = {
        {line(0, 550228614, 734278560, 120), "1. goto navpoint 55.022861,73.427856 at 120m"},
        {line(1, 9000, 1000, 50), "1. goto 90.00deg,1000m and 50m up rel to base"},
        {line(2, 100, -50, 30), "1. goto 100mN,-50mE and 30m up rel to base"},
        {line(3, 4550, 200, -10), "1. goto 45.50deg,200m and -10m up"},
        {line(4, -5, 6, 7), "1. goto -5mN,6mE and 7m up"},
        {line(5), "1. takeoff "},
        {line(6), "1. land "},
        {line(7, 550228614, 734278560, -29536, 5),
         "1. land at 55.022861,73.427856 HDG 360.00deg, bias 5m"},
        {line(30, 0, 0, 25), "1. delay 2.5s"},
        {line(31, 0, 0, 3, 0, 1), "1. repeat from #2 for 3 times"},
        {line(254), "1. ==END== (repeat mission)"},
        {line(99), "1. "},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(listingText(0, row.item), row.text);
    }
    EXPECT_EQ(listingText(2, line(2, 100, -50, 30)), "3. goto 100mN,-50mE and 30m up rel to base");
}

TEST(MissionTest, PathWalkFromHome) {
    const MissionPath relative =
        walkMission(missionOf({line(1, 9000, 1000, 50), line(252)}), {0, 0});
    ASSERT_EQ(relative.points, 1);
    EXPECT_NEAR(relative.pathPoints[0].latitude, 0, 1e-12);
    EXPECT_NEAR(relative.pathPoints[0].longitude, 0.009, 1e-12);
    EXPECT_NEAR(relative.distanceM, 1000, 1);

    const MissionPath still =
        walkMission(missionOf({line(5), line(6), line(30, 0, 0, 10), line(252)}), {55, 73});
    EXPECT_EQ(still.points, 0);
    EXPECT_EQ(still.distanceM, 0);
    EXPECT_EQ(totalsText(still), "Total points:0 Distance:0m");

    const MissionPath landing =
        walkMission(missionOf({line(7, 10000000, 20000000, 0), line(252)}), {0, 0});
    EXPECT_EQ(landing.points, 1);
}

TEST(MissionTest, RepeatsAndEndlessMissions) {
    const MissionList repeated =
        missionOf({line(2, 10, 0, 50), line(2, 20, 0, 50), line(2, 30, 0, 50),
                   line(31, 0, 0, 2, 0, 0), line(252)});
    EXPECT_EQ(walkMission(repeated, {0, 0}).points, 9);

    // Two repeat lines that send the walk back over each other never finish.
    const MissionList endless = missionOf(
        {line(2, 10, 0, 50), line(31, 0, 0, 2, 0, 0), line(31, 0, 0, 2, 0, 0), line(252)});
    const MissionPath path = walkMission(endless, {0, 0});
    EXPECT_TRUE(path.cutShort);
    EXPECT_EQ(path.pathPoints.size(), 200u);
    EXPECT_GT(path.points, 200);
    EXPECT_TRUE(lowAltitudeWarning(missionOf(
        {line(2, 0, 0, 10), line(31, 0, 0, 2, 0, 0), line(31, 0, 0, 2, 0, 0), line(252)})))
        << "the check ends too";
}

TEST(MissionTest, LowAltitudeCheck) {
    EXPECT_TRUE(lowAltitudeWarning(missionOf({line(0, 0, 0, 0), line(252)})));
    EXPECT_FALSE(lowAltitudeWarning(missionOf({line(0, 0, 0, 20), line(252)})));
    EXPECT_TRUE(lowAltitudeWarning(missionOf({line(2, 0, 0, 30), line(4, 0, 0, -11), line(252)})));
    EXPECT_FALSE(lowAltitudeWarning(missionOf({line(2, 0, 0, 30), line(7, 0, 0, 5), line(252)})))
        << "a landing's heading is no altitude";
}

TEST(MissionTest, FilesRoundTripAndLoadSafely) {
    MissionList mission = missionOf({line(0, 1, 2, 3, 4), line(31, 0, 0, 2, 0, 0), line(252)});
    mission.items[1].reserved = {9, 9};
    const std::vector<uint8_t> file = saveMissionFile(mission);
    ASSERT_EQ(file.size(), 3u * 16);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 16),
              (Bytes{0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 4, 0}));

    MissionList loaded = missionOf({line(2), line(2), line(2), line(2), line(2), line(252)});
    EXPECT_EQ(loadMissionFile(loaded, file), "");
    EXPECT_EQ(loaded.count, 3);
    EXPECT_EQ(loaded.items[1], mission.items[1]);
    EXPECT_EQ(loaded.items[4], MissionItem{}) << "nothing of the mission before is left";

    MissionList kept = mission;
    EXPECT_NE(loadMissionFile(kept, {}), "");
    EXPECT_EQ(kept.count, 3) << "an empty file changes nothing";

    EXPECT_NE(loadMissionFile(kept, Bytes(15, 0)), "");
    EXPECT_EQ(kept.count, 3) << "no whole line changes nothing either";

    std::vector<uint8_t> cut = file;
    cut.resize(40);
    EXPECT_NE(loadMissionFile(kept, cut), "");
    EXPECT_EQ(kept.items[0], mission.items[0]);
    EXPECT_EQ(kept.count, 3) << "the two whole lines and an end line after them";
    EXPECT_EQ(kept.items[2], line(252)) << "the cut record is not read";

    MissionList full;
    for (size_t i = 0; i < 200; ++i) {
        full.items[i] = line(2, int32_t(i), 0, 50);
    }
    full.items[200] = line(254);
    full.count = 201;
    MissionList fullLoaded;
    EXPECT_EQ(loadMissionFile(fullLoaded, saveMissionFile(full)), "");
    EXPECT_EQ(fullLoaded.count, 201) << "a full mission loads whole, its end in the last slot";
    EXPECT_EQ(fullLoaded.items[200].action, 254);

    std::vector<uint8_t> garbage(5000, 0x41);
    EXPECT_NE(loadMissionFile(kept, garbage), "");
    EXPECT_EQ(kept.count, 201) << "two hundred lines without an end keep all of them";
    EXPECT_EQ(kept.items[200].action, action::kEndReturnHome);
    EXPECT_EQ(saveMissionFile(kept).size(), 201u * 16);
}

} // namespace
} // namespace crv::mission
