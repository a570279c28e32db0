// The loop on the bench: a simulator peer on loopback UDP, the ground station, and the board
// emulator on a pseudo-terminal; and a virtual joystick flying the emulator's servo outputs.

#include "io/qt_serial_port.h"
#include "link/board_link.h"
#include "support/emulator_process.h"
#include "support/simulator_peer.h"
#include "ui/main/tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <SDL.h>
#include <gtest/gtest.h>

namespace crv {
namespace {

class SimulatorLoop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(peer.valid);
        form.setDatabasePath(folder.filePath("crv_data").toStdString());
        form.setSimulatorSetup({0, peer.inputPort(), CRV_SIM_REDIST});
        ASSERT_TRUE(emulator.start());
        form.setStartupPort(board.toStdString());
        form.show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return link.session().boardIdentified(); }, 5000));
    }

    QTemporaryDir folder;
    QString board = folder.filePath("board");
    testing::EmulatorProcess emulator{board};
    testing::SimulatorPeer peer{QString(CRV_SIM_REDIST) + "/corvane_sim.xml"};
    io::QtSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    ui::TForm1 form{link, database};
};

TEST_F(SimulatorLoop, StateLinesReachTheBoardAndItsServoOutputsComeBack) {
    form.fg_enabled->setChecked(true);
    // Rolled 10 degrees right: the emulator's wing leveller answers with left aileron, 400 off
    // centre, and cruise throttle; the control line carries them to the simulator.
    const QByteArray line = peer.stateLine({{"/orientation/roll-deg", 10.0},
                                            {"/accelerations/pilot/z-accel-fps_sec", -32.174}});
    const QString expected = "-0.333;0;0.75;0;0.0;0.0;0.0;\n";
    QStringList seen;
    const bool closed = QTest::qWaitFor(
        [&] {
            peer.send(form.simulatorReceivePort(), line);
            seen += peer.takeControlLines();
            return seen.contains(expected);
        },
        10000);
    EXPECT_TRUE(closed) << (seen.isEmpty() ? "no control line" : seen.last().toStdString());
    EXPECT_EQ(form.rco[0]->value(), -400);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            peer.send(form.simulatorReceivePort(), line);
            return form.fg_status->text().startsWith("Link ");
        },
        3000))
        << form.fg_status->text().toStdString();
}

class JoystickLoop : public SimulatorLoop {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 4, 0, 0);
        ASSERT_GE(device, 0) << SDL_GetError();
        stick = SDL_JoystickOpen(device);
        ASSERT_NE(stick, nullptr);
        SimulatorLoop::SetUp();
        form.ComboBox4->setCurrentIndex(device);
    }
    void TearDown() override {
        SDL_JoystickClose(stick);
        SDL_JoystickDetachVirtual(device);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    int device = -1;
    SDL_Joystick* stick = nullptr;
};

TEST_F(JoystickLoop, TheJoystickFliesTheBoardsServoOutputs) {
    form.ComboBox3->setCurrentIndex(0); // lin
    SDL_JoystickSetVirtualAxis(stick, 0, 32767);  // full right
    SDL_JoystickSetVirtualAxis(stick, 1, -32768); // full forward
    SDL_JoystickSetVirtualAxis(stick, 2, -1);     // throttle at the middle
    SDL_JoystickSetVirtualAxis(stick, 3, 0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return form.jrollbar->value() == 65535; }, 3000))
        << form.jstatus->text().toStdString();
    EXPECT_EQ(form.jstatus->text(), "Joystick detected");
    EXPECT_EQ(form.jpitchbar->value(), 0);

    form.CheckBox6->setChecked(true);
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return form.rco[0]->value() == 1199 && form.rco[1]->value() == -1200; }, 5000))
        << form.rco[0]->value() << " " << form.rco[1]->value();
    EXPECT_EQ(form.jstatus->text(), "Joystick ACTIVE");
    EXPECT_EQ(form.rco[2]->value(), 0);
}

} // namespace
} // namespace crv
