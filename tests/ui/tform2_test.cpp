#include "ui/mission/tform2.h"

#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"
#include "support/modal_catcher.h"
#include "support/test_folder.h"
#include "tiles/tile_encoder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace crv::ui {
namespace {

using link::testing::Bytes;

/// The window over a fake board port, a real settings file and a cache with no server behind.
class TForm2Test : public ::testing::Test {
protected:
    TForm2Test() {
        database.OpenLocalDatabase(folder.file("crv_data"));
        link.session().connect("/tmp/pty");
        form.Timer1->stop(); // the tests tick it themselves
        port.written.clear();
    }

    void receive(uint8_t type, const Bytes& payload) {
        const Bytes frame = link::testing::frameOf(type, payload);
        port.receive(frame);
        port.listener->bytesWaiting(frame.size());
    }
    QStringList listing() const {
        QStringList lines;
        for (int row = 0; row < form.ListBox1->count(); ++row) {
            lines << form.ListBox1->item(row)->text();
        }
        return lines;
    }
    void choose(int choice) { form.ComboBox1->setCurrentIndex(choice); }
    void fill(const QStringList& texts) {
        QLineEdit* fields[] = {form.p1t, form.p2t, form.p3t, form.p4t};
        for (int k = 0; k < texts.size(); ++k) {
            fields[k]->setText(texts[k]);
        }
    }
    void select(int row) {
        form.ListBox1->setCurrentRow(row);
        emit form.ListBox1->itemClicked(form.ListBox1->item(row));
    }
    /// Adds a line above the selected one from a choice and typed fields.
    void addAbove(int choice, const QStringList& texts) {
        choose(choice);
        fill(texts);
        form.Button3->click();
    }
    std::vector<Bytes> framesWritten() const {
        std::vector<Bytes> frames;
        for (size_t at = 0; at + 2 < port.written.size(); at += port.written[at + 1] + 2u) {
            frames.emplace_back(port.written.begin() + at,
                                port.written.begin() + at + port.written[at + 1] + 2);
        }
        return frames;
    }

    testing::TestFolder folder{"crv-tform2"};
    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    store::TileCache cache{database};
    store::TileFetcher fetcher{cache, {"127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1", "none"}};
    telemetry::VehicleState vehicle;
    TForm2 form{link, database, cache, fetcher, vehicle};
};

TEST_F(TForm2Test, StartsWithTheEndLineAndAGotoLineInTheEditor) {
    EXPECT_EQ(form.windowTitle(), "Corvane X Mission Control");
    EXPECT_EQ(listing(), QStringList{"1. ==END== (return home)"});
    EXPECT_EQ(form.editItem().action, 0);
    EXPECT_TRUE(form.Timer1->interval() == 300);
    EXPECT_EQ(form.Label8->text(), "Total points:0 Distance:0m");
    EXPECT_EQ(form.Label1->text(), "Autopilot mode: -");
}

TEST_F(TForm2Test, EditingBuildsTheListing) {
    select(0);
    choose(8); // "30 - delay x100ms (loiter here)"
    EXPECT_EQ(form.editItem().action, 30);
    EXPECT_TRUE(form.p1t->isHidden());
    EXPECT_FALSE(form.p3t->isHidden());
    fill({"0", "0", "25"});
    form.Button3->click(); // above the end line
    EXPECT_EQ(listing(), (QStringList{"1. delay 2.5s", "2. ==END== (return home)"}));

    addAbove(2, {"100", "-50", "30"});
    select(1); // the delay, now in the editor
    form.Button4->click();
    EXPECT_EQ(listing(), (QStringList{"1. goto 100mN,-50mE and 30m up rel to base",
                                      "2. delay 2.5s", "3. delay 2.5s",
                                      "4. ==END== (return home)"}));
    select(3);
    form.Button4->click();
    form.Button5->click();
    EXPECT_EQ(listing().size(), 4) << "Below and Del do nothing on the end line";

    select(2);
    choose(7);
    fill({"55.1", "73.2", "350.00", "-2"});
    form.Button2->click(); // MOD
    EXPECT_EQ(listing()[2], "3. land at 55.100000,73.200000 HDG 350.00deg, bias -2m");
    select(1);
    form.Button5->click();
    EXPECT_EQ(listing().size(), 3);
    EXPECT_EQ(form.Label8->text().left(15), "Total points:2 ");
}

TEST_F(TForm2Test, ClickingALineShowsItInTheEditor) {
    addAbove(7, {"-33.9", "151.2", "350.00", "-4"});
    select(1);
    EXPECT_EQ(form.p3t->text(), "350.00") << "the end line leaves the editor as it was";
    fill({"0", "0", "0", "0"});
    select(0);
    EXPECT_EQ(form.ComboBox1->currentIndex(), 7);
    EXPECT_EQ(form.p1t->text(), "-33.900000");
    EXPECT_EQ(form.p3t->text(), "350.00");
    EXPECT_EQ(form.p4t->text(), "-4");
    EXPECT_FALSE(form.p4t->isHidden());
    form.RedrawMap();
    EXPECT_NEAR(form.mapView().centre().latitude, -33.9, 1e-4) << "the map went to the point";
}

TEST_F(TForm2Test, FieldsThatAreNoNumberAreRefusedVisibly) {
    testing::ModalCatcher catcher;
    select(0);
    addAbove(0, {"55,1", "73", "100"});
    EXPECT_EQ(catcher.texts, QStringList{"'55,1' is not a valid floating point value"});
    EXPECT_EQ(listing().size(), 1) << "the mission is unchanged";
}

TEST_F(TForm2Test, WriteSendsALineATickAndIsDisabledMeanwhile) {
    select(0);
    addAbove(5, {});                   // takeoff
    addAbove(2, {"100", "0", "50"});   // base-relative point, above the takeoff
    form.Button8->click();
    for (int tick = 0; tick < 2; ++tick) {
        form.Timer1Timer();
        EXPECT_EQ(form.Button8->text(), QString::number(tick) + "...");
        EXPECT_FALSE(form.Button9->isEnabled() && tick == 1);
    }
    form.Timer1Timer();
    EXPECT_EQ(form.Button8->text(), "Write");
    const auto frames = framesWritten();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], (Bytes{0xCB, 0x11, 0x1D, 0, 2, 0, 0, 0, 0, 100, 0, 0, 0, 0, 0, 50, 0, 0,
                                0xCB ^ 0x11 ^ 0x1D ^ 2 ^ 100 ^ 50}));
    EXPECT_EQ(frames[2][3], 2) << "index";
    EXPECT_EQ(frames[2][4], 252) << "the end line, last";
    form.Timer1Timer();
    EXPECT_TRUE(form.Button8->isEnabled());
    EXPECT_EQ(framesWritten().size(), 3u);
}

TEST_F(TForm2Test, LowAltitudeWarningLetsTheUserCancelOrGoOn) {
    select(0);
    addAbove(0, {"55", "73", "0"});
    {
        testing::ModalCatcher cancel(QMessageBox::Cancel);
        form.Button8->click();
        ASSERT_EQ(cancel.texts.size(), 1);
        EXPECT_TRUE(cancel.texts[0].startsWith("ATTENTION!\nDuring the mission"));
    }
    form.Timer1Timer();
    EXPECT_TRUE(port.written.empty()) << "Cancel uploads nothing";
    testing::ModalCatcher ok(QMessageBox::Ok);
    form.Button8->click();
    form.Timer1Timer();
    EXPECT_EQ(framesWritten().size(), 1u);
}

TEST_F(TForm2Test, ReadAsksLineByLineAndListsWhatArrived) {
    form.Button9->click();
    EXPECT_EQ(port.written, (Bytes{0xCB, 0x03, 0x9D, 0x00, 0xCB ^ 0x03 ^ 0x9D}));
    form.Timer1Timer();
    EXPECT_FALSE(form.Button8->isEnabled()) << "disabled while the download runs";
    port.written.clear();
    receive(29, {0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    receive(29, {1, 2, 0, 0, 0, 0, 100, 0, 0, 0, 50, 0, 30, 0, 0});
    EXPECT_EQ(port.written, (Bytes{0xCB, 0x03, 0x9D, 0x01, 0xCB ^ 0x03 ^ 0x9D ^ 1, 0xCB, 0x03,
                                   0x9D, 0x02, 0xCB ^ 0x03 ^ 0x9D ^ 2}));
    receive(29, {2, 254, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(listing(), (QStringList{"1. takeoff ", "2. goto 100mN,50mE and 30m up rel to base",
                                      "3. ==END== (repeat mission)"}));
    form.Timer1Timer();
    EXPECT_TRUE(form.Button9->isEnabled());
    receive(29, {240, 2, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 1});
    EXPECT_EQ(form.missionList().count, 3) << "a line past the list is ignored";
}

TEST_F(TForm2Test, TrackingFollowsTheBoardsLineInAuto) {
    select(0);
    addAbove(0, {"10", "20", "100"});
    addAbove(0, {"11", "21", "100"});
    form.CheckBox2->setChecked(true);
    vehicle.flightMode = 6;
    vehicle.waypointIndex = 1;
    form.Timer1Timer();
    EXPECT_EQ(form.Label1->text(), "AUTO");
    EXPECT_EQ(form.ListBox1->currentRow(), 1);
    EXPECT_EQ(form.Label4->text(), "0") << "shows the line selected before this tick";
    EXPECT_FALSE(form.Button2->isEnabled());
    EXPECT_FALSE(form.ListBox1->isEnabled());
    EXPECT_NEAR(form.mapView().centre().latitude, 10, 1e-4) << "centred on the current line";

    vehicle.waypointIndex = 7; // past the mission: nothing to select
    vehicle.flightMode = 2;
    form.Timer1Timer();
    EXPECT_EQ(form.Label1->text(), "Stabilize") << "a mode byte of 2";
    EXPECT_TRUE(form.Button2->isEnabled());
    vehicle.flightMode = 44;
    form.Timer1Timer();
    EXPECT_EQ(form.Label1->text(), "Stabilize") << "unknown modes leave the label";
}

TEST_F(TForm2Test, FollowThePlaneAndTrackExcludeEachOther) {
    form.CheckBox1->setChecked(true);
    form.CheckBox2->setChecked(true);
    EXPECT_FALSE(form.CheckBox1->isChecked());
    form.CheckBox1->setChecked(true);
    EXPECT_FALSE(form.CheckBox2->isChecked());
    vehicle.latitudeD = 48.5;
    vehicle.longitudeD = 9.25;
    form.VehicleMoved();
    EXPECT_EQ(form.mapView().centrePixel(), map::LatLonToPixel(48.5, 9.25, 18));
}

TEST_F(TForm2Test, BoardPositionsSetHomeAndTarget) {
    // 27/51: home at 10.0, -20.0; 27/50: target at 1.5, 2.5.
    receive(27, {51, 0x05, 0xF5, 0xE1, 0x00, 0xF4, 0x14, 0x3E, 0x00});
    receive(27, {50, 0x00, 0xE4, 0xE1, 0xC0, 0x01, 0x7D, 0x78, 0x40});
    EXPECT_NEAR(form.mapView().home.latitude, 10, 1e-9);
    EXPECT_NEAR(form.mapView().home.longitude, -20, 1e-9);
    EXPECT_NEAR(form.mapView().target.latitude, 1.5, 1e-9);
    EXPECT_NEAR(form.mapView().target.longitude, 2.5, 1e-9);
}

TEST_F(TForm2Test, SetMapHomeStoresTheCentre) {
    form.MainWindowShown({50, 8});
    form.RedrawMap();
    form.Button12->click();
    store::SettingsStore settings(database);
    EXPECT_NEAR(settings.GetFloatParam("Map_home_lat", 0), 50, 1e-4);
    EXPECT_NEAR(settings.GetFloatParam("Map_home_lon", 0), 8, 1e-4);
}

TEST_F(TForm2Test, MissionFilesRoundTripAndBadOnesAreTold) {
    select(0);
    addAbove(0, {"55.5", "73.5", "120"});
    addAbove(9, {"1", "", "3"});
    const QString path = QString::fromStdString(folder.file("trip.mission"));
    form.SaveMissionTo(path);
    EXPECT_EQ(QFile(path).size(), 3 * 16);
    const QStringList saved = listing();

    select(0);
    form.Button5->click();
    form.LoadMissionFrom(path);
    EXPECT_EQ(listing(), saved);
    EXPECT_EQ(form.ComboBox1->currentIndex(), 9) << "line 0 is in the editor";

    testing::ModalCatcher catcher;
    QFile garbage(QString::fromStdString(folder.file("bad.mission")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(40, '\x07'));
    garbage.close();
    form.LoadMissionFrom(garbage.fileName());
    EXPECT_EQ(catcher.texts.size(), 1);
    EXPECT_EQ(listing().size(), 3) << "two whole lines and an end line";
    form.LoadMissionFrom(QString::fromStdString(folder.file("missing.mission")));
    EXPECT_EQ(catcher.texts.size(), 2);
    EXPECT_EQ(listing().size(), 3);
}

/// Answers the next file dialog that opens with a path, on every poll until that dialog has
/// gone (an early answer can come before its loop runs); later dialogs are left alone.
void answerFileDialog(QObject* owner, const QString& path) {
    auto* poll = new QTimer(owner); // ends with its owner if the test ends first
    poll->setInterval(20);
    struct Target {
        QPointer<QFileDialog> dialog;
        bool chosen = false;
    };
    auto target = std::make_shared<Target>();
    QObject::connect(poll, &QTimer::timeout, [poll, path, target] {
        if (!target->chosen) {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QFileDialog*>(widget);
                if (dialog != nullptr && dialog->isVisible()) {
                    target->dialog = dialog;
                    target->chosen = true;
                }
            }
            if (!target->chosen) {
                return;
            }
        }
        QFileDialog* dialog = target->dialog.data();
        if (dialog == nullptr || !dialog->isVisible()) {
            poll->stop();
            poll->deleteLater();
            return;
        }
        dialog->selectFile(path);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (name != nullptr && name->text().isEmpty()) {
            name->setText(path); // a new file: as the user types it
        }
        // The dialog takes a selection in over a few events; accept once it shows.
        if (dialog->selectedFiles().value(0).startsWith(path)) {
            QMetaObject::invokeMethod(dialog, "accept");
        }
    });
    poll->start();
}

TEST_F(TForm2Test, SaveAndLoadDialogsUseMissionFiles) {
    select(0);
    addAbove(6, {}); // land
    answerFileDialog(&form, QString::fromStdString(folder.file("typed")));
    form.Button7->click();
    const QString saved = QString::fromStdString(folder.file("typed.mission"));
    ASSERT_TRUE(QFile::exists(saved)) << "the extension is added";

    select(0);
    form.Button5->click();
    ASSERT_EQ(listing().size(), 1);
    answerFileDialog(&form, saved);
    form.Button6->click();
    EXPECT_EQ(listing(), (QStringList{"1. land ", "2. ==END== (return home)"}));
}

TEST_F(TForm2Test, CopyToActionsFillsTheFieldsFromTheMapCentreEveryTick) {
    form.MainWindowShown({0, 0});
    choose(2); // metres north and east of home
    form.CheckBox4->setChecked(true);
    form.Edit1->setText("0.001, 0");
    form.Button1->click(); // Locate: the map goes there
    form.Timer1Timer();    // the redraw moves the centre; the fields follow on the next tick
    form.Timer1Timer();
    EXPECT_NEAR(form.p1t->text().toInt(), 111, 1) << "metres north, to the pixel of the centre";
    EXPECT_EQ(form.p2t->text(), "0");
}

// A redraw over a prepared cache: cached tiles drawn where they belong, "No data" elsewhere.
TEST_F(TForm2Test, RedrawShowsCachedTilesAroundTheCentre) {
    constexpr int kZoom = 4;
    ASSERT_TRUE(cache.StoreTile(store::TileLayer::Satellite, {5, 6, kZoom},
                                tiles::encodeJpeg(map::RgbaImage(256, 256, 0xFF808080), 100))
                    .ok());
    form.TrackBar1->setValue(kZoom);
    form.MainWindowShown(map::PixelToLatLon(5 * 256 + 128, 6 * 256 + 128, kZoom));
    form.RedrawMap();
    // Tiles are decoded on workers; a finished picture posts the redraw that shows it.
    QElapsedTimer waited;
    waited.start();
    while (form.tileGrid().decoding() && waited.elapsed() < 3000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(form.tileGrid().slot(4).state[0], map::SlotState::Loaded);
    const QImage& frame = form.mapFrame();
    EXPECT_NEAR(qRed(frame.pixel(128 + 10, 128 + 10)), 0x80, 2) << "the centre tile";
    EXPECT_EQ(frame.pixel(10, 10), qRgb(0, 0, 255)) << "a tile not cached shows No data";
    EXPECT_NE(frame.pixel(256, 300), frame.pixel(250, 300)) << "the crosshair";
    EXPECT_EQ(form.Label9->text(), QString::fromStdString(form.mapView().centreText()));
    EXPECT_FALSE(cache.MapBusy());
}

TEST(TForm2DamagedCacheTest, AFileThatIsNoDatabaseLeavesTheMapWorkingWithoutTiles) {
    testing::TestFolder folder{"crv-tform2-damaged"};
    const std::string path = folder.file("crv_data");
    QFile damaged(QString::fromStdString(path));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();
    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    EXPECT_FALSE(database.OpenLocalDatabase(path).ok());
    store::TileCache cache{database};
    store::TileFetcher fetcher{cache, {"127.0.0.1:1", "127.0.0.1:1", "127.0.0.1:1", "none"}};
    telemetry::VehicleState vehicle;
    TForm2 form{link, database, cache, fetcher, vehicle};
    form.MainWindowShown({55, 73});
    form.CheckBox3->setChecked(true);
    for (int tick = 0; tick < 5; ++tick) {
        form.Timer1Timer();
    }
    EXPECT_EQ(form.mapFrame().pixel(10, 10), qRgb(0, 0, 255)) << "No data";
    EXPECT_EQ(form.tileGrid().slot(4).state[0], map::SlotState::Missing);
    EXPECT_EQ(QFile(QString::fromStdString(path)).size(), 8192) << "the file is left alone";
}

} // namespace
} // namespace crv::ui
