// Pictures of the windows as a user sees them, connected to a board: the main window, every
// page of the configuration window and the mission control window with a mission on the map of
// the local tile server, flown by the emulator in AUTO, and the recorder playing back what it
// has just recorded, saved as PNG files. Run it under a display (Xvfb will do).
//
// usage: window_shots DEVICE FOLDER [SECONDS [MAP_SECONDS]]

#include "app/ground_station.h"
#include "mission/mission.h"
#include "ui/console/code_editor.h"
#include "ui/console/tform13.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QComboBox>
#include <QTest>
#include <QUdpSocket>

#include <SDL.h>

#include <cstdio>

namespace {

using crv::mission::MissionItem;

MissionItem line(uint8_t action, int32_t a, int32_t b, int16_t c, uint8_t target = 0) {
    MissionItem item;
    item.action = action;
    item.line = target;
    item.a = a;
    item.b = b;
    item.c = c;
    return item;
}

/// A mission of several kinds of lines around the emulator's home, as a file to load.
QString writeDemoMission(const QDir& folder) {
    crv::mission::MissionList mission;
    const MissionItem lines[] = {
        line(5, 0, 0, 0),
        line(0, 550250000, 734250000, 80),
        line(2, 300, 350, 100),
        line(1, 13500, 400, 90),
        line(4, -150, -200, 10),
        line(30, 0, 0, 50),
        line(31, 0, 0, 1, 1),
        line(252, 0, 0, 0),
    };
    for (size_t i = 0; i < std::size(lines); ++i) {
        mission.items[i] = lines[i];
    }
    mission.count = std::size(lines);
    const std::vector<uint8_t> bytes = crv::mission::saveMissionFile(mission);
    const QString path = folder.filePath("demo.mission");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    return path;
}

/// The simulator and joystick groups in use: a virtual joystick half right and a simulator
/// peer sending a banked state, with both groups enabled.
void shootSimulatorAndJoystick(crv::ui::TForm1& main, const QString& path) {
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 4, 0, 0);
    SDL_Joystick* stick = SDL_JoystickOpen(device);
    const Sint16 axes[] = {16384, -8000, -20000, 4000};
    for (int axis = 0; axis < 4; ++axis) {
        SDL_JoystickSetVirtualAxis(stick, axis, axes[axis]);
    }
    main.ComboBox4->setCurrentIndex(device);
    main.CheckBox6->setChecked(true);
    main.fg_enabled->setChecked(true);
    QUdpSocket simulator;
    const QByteArray line = "$FD,0.0,0.0,-9.8066,20.00,5.00,135.00,55.0228614,73.4278569,120.0,"
                            "90.0,88.0,0.50\n";
    for (int k = 0; k < 40; ++k) {
        simulator.writeDatagram(line, QHostAddress::LocalHost, 5402);
        QTest::qWait(50);
    }
    main.grab().save(path);
    main.fg_enabled->setChecked(false);
    main.CheckBox6->setChecked(false);
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(device);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_shots DEVICE FOLDER [SECONDS [MAP_SECONDS]]\n");
        return 2;
    }
    const QDir folder(argv[2]);
    folder.mkpath(".");
    const int settleMs = (argc > 3 ? std::atoi(argv[3]) : 4) * 1000;
    const int mapSettleMs = (argc > 4 ? std::atoi(argv[4]) : 20) * 1000;

    crv::app::GroundStation station;
    crv::ui::TForm1& main = station.mainWindow();
    main.setStartupPort(argv[1]);
    main.show();
    QTest::qWait(settleMs); // connected, identified, telemetry flowing
    main.grab().save(folder.filePath("main_window.png"));
    shootSimulatorAndJoystick(main, folder.filePath("main_window_sim_joystick.png"));

    crv::ui::TForm3& configuration = station.configurationWindow();
    configuration.OpenConfigurationWindow();
    QTest::qWait(1000); // the blocks arrive
    for (int page = 0; page < configuration.PageControl1->count(); ++page) {
        configuration.PageControl1->setCurrentIndex(page);
        QTest::qWait(100);
        const QString name = configuration.PageControl1->widget(page)->objectName();
        configuration.grab().save(folder.filePath("config_" + name + ".png"));
    }
    configuration.hide();

    crv::ui::TForm2& missionControl = station.missionControlWindow();
    main.Button15->click();
    missionControl.LoadMissionFrom(writeDemoMission(folder));
    missionControl.TrackBar1->setValue(15);
    missionControl.CheckBox3->setChecked(true);
    missionControl.Button8->click(); // upload, a line every 300 ms
    QTest::qWait(3000);
    main.Auto1->trigger(); // the emulator flies the mission
    missionControl.CheckBox2->setChecked(true);
    QTest::qWait(mapSettleMs); // the version, then one tile every 900 ms
    missionControl.grab().save(folder.filePath("mission_control.png"));

    // The console tools: a terminal session, a script in the codepad after a round trip through
    // the board's flash, the line numbers dialog, the OSD capture and the Packages page after a
    // voice pack upload.
    crv::ui::TForm10& terminal = station.terminalWindow();
    crv::ui::TForm12& codepad = station.codepadWindow();
    main.Button24->click();
    for (const char* line : {"help", "ver", "list", "bogus"}) {
        terminal.Edit1->setText(line);
        terminal.Button2Click();
        QTest::qWait(700);
    }
    terminal.grab().save(folder.filePath("terminal.png"));
    codepad.Memo1->setPlainText("10 REM blink the LED\n20 PRINT \"LED ON\"\n30 WAIT 500\n"
                                "40 PRINT \"LED OFF\" ' and off again\n50 WAIT 500\n60 GOTO 20");
    codepad.Writetoboard1->trigger();
    QTest::qWait(1500);
    codepad.Memo1->clear();
    codepad.Readfromboard1->trigger();
    QTest::qWait(1500);
    codepad.grab().save(folder.filePath("codepad.png"));
    codepad.Form13->Edit1->setText("10");
    codepad.Form13->Edit2->setText("10");
    codepad.Form13->show();
    QTest::qWait(200);
    codepad.Form13->grab().save(folder.filePath("line_numbers.png"));
    codepad.Form13->hide();
    crv::ui::TForm11& osd = station.osdCaptureWindow();
    main.BitBtn3->click();
    QTest::qWait(3000);
    osd.grab().save(folder.filePath("osd_capture.png"));
    osd.SavePicture(folder.filePath("osd_picture.png"));
    osd.close();
    QFile pack(folder.filePath("demo.XVPack"));
    if (pack.open(QIODevice::WriteOnly)) {
        pack.write(QByteArray(3000, 'v'));
        pack.close();
    }
    configuration.UploadVoicePack(pack.fileName());
    QTest::qWait(1500);
    configuration.PageControl1->setCurrentWidget(configuration.TabSheet3);
    configuration.grab().save(folder.filePath("config_packages_after_upload.png"));
    configuration.hide();
    codepad.hide();
    terminal.hide();

    // The recorder plays back a few seconds it has just recorded.
    crv::ui::TForm7& recorder = station.recorderWindow();
    recorder.flightRecorder().setFolder(folder.path().toStdString());
    main.BitBtn1->click();
    recorder.BitBtn7->click();
    QTest::qWait(6000);
    recorder.BitBtn4->click();
    recorder.OpenLogFile(QString::fromStdString(recorder.flightRecorder().currentFile()));
    if (!QTest::qWaitFor([&recorder] { return !recorder.busy(); }, 5000)) {
        std::fprintf(stderr, "The recording could not be opened\n");
    }
    recorder.BitBtn2->click();
    QTest::qWait(2500);
    recorder.grab().save(folder.filePath("recorder.png"));
    main.grab().save(folder.filePath("main_window_playback.png"));
    std::printf("Saved the pictures in %s\n", argv[2]);
    return 0;
}
