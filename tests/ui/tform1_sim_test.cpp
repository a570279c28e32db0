// The main window's simulator and joystick groups: the folder, the plug-in, datagrams over
// loopback UDP, and a virtual joystick of SDL's own.

#include "ui/main/tform1.h"

#include "link/link_frame_parser.h"
#include "support/fake_serial_port.h"
#include "support/frame_recorder.h"
#include "support/modal_catcher.h"
#include "support/simulator_peer.h"
#include "support/sqlite_query.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <SDL.h>
#include <gtest/gtest.h>

namespace crv::ui {
namespace {

using link::testing::Bytes;
using link::testing::SeenFrame;

const QString kProtocol = QString(CRV_SIM_REDIST) + "/corvane_sim.xml";

class TForm1SimTest : public ::testing::Test {
protected:
    TForm1SimTest() {
        form.setDatabasePath(folder.filePath("crv_data").toStdString());
        form.setSimulatorSetup({0, peer.inputPort(), CRV_SIM_REDIST});
        form.show();
        form.Timer1->stop(); // the tests run the timers' steps themselves
        form.Timer3->stop();
    }

    void openLink() {
        form.ComboBox1->setEditText("/tmp/fake-board");
        form.Button1->click();
        port.written.clear();
    }
    std::vector<SeenFrame> framesWritten() {
        link::LinkCounters counters;
        link::MessageDispatcher dispatcher;
        std::vector<SeenFrame> frames;
        for (int type = 0; type < 128; ++type) {
            dispatcher.setHandler(static_cast<uint8_t>(type), [&frames](const link::LinkFrame& f) {
                frames.push_back(link::testing::seen(f));
            });
        }
        link::LinkFrameParser parser(counters, dispatcher);
        parser.feed(port.written.data(), port.written.size());
        return frames;
    }
    /// Sends datagrams to the window and waits until it has taken them all.
    void sendToWindow(const QList<QByteArray>& datagrams, int expectedReplies) {
        for (const QByteArray& datagram : datagrams) {
            peer.send(form.simulatorReceivePort(), datagram);
        }
        (void)QTest::qWaitFor(
            [&] {
                replies += peer.takeControlLines();
                return replies.size() >= expectedReplies;
            },
            3000);
        QTest::qWait(50); // what else was sent has arrived too
        replies += peer.takeControlLines();
    }
    void receiveServos(const std::array<uint16_t, 4>& first) {
        Bytes payload;
        for (int k = 0; k < 8; ++k) {
            const uint16_t value = k < 4 ? first[k] : 3000;
            payload.push_back(static_cast<uint8_t>(value >> 8));
            payload.push_back(static_cast<uint8_t>(value));
        }
        const Bytes frame = link::testing::frameOf(31, payload);
        port.receive(frame);
        port.listener->bytesWaiting(frame.size());
    }
    void pickFolder(const QString& path) {
        QTimer::singleShot(50, &form, [this, path] {
            // As the user types it.
            form.SaveDialog1->findChild<QLineEdit*>("fileNameEdit")->setText(path);
            QMetaObject::invokeMethod(form.SaveDialog1, "accept");
        });
        form.Button11->click();
    }

    QTemporaryDir folder;
    testing::SimulatorPeer peer{kProtocol};
    link::testing::FakeSerialPort port;
    link::BoardLink link{port};
    store::LocalDatabase database;
    TForm1 form{link, database};
    QStringList replies;
};

const QMap<QString, double> kState = {
    {"/accelerations/pilot/z-accel-fps_sec", -32.174}, {"/orientation/roll-deg", 12.5},
    {"/orientation/pitch-deg", -3.25},                 {"/orientation/heading-deg", 271.5},
    {"/position/latitude-deg", 55.0228614},            {"/position/longitude-deg", 73.4278569},
    {"/position/altitude-ft", 1000},                   {"/velocities/airspeed-kt", 50},
};

TEST_F(TForm1SimTest, ControlsHaveNamesAndATabOrder) {
    ASSERT_NE(form.simulatorReceivePort(), 0);
    EXPECT_EQ(form.fg_status->text(), "No Link");
    EXPECT_EQ(form.fg_path->accessibleName(), "Simulator folder");
    EXPECT_EQ(form.jrolltrim->accessibleName(), "Roll trim");
    EXPECT_EQ(form.jthrrev->accessibleName(), "Reverse throttle");
    EXPECT_EQ(form.Label18->objectName(), "Label18");
    const QList<QWidget*> simulator = {form.fg_enabled, form.Button11, form.fg_path,
                                       form.Button12, form.Button13};
    const QList<QWidget*> joystick = {form.ComboBox3, form.ComboBox4,  form.ComboBox5,
                                      form.jrollrev,  form.jrolltrim,  form.jpitchrev,
                                      form.jpitchtrim, form.jthrrev,   form.jyawrev,
                                      form.jyawtrim,  form.CheckBox6,  form.Button8};
    for (const QList<QWidget*>& chain : {simulator, joystick}) {
        for (qsizetype k = 0; k + 1 < chain.size(); ++k) {
            QWidget* next = chain[k]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus) {
                next = next->nextInFocusChain();
            }
            EXPECT_EQ(next, chain[k + 1]) << chain[k]->objectName().toStdString();
        }
    }
}

TEST_F(TForm1SimTest, SetPathKeepsAFolderOfFlightGearsDataOnly) {
    testing::ModalCatcher catcher;
    ASSERT_TRUE(QDir(folder.path()).mkpath("fg/Protocol"));
    ASSERT_TRUE(QDir(folder.path()).mkpath("other"));
    pickFolder(folder.filePath("other"));
    EXPECT_EQ(catcher.texts, QStringList{"Wrong PATH!"});
    EXPECT_EQ(form.fg_path->text(), folder.filePath("other") + "/");
    EXPECT_FALSE(form.Button12->isEnabled());

    pickFolder(folder.filePath("fg"));
    EXPECT_EQ(catcher.texts.size(), 1);
    EXPECT_EQ(form.fg_path->text(), folder.filePath("fg") + "/");
    EXPECT_TRUE(form.Button12->isEnabled());
    EXPECT_TRUE(form.Button13->isEnabled());
    form.close();
    EXPECT_EQ(testing::queryFirstCell(folder.filePath("crv_data").toStdString(),
                                 "SELECT val FROM text_parms WHERE vname='FG_PATH'"),
              (folder.filePath("fg") + "/").toStdString());
}

TEST_F(TForm1SimTest, InstallPutsTheProtocolWhereTheSimulatorReadsIt) {
    testing::ModalCatcher catcher;
    ASSERT_TRUE(QDir(folder.path()).mkpath("fg/Protocol"));
    pickFolder(folder.filePath("fg"));
    form.Button12->click();
    EXPECT_EQ(catcher.texts, QStringList{"CRV Plugin installed!"});
    EXPECT_TRUE(QFile::exists(folder.filePath("fg/Protocol/corvane_sim.xml")));
    form.fg_path->setText("ab");
    form.Button12->click();
    EXPECT_EQ(catcher.texts.last(), "Wrong PATH!");
}

TEST_F(TForm1SimTest, StateLinesFlyTheWindowAndSendFramesAndControlLines) {
    openLink();
    form.fg_enabled->setChecked(true);
    receiveServos({3600, 2400, 4200, 3000});
    const QByteArray line = peer.stateLine(kState);
    ASSERT_TRUE(line.startsWith("$FD,")) << line.toStdString();
    sendToWindow({line, line, line, line}, 4);
    ASSERT_EQ(replies.size(), 4);
    EXPECT_EQ(replies[0], "0.5;0.5;1;0;0.0;0.0;0.0;\n");
    EXPECT_EQ(form.Label1->text(), "12.5");
    EXPECT_EQ(form.Label3->text(), "271.5");
    EXPECT_EQ(form.Label4->text(), "300");

    const std::vector<SeenFrame> frames = framesWritten();
    ASSERT_EQ(frames.size(), 6u) << "one set for every second line";
    EXPECT_EQ(frames[0].type, 17);
    EXPECT_EQ(frames[0].payload, (Bytes{0, 0, 0, 0, 0x1F, 0x8D, 0x00, 0x7D, 0xFF, 0xE0, 0x0A,
                                        0x9B}));
    // 1 g from the simulator is 8077 on the board, z up.
    EXPECT_EQ(frames[1].type, 18);
    EXPECT_EQ(frames[1].payload, (Bytes{1, 9, 0x20, 0xCB, 0xD2, 0x86, 0x2B, 0xC4, 0x33, 0xA9,
                                        0x01, 0x30}));
    EXPECT_EQ(frames[2].type, 19);
    EXPECT_EQ(frames[2].payload, (Bytes{0x00, 0x5C, 0x01, 0x30, 0x00, 0x00, 0x00, 0x00}));

    form.Timer1Timer();
    EXPECT_EQ(form.fg_status->text(), "Link 4 pps");
    form.Timer1Timer();
    EXPECT_EQ(form.fg_status->text(), "No Link");
}

TEST_F(TForm1SimTest, DisabledOrClosedSendsOnlyWhatItMay) {
    const QByteArray line = peer.stateLine(kState);
    sendToWindow({line, line}, 0);
    EXPECT_TRUE(replies.isEmpty()) << "nothing goes back while simulation is off";
    form.Timer1Timer();
    EXPECT_EQ(form.fg_status->text(), "Link 2 pps");

    form.fg_enabled->setChecked(true); // link closed: control lines, but no frames
    sendToWindow({line, line}, 2);
    EXPECT_EQ(replies.size(), 2);
    EXPECT_TRUE(port.written.empty());

    const QByteArray mp("$MP\x2c\x01\x02\x03\0\0\x01\x02\x03\x04\0\0\0\0\0\0\0\0", 21);
    openLink();
    form.fg_enabled->setChecked(false);
    sendToWindow({mp}, 0);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !port.written.empty(); }, 2000));
    const std::vector<SeenFrame> frames = framesWritten();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, 44) << "forwarded with simulation off";
}

TEST_F(TForm1SimTest, BadDatagramsAreHarmless) {
    openLink();
    form.fg_enabled->setChecked(true);
    QList<QByteArray> bad = {QByteArray(65507, '\xff'), QByteArray(1, '\0'),
                             "$FD,nan,inf,1e999\n",
                             QByteArray("$MP"), QByteArray(2000, ',') + "$FD"};
    QByteArray random(4096, 0);
    for (int k = 0; k < random.size(); ++k) {
        random[k] = static_cast<char>((k * 7919) % 251);
    }
    bad << random;
    for (int round = 0; round < 20; ++round) {
        sendToWindow(bad, 0);
    }
    EXPECT_TRUE(replies.isEmpty());
    for (const SeenFrame& frame : framesWritten()) {
        EXPECT_EQ(frame.type, 0) << "only the short $MP goes, as a frame of zeros";
    }
    const QByteArray line = peer.stateLine(kState);
    sendToWindow({line}, 1);
    EXPECT_EQ(replies.size(), 1) << "the bridge still works";
}

class TForm1JoystickTest : public TForm1SimTest {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        ASSERT_EQ(SDL_NumJoysticks(), 0) << "this test wants to be the only joystick";
        device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 4, 0, 0);
        ASSERT_EQ(device, 0) << SDL_GetError();
        stick = SDL_JoystickOpen(device);
        ASSERT_NE(stick, nullptr);
    }
    void TearDown() override {
        if (stick != nullptr) {
            SDL_JoystickClose(stick);
            SDL_JoystickDetachVirtual(device);
        }
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    void move(Sint16 x, Sint16 y, Sint16 z, Sint16 r) {
        const Sint16 values[] = {x, y, z, r};
        for (int axis = 0; axis < 4; ++axis) {
            SDL_JoystickSetVirtualAxis(stick, axis, values[axis]);
        }
    }
    int device = -1;
    SDL_Joystick* stick = nullptr;
};

TEST_F(TForm1JoystickTest, ShowsTheSticksAndSendsThemOnlyWhileEnabledAndOpen) {
    form.ComboBox3->setCurrentIndex(0); // lin
    form.Timer3Timer();                 // finds the joystick; the first reading is next
    move(32767, 0, -1, -32768);         // full right, centred pitch and throttle, full left yaw
    form.Timer3Timer();
    EXPECT_EQ(form.jstatus->text(), "Joystick detected");
    EXPECT_EQ(form.jrollbar->value(), 65535);
    EXPECT_EQ(form.jpitchbar->value(), 32768);
    EXPECT_EQ(form.jthrbar->value(), 32768);
    EXPECT_EQ(form.jyawbar->value(), 0);

    form.CheckBox6->setChecked(true);
    form.Timer3Timer();
    EXPECT_EQ(form.jstatus->text(), "Joystick ACTIVE");
    EXPECT_TRUE(port.written.empty()) << "the link is closed";
    openLink();
    form.Timer3Timer();
    EXPECT_EQ(port.written, link::testing::frameOf(16, {0x10, 0x67, 0x0B, 0xB8, 0x0B, 0xB8, 0x07,
                                                        0x08}));
    // 4199, 3000, 3000, 1800

    form.ComboBox3->setCurrentIndex(5); // 50%: half right is about a quarter
    move(16384, 0, -1, 0);
    port.written.clear();
    form.Timer3Timer();
    EXPECT_EQ(port.written, link::testing::frameOf(16, {0x0C, 0xD8, 0x0B, 0xB8, 0x0B, 0xB8, 0x0B,
                                                        0xB8}));
    // 3288 for x = 0.5

    SDL_JoystickClose(stick);
    stick = nullptr;
    SDL_JoystickDetachVirtual(device);
    port.written.clear();
    form.Timer3Timer();
    EXPECT_EQ(form.jstatus->text(), "Joystick lost");
    EXPECT_TRUE(port.written.empty()) << "an unplugged joystick sends nothing";
}

TEST_F(TForm1JoystickTest, TheRateListSetsThePollInterval) {
    const std::pair<int, int> rates[] = {{0, 500}, {1, 200}, {2, 100}, {3, 50}};
    for (const auto& [item, intervalMs] : rates) {
        form.ComboBox5->setCurrentIndex(item);
        EXPECT_EQ(form.Timer3->interval(), intervalMs);
    }
}

} // namespace
} // namespace crv::ui
