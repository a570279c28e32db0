#include "mission/mission_editor.h"

#include "mission_lines.h"
#include "support/frame_recorder.h"

#include <gtest/gtest.h>

namespace crv::mission {
namespace {

using link::testing::Bytes;

FieldTexts fields(const char* p1, const char* p2, const char* p3, const char* p4 = "0") {
    return {p1, p2, p3, p4};
}

TEST(MissionEditorTest, ChoicesNameTheirActionsAndFields) {
    const struct {
        int choice;
        uint8_t action;
        std::array<bool, 4> shown;
    } rows[] = {
        {0, 0, {true, true, true, false}}, {1, 1, {true, true, true, false}},
        {4, 4, {true, true, true, false}}, {5, 5, {false, false, false, false}},
        {6, 6, {false, false, false, false}}, {7, 7, {true, true, true, true}},
        {8, 30, {false, false, true, false}}, {9, 31, {true, false, true, false}},
    };
    ASSERT_EQ(actionChoices().size(), 10u);
    for (const auto& row : rows) {
        EXPECT_EQ(actionOfChoice(actionChoices()[row.choice]), row.action) << row.choice;
        EXPECT_EQ(shownFields(row.action), row.shown) << int(row.action);
        EXPECT_EQ(showItem(line(row.action), {}).choice, row.choice);
    }
    EXPECT_EQ(shownFields(252), (std::array<bool, 4>{}));
    EXPECT_EQ(showItem(line(252), {}).choice, -1);
    EXPECT_EQ(actionOfChoice("12"), 12) << "a typed number without a blank";
    EXPECT_EQ(actionOfChoice("goto"), 0);
}

TEST(MissionEditorTest, FieldsReadIntoTheLineByItsAction) {
    struct Row {
        MissionItem edit;
        FieldTexts typed;
        MissionItem read;
    };
    const Row rows[] = {
        {line(0, 0, 0, 0, 9), fields("55.022862", "73.427853", "120"),
         line(0, 550228620, 734278530, 120, 9)},
        {line(1), fields("90.5", "1000", "50"), line(1, 9050, 1000, 50)},
        // 4.35 × 100 falls just below 435 and is truncated toward zero.
        {line(1), fields("4.35", "1", "1"), line(1, 434, 1, 1)},
        {line(0), fields("-0.00000019", "0", "0"), line(0, -1, 0, 0)},
        {line(3), fields("-45.999", "20", "-5"), line(3, -4599, 20, -5)},
        {line(2), fields("100", "-50", "30"), line(2, 100, -50, 30)},
        // A landing heading of 350.00 degrees is 35000, kept as 16 bits.
        {line(7), fields("-33.9", "151.2", "350.00", "-4"),
         line(7, -339000000, 1512000000, static_cast<int16_t>(35000), -4)},
        {line(30, 5, 6), fields("x", "y", "25"), line(30, 5, 6, 25)},
        {line(31), fields("3", "", "4"), line(31, 0, 0, 4, 0, 2)},
        {line(5, 1, 2, 3, 4), fields("x", "x", "x", "x"), line(5, 1, 2, 3, 4)},
    };
    for (const Row& row : rows) {
        const FieldRead read = readFields(row.edit, row.typed);
        ASSERT_TRUE(read.item) << int(row.edit.action) << ": " << read.error;
        EXPECT_EQ(*read.item, row.read) << int(row.edit.action);
    }
}

TEST(MissionEditorTest, FieldsThatAreNoNumberOrDoNotFitAreRefused) {
    const struct {
        MissionItem edit;
        FieldTexts typed;
        const char* error;
    } rows[] = {
        {line(0), fields("55,02", "73", "120"), "'55,02' is not a valid floating point value"},
        {line(0), fields("55", "73", "12.5"), "'12.5' is not a valid integer value"},
        {line(2), fields("1", "2", "40000"), "'40000' is out of range for P3 (-32768 to 32767)"},
        {line(0), fields("300", "0", "1"),
         "'300' is out of range for P1 (-214.7483648 to 214.7483647)"},
        {line(7), fields("1", "2", "700", "0"), "'700' is out of range for P3 (-327.68 to 655.35)"},
        {line(31), fields("0", "", "2"), "'0' is out of range for P1 (1 to 200)"},
        {line(30), fields("", "", ""), "'' is not a valid integer value"},
    };
    for (const auto& row : rows) {
        const FieldRead read = readFields(row.edit, row.typed);
        EXPECT_FALSE(read.item) << row.error;
        EXPECT_EQ(read.error, row.error);
    }
}

TEST(MissionEditorTest, ShowingALineFillsItsFieldsAndCentresThePoint) {
    const map::GeoPoint home{0, 0};
    const ItemView goTo = showItem(line(0, 550228614, 734278560, 120), home);
    EXPECT_EQ(goTo.fields[0], "55.022861");
    EXPECT_EQ(goTo.fields[2], "120");
    EXPECT_FALSE(goTo.fields[3]) << "P4 stays as it is";
    EXPECT_NEAR(goTo.centre->latitude, 55.0228614, 1e-9);

    const ItemView east = showItem(line(1, 9000, 1000, 50), home);
    EXPECT_EQ(east.fields[0], "90.00");
    EXPECT_NEAR(east.centre->latitude, 0, 1e-12);
    EXPECT_NEAR(east.centre->longitude, 0.009, 1e-12);

    const ItemView north = showItem(line(2, 100, -50, 30), {60, 10});
    EXPECT_NEAR(north.centre->latitude, 60.0009, 1e-12);
    EXPECT_NEAR(north.centre->longitude, 10 - 50 * 9e-6 / 0.5, 1e-9) << "scaled at home";

    const ItemView landing = showItem(line(7, 1, 2, static_cast<int16_t>(35000), -3), home);
    EXPECT_EQ(landing.fields[2], "350.00");
    EXPECT_EQ(landing.fields[3], "-3");
    EXPECT_FALSE(showItem(line(3, 100, 5, 5), home).centre) << "current-relative: map stays";
    const ItemView repeat = showItem(line(31, 0, 0, 4, 0, 2), home);
    EXPECT_EQ(repeat.fields[0], "3");
    EXPECT_EQ(repeat.fields[2], "4");
    EXPECT_FALSE(repeat.fields[1]);
}

TEST(MissionEditorTest, CopyToActionsTurnsTheMapCentreIntoFields) {
    const map::GeoPoint home{0, 0};
    const map::GeoPoint centre{0.001, 0};
    EXPECT_EQ(centreAsFields(0, centre, home), (std::array<std::string, 2>{"0.001000", "0.000000"}));
    EXPECT_EQ(centreAsFields(1, centre, home), (std::array<std::string, 2>{"0.00", "111"}));
    EXPECT_EQ(centreAsFields(2, centre, home), (std::array<std::string, 2>{"111", "0"}));
    EXPECT_EQ(centreAsFields(1, {0, -0.001}, home), (std::array<std::string, 2>{"270.00", "111"}))
        << "headings are kept from 0 to 360";
    EXPECT_FALSE(centreAsFields(30, centre, home));
}

TEST(MissionEditorTest, InsertingAndDeletingKeepTheEndLineAndTheCapacity) {
    MissionList mission;
    EXPECT_FALSE(deleteLine(mission, 0)) << "a one-line mission keeps its line";
    ASSERT_TRUE(insertLine(mission, 0, line(5))); // "Above" on the end line
    ASSERT_TRUE(insertLine(mission, 1, line(6)));
    EXPECT_EQ(mission.count, 3);
    EXPECT_EQ(mission.items[2].action, 252);
    EXPECT_FALSE(deleteLine(mission, 2)) << "the end line stays";
    ASSERT_TRUE(deleteLine(mission, 0));
    EXPECT_EQ(mission.count, 2);
    EXPECT_EQ(mission.items[0].action, 6);
    EXPECT_EQ(mission.items[1].action, 252);

    while (mission.count < MissionList::kSlots) {
        ASSERT_TRUE(insertLine(mission, 0, line(4)));
    }
    EXPECT_EQ(mission.items[200].action, 252) << "slot 200 received the end line";
    EXPECT_FALSE(insertLine(mission, 0, line(5))) << "a full list grows no further";
    EXPECT_EQ(mission.count, 201);
    EXPECT_EQ(mission.items[200].action, 252);
}

/// The frames the transfers send, collected.
class MissionTransferTest : public ::testing::Test {
protected:
    static Bytes lineFrame(uint8_t index, const MissionItem& item) {
        link::LinkCounters counters;
        link::testing::CollectingSink sink;
        link::LinkFrameBuilder builder(counters, &sink);
        sendMissionLine(builder, index, item);
        return sink.bytes;
    }
    bool receive(MissionDownload& download, uint8_t index, const MissionItem& item) {
        const Bytes frame = lineFrame(index, item);
        const Bytes payload(frame.begin() + 3, frame.end() - 1);
        return download.onLine(out, mission, {29, frame[1], payload.data(), payload.size()});
    }

    link::LinkCounters counters;
    link::testing::CollectingSink sink;
    link::LinkFrameBuilder out{counters, &sink};
    MissionList mission;
};

TEST_F(MissionTransferTest, UploadSendsALineATickUpToTheEndLine) {
    mission = missionOf({line(5), line(0, 1, 2, 30), line(254)});
    MissionUpload upload;
    upload.start();
    EXPECT_EQ(upload.tick(out, mission), "0...");
    EXPECT_EQ(upload.tick(out, mission), "1...");
    EXPECT_EQ(upload.tick(out, mission), "Write");
    EXPECT_FALSE(upload.active());
    EXPECT_EQ(upload.tick(out, mission), "Write");
    Bytes expected;
    for (uint8_t index = 0; index < 3; ++index) {
        const Bytes frame = lineFrame(index, mission.items[index]);
        expected.insert(expected.end(), frame.begin(), frame.end());
    }
    EXPECT_EQ(sink.bytes, expected);

    sink.bytes.clear();
    MissionList start;
    upload.start();
    upload.tick(out, start);
    EXPECT_EQ(sink.bytes, (Bytes{0xCB, 0x11, 0x1D, 0x00, 0xFC, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 0, 0xFC ^ 0xCB ^ 0x11 ^ 0x1D}))
        << "the start mission is one end line";
}

TEST_F(MissionTransferTest, UploadOfTwoHundredLinesStopsAfterLine199) {
    for (auto& item : mission.items) {
        item = line(0, 1, 1, 50);
    }
    mission.count = 200;
    MissionUpload upload;
    upload.start();
    int ticks = 0;
    while (upload.active() && ticks < 300) {
        upload.tick(out, mission);
        ++ticks;
    }
    EXPECT_EQ(ticks, 200);
    EXPECT_EQ(sink.frames, 200);
    EXPECT_EQ(sink.bytes[sink.bytes.size() - 19 + 3], 199) << "the last index sent";
}

TEST_F(MissionTransferTest, DownloadAsksLineByLineUntilAnEndLine) {
    MissionDownload download;
    download.start(out);
    EXPECT_EQ(sink.bytes, (Bytes{0xCB, 0x03, 0x9D, 0x00, 0xCB ^ 0x03 ^ 0x9D}));
    sink.bytes.clear();
    for (uint8_t index = 0; index < 5; ++index) {
        EXPECT_FALSE(receive(download, index, line(2, index, 0, 40)));
    }
    EXPECT_EQ(sink.frames, 6);
    EXPECT_EQ(Bytes(sink.bytes.end() - 5, sink.bytes.end()),
              (Bytes{0xCB, 0x03, 0x9D, 0x05, 0xCB ^ 0x03 ^ 0x9D ^ 0x05}));
    EXPECT_TRUE(receive(download, 5, line(254)));
    EXPECT_FALSE(download.active());
    EXPECT_EQ(mission.count, 6);
    EXPECT_EQ(mission.items[4], line(2, 4, 0, 40));
}

TEST_F(MissionTransferTest, ALineInTheLastSlotEndsTheDownload) {
    MissionDownload download;
    download.start(out);
    const int framesBefore = sink.frames;
    EXPECT_TRUE(receive(download, 200, line(4, 1, 1, 1)));
    EXPECT_EQ(sink.frames, framesBefore) << "no request for a line past the list";
    EXPECT_EQ(mission.count, 201);
    EXPECT_EQ(mission.items[200].action, 252);
}

} // namespace
} // namespace crv::mission
