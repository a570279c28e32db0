// A mission planned in the mission control window goes to the board emulator and comes back
// identical over a real pseudo-terminal, and the vehicle then flies it in AUTO.

#include "app/ground_station.h"
#include "support/emulator_process.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace crv {
namespace {

mission::MissionItem line(uint8_t action, int32_t a, int32_t b, int16_t c) {
    mission::MissionItem item;
    item.action = action;
    item.a = a;
    item.b = b;
    item.c = c;
    return item;
}

class MissionEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(emulator.start());
        ui::TForm1& main = station.mainWindow();
        main.setDatabasePath(folder.filePath("crv_data").toStdString());
        main.setStartupPort(board.toStdString());
        main.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return station.missionControlWindow().Button8->isEnabled(); },
                                    5000))
            << "Write is enabled once the link is open";
    }

    /// Plans a mission as a file and loads it, as the user would from "Load...".
    void loadMission(std::initializer_list<mission::MissionItem> lines) {
        mission::MissionList planned;
        size_t index = 0;
        for (const auto& item : lines) {
            planned.items[index++] = item;
        }
        planned.count = static_cast<uint8_t>(index);
        const auto bytes = mission::saveMissionFile(planned);
        QFile file(folder.filePath("plan.mission"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        file.close();
        station.missionControlWindow().LoadMissionFrom(file.fileName());
    }
    bool transfersIdle() {
        ui::TForm2& window = station.missionControlWindow();
        return QTest::qWaitFor(
            [&] { return window.Button8->isEnabled() && window.Button8->text() == "Write"; },
            20000);
    }

    QTemporaryDir folder;
    QString board = folder.filePath("board");
    testing::EmulatorProcess emulator{board};
    app::GroundStation station;
};

TEST_F(MissionEndToEnd, UploadsDownloadsIdenticalAndFliesIt) {
    ui::TForm2& window = station.missionControlWindow();
    // 100 m north of the emulator's home, then 100 m east of that, a wait, and the end.
    const mission::MissionItem planned[] = {
        line(0, 550237590, 734278560, 60), line(2, 90, 100, 80), line(30, 0, 0, 20),
        line(254, 0, 0, 0)};
    loadMission({planned[0], planned[1], planned[2], planned[3]});
    window.Button8->click();
    QTest::qWait(400);
    EXPECT_FALSE(window.Button9->isEnabled()) << "Read waits while Write runs";
    ASSERT_TRUE(transfersIdle());

    loadMission({line(252, 0, 0, 0)});
    ASSERT_EQ(window.missionList().count, 1);
    window.Button9->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.ListBox1->count() == 4; }, 5000));
    for (size_t i = 0; i < std::size(planned); ++i) {
        EXPECT_EQ(window.missionList().items[i], planned[i]) << "line " << i;
    }
    EXPECT_TRUE(transfersIdle());

    window.CheckBox2->setChecked(true); // "Track the mission"
    station.mainWindow().Auto1->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Label1->text() == "AUTO"; }, 5000));
    const auto nearFirstPoint = [&] {
        const map::GeoPoint at = window.mapView().vehicle;
        const double north = (at.latitude - 55.023759) * 111320;
        const double east = (at.longitude - 73.427856) * 111320 * std::cos(55.0238 * M_PI / 180);
        return std::hypot(north, east) < 30;
    };
    EXPECT_TRUE(QTest::qWaitFor(nearFirstPoint, 20000)) << "the vehicle reaches line 1";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.ListBox1->currentRow() == 1; }, 10000))
        << "and the listing follows it to line 2";
    EXPECT_FALSE(window.Button2->isEnabled()) << "editing is locked while tracking in AUTO";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.mapView().target.latitude != 0; }, 3000))
        << "the board reports the point it flies to";
    EXPECT_NEAR(window.mapView().home.latitude, 55.022861, 1e-6) << "and its home";
}

} // namespace
} // namespace crv
