// The configuration records the ground station keeps, read from the board emulator over a real
// pseudo-terminal when the configuration window opens, written back and read again.

#include "app/ground_station.h"
#include "config/config_blocks.h"
#include "config/config_commands.h"
#include "support/emulator_process.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace crv {
namespace {

class ConfigEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(emulator.start());
        ui::TForm1& main = station.mainWindow();
        main.setDatabasePath(folder.filePath("crv_data").toStdString());
        main.setStartupPort(board.toStdString());
        main.show();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return main.Label9->text() == "Corvane X ver 2.0 build 6100"; }, 5000));
    }

    config::ConfigRecordStore& records() { return station.configRecords(); }
    link::LinkFrameBuilder& out() { return station.link().builder(); }

    QTemporaryDir folder;
    QString board = folder.filePath("board");
    testing::EmulatorProcess emulator{board};
    app::GroundStation station;
};

TEST_F(ConfigEndToEnd, OpeningTheWindowFillsTheKeptRecords) {
    std::optional<config::GimbalStatus> status;
    records().setGimbalStatusShow([&](const config::GimbalStatus& shown) { status = shown; });
    bool guardArmedOnRefresh = false;
    records().setTrackerRefresh(
        [&] { guardArmedOnRefresh = records().trackerEchoGuard().active(); });

    station.mainWindow().Button16->click(); // "Autopilot Config"
    ASSERT_TRUE(QTest::qWaitFor([&] { return status.has_value(); }, 5000)) << "the last answer";
    EXPECT_EQ(records().airframe().name(), "Wing      ");
    EXPECT_EQ(records().airframe().mix(0, 1), 50);
    EXPECT_EQ(records().tracker().bytes[config::TrackerRecord::kReserved], 0x5A);
    EXPECT_EQ(records().tracker().position(1), -50);
    EXPECT_EQ(records().atol().landingDistanceM(), 200);
    EXPECT_EQ(records().atol().bytes[5], 0x5A);
    EXPECT_EQ(records().atol().bytes[11], 0xA5);
    EXPECT_EQ(records().gimbalControls().tiltGain(), -100);
    EXPECT_EQ(records().gimbalAxis(1).lowStop(), -600);
    EXPECT_TRUE(records().gimbalAxis(2).inverted());
    EXPECT_EQ(status->panAngleDeciDeg, 125);
    EXPECT_EQ(status->tiltPosition, -80);

    EXPECT_TRUE(guardArmedOnRefresh);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !records().trackerEchoGuard().active(); }, 2000))
        << "the main window's timer runs the guard down";
}

TEST_F(ConfigEndToEnd, WrittenRecordsReadBackAsTheyWereSent) {
    station.mainWindow().Button16->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return records().atol().bytes[11] == 0xA5; }, 5000));
    ASSERT_EQ(records().airframe().name(), "Wing      ");

    // Edited as a page would, then written from the images.
    records().atol().bytes[1] = 10;
    records().tracker().bytes[config::TrackerRecord::kSpeedIndex] = 4;
    records().airframe().bytes[config::AirframeRecord::kTrims + 2] = 0xFB; // M3 trim -5
    const auto atol = records().atol().bytes;
    const auto tracker = records().tracker().bytes;
    const auto airframe = records().airframe().bytes;
    config::sendAtol(out(), records().atol());
    config::sendTracker(out(), records().tracker());
    config::sendTrims(out(), records().airframe());

    records().atol() = {};
    records().tracker() = {};
    records().airframe() = {};
    config::RequestAtol(out());
    config::RequestConfigBlock(out(), config::block::kTracker);
    config::RequestConfigBlock(out(), config::block::kAirframe);
    ASSERT_TRUE(QTest::qWaitFor([&] { return records().airframe().bytes == airframe; }, 3000));
    EXPECT_EQ(records().atol().bytes, atol) << "reserved bytes included";
    EXPECT_EQ(records().tracker().bytes, tracker);
}

} // namespace
} // namespace crv
